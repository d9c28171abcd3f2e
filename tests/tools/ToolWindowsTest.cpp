#include "commander/CommanderTestWindow.h"

#include "tools/ChecksumWindowController.h"
#include "tools/FileInfoWindowController.h"
#include "tools/InternalViewerController.h"
#include "tools/MultiRenameWindowController.h"
#include "tools/SearchWindowController.h"
#include "tools/TextCompareWindowController.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTextBlock>
#include <QThreadPool>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class ToolCommandsTest : public CommanderTest {
protected:
    template <typename Window>
    QList<Window*> tools() const
    {
        QList<Window*> found;
        for (const QPointer<QWidget>& tool : window->toolWindows())
            if (auto* wanted = qobject_cast<Window*>(tool.data()))
                found.append(wanted);
        return found;
    }
};

// Shows the window offscreen and waits until it has shown its contents.
template <typename Window, typename Signal>
bool shown(Window& window, Signal signal)
{
    QSignalSpy done(&window, signal);
    window.show();
    return done.wait(10000);
}

// Types into the search window's fields, presses Return in the name field and
// waits for the end when asked to.
bool search(SearchWindowController& window, const QString& name, const QString& content = {}, bool wait = true)
{
    window.field()->setText(name);
    window.contentField()->setText(content);
    QTest::keyClick(window.field(), Qt::Key_Return);
    return !wait || QTest::qWaitFor([&] { return !window.isSearching(); }, 20000);
}

// The line's own background; invisible where it has none.
QColor background(const QPlainTextEdit* view, int line)
{
    const QBrush brush = view->document()->findBlockByNumber(line).blockFormat().background();
    return brush.style() == Qt::NoBrush ? QColor(Qt::transparent) : brush.color();
}

} // namespace

TEST_F(ToolCommandsTest, SearchStartsInTheActiveFolderAndAnOpenedHitIsShownInThePanel)
{
    const FileUrl hit = leftFolder.write("Unterordner/Jahresbericht.pdf");
    rightFolder.write("bericht-rechts.txt"); // in the other panel: not searched
    window->searchFiles();
    ASSERT_EQ(tools<SearchWindowController>().size(), 1);
    SearchWindowController& searchWindow = *tools<SearchWindowController>()[0];
    ASSERT_TRUE(search(searchWindow, QStringLiteral("bericht")));
    ASSERT_EQ(searchWindow.results(), QList<FileUrl>({hit}));
    searchWindow.openResult(-1);
    EXPECT_TRUE(searchWindow.isVisible());
    searchWindow.openResult(0);
    EXPECT_FALSE(searchWindow.isVisible());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return left().currentURL() == hit.parent() && left().selectedURLs() == QList<FileUrl>({hit}); }, 10000));
}

TEST_F(ToolCommandsTest, ChecksumsOfTheSelectedFilesAreCopiedInPanelOrderAndCanBeCancelled)
{
    const FileUrl empty = leftFolder.write("leer.txt"), abc = leftFolder.write("abc.txt", "abc");
    const FileUrl folder = leftFolder.makeFolder("Ordner"), big = leftFolder.write("groß.bin");
    ASSERT_EQ(truncate(big.nativePath().constData(), qint64(4) << 30), 0);
    relist(left());
    left().setMarked({folder});
    window->calculateChecksums();
    EXPECT_EQ(interaction.beepCount(), 1);

    left().setMarked({big});
    window->calculateChecksums();
    const QPointer<OperationProgressController> progress = progressWindow();
    ASSERT_TRUE(progress);
    progress->cancelPressed();
    EXPECT_EQ(finalMessage(), QStringLiteral("Berechnung abgebrochen"));
    EXPECT_TRUE(tools<ChecksumWindowController>().isEmpty());

    left().setMarked({empty, folder, abc});
    window->calculateChecksums();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tools<ChecksumWindowController>().isEmpty(); }, 10000));
    QTest::mouseClick(tools<ChecksumWindowController>()[0]->copyButton(), Qt::LeftButton);
    const QStringList lines = QGuiApplication::clipboard()->text().split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("  abc.txt")) && lines[1].endsWith(QStringLiteral("  leer.txt")));
}

