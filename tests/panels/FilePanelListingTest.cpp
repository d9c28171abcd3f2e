#include "PanelTestSupport.h"

#include "core/FileSystemCore.h"
#include "diagnostics/DiagnosticsStore.h"
#include "panels/FileTableModel.h"
#include "panels/PanelWorker.h"

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <atomic>

namespace {

using ListingTest = PanelTest;

// Holds the listing of one folder until the test lets it go; it ignores
// cancellation, so the late result really arrives at the panel.
struct HeldListing {
    explicit HeldListing(FileUrl held) : folder(std::move(held)) {}

    FileUrl folder;
    QSemaphore release;
    std::atomic_bool started = false;

    PanelWorker::ListingFunction function()
    {
        return [this](const FileUrl& listed, bool showHidden, const CancellationToken&) {
            if (listed == folder) {
                started = true;
                release.acquire();
            }
            return FileSystemCore::contents(listed, showHidden);
        };
    }
};

} // namespace

TEST_F(ListingTest, ALateListingNeverReplacesANewerFolder)
{
    const FileUrl slow = temp.makeFolder("langsam"), fast = temp.makeFolder("schnell");
    temp.write("langsam/alt.txt");
    temp.write("schnell/neu.txt");
    auto panel = makePanel(fast);
    HeldListing held(slow);
    workerOf(*panel).setListingFunction(held.function());

    panel->navigate(slow);
    QTRY_VERIFY(held.started.load());
    EXPECT_EQ(panel->statusText(), QStringLiteral("Wird geladen …"));
    EXPECT_FALSE(panel->tableModel().isInteractive());

    panel->goBack();
    waitForListing(*panel);
    EXPECT_EQ(names(*panel), QStringList{"neu.txt"});

    held.release.release();
    settle(*panel);
    EXPECT_EQ(panel->currentURL(), fast);
    EXPECT_EQ(names(*panel), QStringList{"neu.txt"});
    EXPECT_TRUE(panel->tableModel().isInteractive());
    EXPECT_TRUE(panel->statusText().contains(QStringLiteral(" 1 Objekte"))) << panel->statusText().toStdString();
}

TEST_F(ListingTest, ALateListingNeverReplacesANewerHiddenFilesState)
{
    temp.write(".versteckt");
    temp.write("sichtbar");
    auto panel = makePanel(temp.url());
    HeldListing held(temp.url());
    workerOf(*panel).setListingFunction(held.function());

    panel->setShowHidden(true);
    QTRY_VERIFY(held.started.load());
    held.started = false;
    workerOf(*panel).setListingFunction([](const FileUrl& folder, bool showHidden, const CancellationToken& token) {
        return FileSystemCore::contents(folder, showHidden, token);
    });
    panel->setShowHidden(false);
    waitForListing(*panel);
    held.release.release();
    settle(*panel);
    EXPECT_FALSE(panel->showHidden());
    EXPECT_EQ(names(*panel), QStringList{"sichtbar"});
}

TEST_F(ListingTest, ANewListingAndTheEndOfThePanelCancelTheRunningOne)
{
    const FileUrl endless = temp.makeFolder("endlos");
    auto panel = makePanel(temp.url());
    std::atomic_int cancelled = 0;
    std::atomic_int running = 0;
    // A listing that only ends when it is told to stop.
    workerOf(*panel).setListingFunction([&](const FileUrl& folder, bool showHidden, const CancellationToken& token) {
        if (folder != endless)
            return FileSystemCore::contents(folder, showHidden, token);
        ++running;
        while (!token.isCancelled())
            QThread::msleep(1);
        ++cancelled;
        --running;
        token.throwIfCancelled();
        return QList<FileItem>();
    });

    panel->navigate(endless);
    QTRY_COMPARE(running.load(), 1);
    panel->reload();
    QTRY_COMPARE(cancelled.load(), 1);
    QTRY_COMPARE(running.load(), 1);

    panel.reset();
    EXPECT_EQ(cancelled.load(), 2) << "the panel stopped its listing";
    EXPECT_EQ(running.load(), 0) << "and waited for it";
}

TEST_F(ListingTest, AnUnreadableFolderShowsItsErrorAndBackStillWorks)
{
    const FileUrl start = temp.makeFolder("start");
    const FileUrl vanishing = temp.makeFolder("verschwindet");
    temp.write("start/a.txt");
    auto panel = makePanel(start);
    panel->navigate(vanishing);
    waitForListing(*panel);
    ASSERT_TRUE(QDir(vanishing.path()).removeRecursively());
    const qsizetype eventsBefore = DiagnosticsStore::shared().events().size();

    panel->reload();
    waitForListing(*panel);
    EXPECT_TRUE(panel->items().isEmpty());
    EXPECT_EQ(panel->statusText(), QStringLiteral("Ordner konnte nicht gelesen werden: „") + vanishing.path()
                                       + QStringLiteral("“: Die Datei oder der Ordner existiert nicht."));
    ASSERT_EQ(DiagnosticsStore::shared().events().size(), eventsBefore + 1);
    EXPECT_EQ(DiagnosticsStore::shared().events().last().category, QStringLiteral("Dateisystem"));
    EXPECT_EQ(DiagnosticsStore::shared().events().last().message, QStringLiteral("SystemError"));
    EXPECT_EQ(panel->currentURL(), vanishing);

    // A path whose component is a file: a fault no privilege can bypass.
    panel->navigate(temp.file("start/a.txt/unten"));
    waitForListing(*panel);
    EXPECT_TRUE(panel->statusText().endsWith(QStringLiteral("Ein Teil des Pfads ist kein Ordner.")))
        << panel->statusText().toStdString();

    panel->goBack();
    waitForListing(*panel);
    panel->goBack();
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), start);
    EXPECT_EQ(names(*panel), QStringList{"a.txt"});
}

