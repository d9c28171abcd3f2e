#include "tools/SearchWindowController.h"

#include "support/ScriptedInteraction.h"
#include "support/TestEnvironment.h"
#include "ToolWindowTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTest>
#include <unistd.h>

namespace {

class SearchWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<SearchWindowController>(root.url(), interaction);
        window->show();
    }

    // Types into the window's fields and presses Return in the name field.
    void search(const QString& name, const QString& content = {})
    {
        window->field()->setText(name);
        window->contentField()->setText(content);
        QTest::keyClick(window->field(), Qt::Key_Return);
    }

    bool waitUntilIdle() const
    {
        return QTest::qWaitFor([&] { return !window->isSearching(); }, 20000);
    }

    // Files the content search reads to their end: 64 MiB of holes each.
    void makeSlowTree(int count) const
    {
        for (int i = 0; i < count; ++i) {
            const FileUrl file = root.write("langsam-" + QByteArray::number(i) + ".bin");
            ASSERT_EQ(truncate(file.nativePath().constData(), SearchEngine::contentSizeLimit), 0);
        }
    }

    TempFolder root;
    ScriptedInteraction interaction;
    std::unique_ptr<SearchWindowController> window;
};

} // namespace

TEST_F(SearchWindowTest, TheTenThousandthHitEndsTheSearch)
{
    for (int i = 0; i <= SearchWindowController::hitLimit; ++i)
        root.write("Ordner-" + QByteArray::number(i % 10) + "/treffer-" + QByteArray::number(i));
    search(QStringLiteral("  TREFFER "));
    EXPECT_EQ(window->status()->text(), QStringLiteral("Suche läuft …"));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(window->status()->text(), QStringLiteral("10000 Treffer"));
    EXPECT_EQ(window->table()->model()->rowCount(), 10000);
    const FileUrl first = window->results().constFirst();
    EXPECT_EQ(window->table()->model()->index(0, 0).data().toString(), first.fileName());
    EXPECT_EQ(window->table()->model()->index(0, 1).data().toString(), first.parent().path());
    renderForReview(*window, QStringLiteral("search.png"));

    FileUrl opened;
    window->onOpenResult = [&](const FileUrl& url) { opened = url; };
    window->openResult(-1);
    EXPECT_TRUE(window->isVisible());
    window->openResult(0);
    EXPECT_EQ(opened, first);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(SearchWindowTest, EmptyCriteriaBeepAndSizesFollowTheLocale)
{
    window->minimumSizeField()->setText(QStringLiteral("1"));
    search(QStringLiteral("  "));
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_EQ(window->status()->text(), QStringLiteral("Suchbegriff oder Maske eingeben"));

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    EXPECT_EQ(SearchWindowController::sizeBound(QStringLiteral("1,5")), 1572864);
    EXPECT_EQ(SearchWindowController::sizeBound(QStringLiteral("abc")), std::nullopt);
    EXPECT_EQ(SearchWindowController::sizeBound(QString()), std::nullopt);
}

TEST_F(SearchWindowTest, ANewSearchReplacesTheRunningOneAndClosingStopsIt)
{
    makeSlowTree(30);
    root.write("gesucht.txt");
    search({}, QStringLiteral("nirgends"));
    ASSERT_TRUE(window->isSearching());
    search(QStringLiteral("gesucht"));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(window->results(), QList<FileUrl>({root.file("gesucht.txt")}));
    EXPECT_EQ(window->status()->text(), QStringLiteral("1 Treffer"));

    search({}, QStringLiteral("nirgends"));
    window->close();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(window->status()->text(), QStringLiteral("Suche abgebrochen"));
    EXPECT_TRUE(window->results().isEmpty());
}
