#include "commander/CommanderTestWindow.h"

#include "tools/ChecksumWindowController.h"
#include "tools/MultiRenameWindowController.h"
#include "tools/SearchWindowController.h"
#include "ToolWindowTestSupport.h"

#include <QClipboard>
#include <QLineEdit>
#include <unistd.h>

namespace {

class SearchCommandsTest : public CommanderTest {
protected:
    template <typename Window>
    Window* toolWindow() const
    {
        for (const QPointer<QWidget>& tool : window->toolWindows())
            if (auto* found = qobject_cast<Window*>(tool.data()))
                return found;
        return nullptr;
    }
};

} // namespace

TEST_F(SearchCommandsTest, SearchStartsInTheActiveFolderAndAnOpenedHitIsShownInThePanel)
{
    const FileUrl hit = leftFolder.write("Unterordner/Jahresbericht.pdf");
    window->searchFiles();
    SearchWindowController* search = toolWindow<SearchWindowController>();
    ASSERT_TRUE(search);
    EXPECT_EQ(search->windowTitle(), QStringLiteral("Dateien suchen — ") + leftFolder.url().path());
    search->field()->setText(QStringLiteral("bericht"));
    search->startSearch();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !search->isSearching(); }, 10000));
    ASSERT_EQ(search->results(), QList<FileUrl>({hit}));
    search->openResult(0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return left().currentURL() == hit.parent() && left().selectedURLs() == QList<FileUrl>({hit}); }, 10000));
}

TEST_F(SearchCommandsTest, ChecksumsOfTheSelectedFilesCanBeCopiedAsLines)
{
    const FileUrl empty = leftFolder.write("leer.txt"), abc = leftFolder.write("abc.txt", "abc");
    const FileUrl folder = leftFolder.makeFolder("Ordner");
    relist(left());
    left().setMarked({folder});
    window->calculateChecksums();
    EXPECT_EQ(interaction.beepCount(), 1);

    left().setMarked({empty, folder, abc});
    window->calculateChecksums();
    ASSERT_TRUE(QTest::qWaitFor([&] { return toolWindow<ChecksumWindowController>() != nullptr; }, 10000));
    ChecksumWindowController* checksums = toolWindow<ChecksumWindowController>();
    renderForReview(*checksums, QStringLiteral("checksums.png"));
    QTest::mouseClick(checksums->copyButton(), Qt::LeftButton);
    // The panel lists by name: abc.txt before leer.txt.
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  abc.txt\n"
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855  leer.txt");
}

TEST_F(SearchCommandsTest, ACancelledChecksumRunEndsWithoutAResultWindow)
{
    const FileUrl big = leftFolder.write("groß.bin");
    ASSERT_EQ(truncate(big.nativePath().constData(), qint64(4) << 30), 0);
    relist(left());
    left().setMarked({big});
    window->calculateChecksums();
    const QPointer<OperationProgressController> progress = progressWindow();
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->windowTitle(), QStringLiteral("SHA-256 wird berechnet"));
    progress->cancelPressed();
    EXPECT_EQ(finalMessage(progress), QStringLiteral("Berechnung abgebrochen"));
    EXPECT_EQ(toolWindow<ChecksumWindowController>(), nullptr);
}

TEST_F(SearchCommandsTest, MultiRenameTakesTheSelectionAndReloadsThePanel)
{
    window->multiRename();
    EXPECT_EQ(interaction.beepCount(), 1);

    const FileUrl a = leftFolder.write("a.txt"), b = leftFolder.write("b.txt");
    relist(left());
    left().setMarked({a, b});
    window->multiRename();
    MultiRenameWindowController* rename = toolWindow<MultiRenameWindowController>();
    ASSERT_TRUE(rename);
    rename->findField()->setText(QStringLiteral("TXT"));
    rename->prefixField()->setText(QStringLiteral("2024-"));
    rename->apply();
    ASSERT_TRUE(QTest::qWaitFor([&] { return names(left()) == QStringList({"2024-a.txt", "2024-b.txt"}); }, 10000));
}