TEST_F(ListingTest, StatusLineCountsSelectionMarksAndVisibleRows)
{
    temp.write("a.txt", QByteArray(1200, 'a'));
    temp.write("b.txt", QByteArray(300, 'b'));
    temp.write("c.txt", QByteArray(40, 'c'));
    temp.makeFolder("Ordner");
    auto panel = makePanel(temp.url());
    const QRegularExpression shape(QStringLiteral("^(\\d+) gewählt · (.+)     (\\d+) Objekte     Frei: (.+)$"));

    QRegularExpressionMatch match = shape.match(panel->statusText());
    ASSERT_TRUE(match.hasMatch()) << panel->statusText().toStdString();
    EXPECT_EQ(match.captured(1), QStringLiteral("0"));
    EXPECT_EQ(match.captured(2), QStringLiteral("0 Byte"));
    EXPECT_EQ(match.captured(3), QStringLiteral("4"));
    EXPECT_FALSE(match.captured(4).isEmpty());
    EXPECT_EQ(panel->previewItem(), std::nullopt);

    // Two selected rows and one other marked entry: three URLs.
    selectRows(*panel, {rowOf(*panel, "a.txt"), rowOf(*panel, "b.txt")});
    panel->setMarked({temp.file("c.txt")});
    EXPECT_EQ(panel->selectedURLs().size(), 3);
    match = shape.match(panel->statusText());
    EXPECT_EQ(match.captured(1), QStringLiteral("3"));
    EXPECT_EQ(match.captured(2), QStringLiteral("1,5 kB"));

    panel->findChild<QLineEdit*>(QStringLiteral("filter"))->setText(QStringLiteral("A.T"));
    match = shape.match(panel->statusText());
    EXPECT_EQ(match.captured(3), QStringLiteral("1"));
    EXPECT_EQ(names(*panel), QStringList{"a.txt"});
    EXPECT_TRUE(panel->tableModel().consistencyProblems().isEmpty());
}

TEST_F(ListingTest, HeaderClicksSortAndSelectedRowPositionsSurviveAListing)
{
    temp.write("b.txt", "12345");
    temp.write("a.txt", "1");
    temp.write("c.txt", "123");
    temp.makeFolder("z");
    auto panel = makePanel(temp.url());
    panel->show();
    EXPECT_EQ(names(*panel), (QStringList{"z", "a.txt", "b.txt", "c.txt"}));

    QHeaderView* header = panel->table()->horizontalHeader();
    const QPoint sizeHeader(header->sectionViewportPosition(FileTableModel::sizeColumn) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
    EXPECT_EQ(names(*panel), (QStringList{"z", "a.txt", "c.txt", "b.txt"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
    EXPECT_EQ(names(*panel), (QStringList{"z", "b.txt", "c.txt", "a.txt"}));

    // After a listing the row positions stay selected, whatever stands there now.
    selectRows(*panel, {2});
    temp.write("d.txt", "1234567");
    panel->reload();
    waitForListing(*panel);
    EXPECT_EQ(names(*panel), (QStringList{"z", "d.txt", "b.txt", "c.txt", "a.txt"}));
    EXPECT_EQ(panel->selectedURLs(), QList<FileUrl>{temp.file("b.txt")});
}

TEST_F(ListingTest, ShowInPanelPutsTheCursorOnTheEntryOnceItsFolderIsListed)
{
    const FileUrl elsewhere = temp.makeFolder("anderswo");
    temp.write("tief/x.txt");
    const FileUrl wanted = temp.write("tief/y.txt");
    auto panel = makePanel(elsewhere);
    panel->show();

    panel->showInPanel(wanted);
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), wanted.parent());
    EXPECT_EQ(panel->selectedURLs(), QList<FileUrl>{wanted});
    EXPECT_EQ(panel->table()->currentIndex().row(), rowOf(*panel, "y.txt"));

    // Already in the folder: the cursor moves at once.
    panel->showInPanel(temp.file("tief/x.txt"));
    EXPECT_EQ(panel->selectedURLs(), QList<FileUrl>{temp.file("tief/x.txt")});
    panel->goBack();
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), elsewhere);
}