TEST_F(ToolCommandsTest, MultiRenameTakesTheSelectionAndReloadsThePanel)
{
    window->multiRename();
    EXPECT_EQ(interaction.beepCount(), 1);
    const FileUrl a = leftFolder.write("a.txt"), b = leftFolder.write("b.txt");
    relist(left());
    left().setMarked({a, b});
    window->multiRename();
    ASSERT_EQ(tools<MultiRenameWindowController>().size(), 1);
    tools<MultiRenameWindowController>()[0]->prefixField()->setText(QStringLiteral("2024-"));
    tools<MultiRenameWindowController>()[0]->apply();
    ASSERT_TRUE(QTest::qWaitFor([&] { return names(left()) == QStringList({"2024-a.txt", "2024-b.txt"}); }, 10000));
}

TEST_F(ToolCommandsTest, ViewerInformationAndFileCompareActOnTheSelection)
{
    const FileUrl leftFile = leftFolder.write("a.txt", "alpha"), rightFile = rightFolder.write("r.txt", "y");
    relist(left());
    relist(right());
    left().table()->selectRow(0);
    press(Qt::Key_F3);
    ASSERT_EQ(tools<InternalViewerController>().size(), 1);
    EXPECT_EQ(tools<InternalViewerController>()[0]->url(), leftFile);
    window->runCommand(left(), QStringLiteral("showFileInfo"));
    ASSERT_EQ(tools<FileInfoWindowController>().size(), 1);
    tools<FileInfoWindowController>()[0]->copyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), leftFile.path());
    interaction.answerAlert(0);
    window->compareSelectedFiles(); // one side only: an alert
    EXPECT_EQ(interaction.alerts().size(), 1);

    // Nothing selected: information beeps, the viewer does nothing.
    window->setActive(right(), true);
    window->showFileInfo();
    window->viewSelection();
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_EQ(window->toolWindows().size(), 2);

    right().table()->selectRow(0);
    window->compareSelectedFiles();
    ASSERT_EQ(tools<TextCompareWindowController>().size(), 1);
    EXPECT_EQ(tools<TextCompareWindowController>()[0]->leftURL(), leftFile);
    EXPECT_EQ(tools<TextCompareWindowController>()[0]->rightURL(), rightFile);
}

TEST_F(ToolCommandsTest, ComparingThePanelsMarksTheDifferencesOnBothSides)
{
    for (const char* name : {"gleich.txt", "links.txt", "anders.txt"})
        leftFolder.write(name, "1");
    for (const char* name : {"gleich.txt", "rechts.txt"})
        rightFolder.write(name, "1");
    rightFolder.write("anders.txt", "12");
    relist(left());
    relist(right());
    interaction.answerAlert(0);
    window->comparePanels();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !interaction.alerts().isEmpty(); }, 10000));
    EXPECT_EQ(left().marked(), QSet<FileUrl>({leftFolder.file("anders.txt"), leftFolder.file("links.txt")}));
    EXPECT_EQ(right().marked(), QSet<FileUrl>({rightFolder.file("anders.txt"), rightFolder.file("rechts.txt")}));
    EXPECT_EQ(window->activePanel(), &left());
}

TEST(SearchWindow, HitsEndAtTheLimitANewSearchReplacesTheRunningOneAndClosingStopsIt)
{
    TempFolder root;
    ScriptedInteraction interaction;
    SearchWindowController window(root.url(), interaction);
    window.show();
    window.minimumSizeField()->setText(QStringLiteral("1"));
    search(window, QStringLiteral("  "));
    EXPECT_EQ(interaction.beepCount(), 1); // nothing to search for
    window.minimumSizeField()->clear();
    for (int i = 0; i <= SearchWindowController::hitLimit; ++i)
        root.write("Ordner-" + QByteArray::number(i % 10) + "/treffer-" + QByteArray::number(i));
    ASSERT_TRUE(search(window, QStringLiteral("  TREFFER ")));
    EXPECT_EQ(window.status()->text(), QStringLiteral("10000 Treffer"));

    // Files the content search reads to their end: 64 MiB of holes each.
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(truncate(root.write("langsam-" + QByteArray::number(i)).nativePath().constData(),
                           SearchEngine::contentSizeLimit), 0);
    search(window, {}, QStringLiteral("nirgends"), false);
    ASSERT_TRUE(window.isSearching());
    ASSERT_TRUE(search(window, QStringLiteral("langsam-7")));
    EXPECT_EQ(window.results(), QList<FileUrl>({root.file("langsam-7")}));
    search(window, {}, QStringLiteral("nirgends"), false);
    window.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isSearching(); }, 20000));
    EXPECT_EQ(window.status()->text(), QStringLiteral("Suche abgebrochen"));
    EXPECT_TRUE(window.results().isEmpty());

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    EXPECT_EQ(SearchWindowController::sizeBound(QStringLiteral("1,5")), 1572864);
    EXPECT_EQ(SearchWindowController::sizeBound(QStringLiteral("abc")), std::nullopt);
}

TEST(MultiRenameWindow, ShowsThePlanAndSaysWhyARenameFailed)
{
    TempFolder folder;
    MultiRenameWindowController window({folder.write("b.txt"), folder.write("a.txt")});
    window.show();
    EXPECT_FALSE(window.applyButton()->isEnabled());
    QTest::keyClicks(window.prefixField(), QStringLiteral("neu-"));
    ASSERT_TRUE(window.applyButton()->isEnabled());
    EXPECT_EQ(window.table()->model()->index(0, 1).data().toString(), QStringLiteral("neu-a.txt"));

    // A name taken after the check: nothing is lost and the window stays.
    folder.write("neu-b.txt", "fremd");
    QTest::mouseClick(window.applyButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.applyButton()->isEnabled(); }, 10000));
    EXPECT_TRUE(window.status()->text().contains(QStringLiteral("neu-b.txt")));
    EXPECT_TRUE(window.isVisible());
}

TEST(ViewerWindows, ViewerShowsTextThenHexRefusesAPipeAndWhenClosedWhileReadingGetsNothing)
{
    TempFolder folder;
    QByteArray bytes = "Grüße aus Brenvik\n";
    while (bytes.size() <= 1024 * 1024)
        bytes.append(QByteArray(63, 'x') + '\n');
    InternalViewerController viewer(folder.write("gruss.txt", bytes));
    ASSERT_TRUE(shown(viewer, &InternalViewerController::rendered));
    EXPECT_TRUE(viewer.textView()->toPlainText().startsWith(QStringLiteral("Grüße aus Brenvik\nxxx")));
    const QString sizeStatus = viewer.statusText();
    QSignalSpy rendered(&viewer, &InternalViewerController::rendered);
    viewer.setMode(InternalViewerController::hex);
    // The dump may have been made ahead; then the switch shows it at once.
    ASSERT_TRUE(!rendered.isEmpty() || rendered.wait(10000));
    EXPECT_TRUE(viewer.textView()->toPlainText().startsWith(QStringLiteral("00000000  47 72 C3 BC C3 9F 65 20")));
    // The note on the limit is added once, however often the mode changes.
    const QString hexStatus = viewer.statusText();
    EXPECT_NE(hexStatus, sizeStatus);
    viewer.setMode(InternalViewerController::text);
    viewer.setMode(InternalViewerController::hex);
    EXPECT_EQ(viewer.statusText(), hexStatus);

    ASSERT_EQ(mkfifo(folder.file("pipe").nativePath().constData(), 0644), 0);
    InternalViewerController pipe(folder.file("pipe"));
    ASSERT_TRUE(shown(pipe, &InternalViewerController::rendered));
    EXPECT_TRUE(pipe.textView()->toPlainText().contains(QStringLiteral("keine gewöhnliche Datei")));

    // Closed before the read ends: the background work stops and delivers nowhere.
    const FileUrl big = folder.write("big.txt", QByteArray(8 * 1024 * 1024, 'y'));
    for (int i = 0; i < 3; ++i) {
        auto* early = new InternalViewerController(big);
        early->show();
        delete early;
    }
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    QApplication::processEvents();
}

TEST(ViewerWindows, TextCompareShadesDifferingAndMissingLines)
{
    TempFolder folder;
    TextCompareWindowController compare(folder.write("links.txt", "eins\nzwei\ndrei"),
                                        folder.write("rechts.txt", "eins\nZWEI\ndrei\nvier\nfünf"));
    ASSERT_TRUE(shown(compare, &TextCompareWindowController::rendered));
    EXPECT_EQ(compare.statusText(), QStringLiteral("3 abweichende Zeile(n)"));
    // Equal lines stay clear; changed ones share a colour on both sides, missing ones have another.
    const QColor changed = background(compare.rightText(), 1), missing = background(compare.leftText(), 3);
    EXPECT_EQ(background(compare.leftText(), 0).alpha(), 0);
    EXPECT_EQ(background(compare.leftText(), 1), changed);
    EXPECT_TRUE(changed.alpha() != 0 && missing.alpha() != 0 && missing.rgb() != changed.rgb());
}
