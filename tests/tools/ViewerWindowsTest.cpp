#include "support/TestEnvironment.h"
#include "tools/FileInfoWindowController.h"
#include "tools/InternalViewerController.h"
#include "tools/TextCompareWindowController.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QThreadPool>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Shows the window offscreen and waits for `signal`; leaves a picture in /tmp.
template <typename Window, typename Signal>
bool shownAndRendered(Window& window, Signal signal, const char* picture)
{
    QSignalSpy done(&window, signal);
    window.show();
    if (!done.wait(10000))
        return false;
    QApplication::processEvents();
    window.grab().save(QStringLiteral("/tmp/brenvik-%1.png").arg(QLatin1String(picture)));
    return true;
}

// The line's own background; invisible where it has none.
QColor background(const QPlainTextEdit* view, int line)
{
    const QBrush brush = view->document()->findBlockByNumber(line).blockFormat().background();
    return brush.style() == Qt::NoBrush ? QColor(Qt::transparent) : brush.color();
}

} // namespace

TEST(ViewerWindows, ViewerShowsTextThenTheHexOfTheFirstMegabyte)
{
    TempFolder folder;
    QByteArray bytes = "Grüße aus Brenvik\n";
    while (bytes.size() <= 1024 * 1024)
        bytes.append(QByteArray(63, 'x') + '\n');
    const FileUrl file = folder.write("gruss.txt", bytes);
    InternalViewerController viewer(file);
    ASSERT_TRUE(shownAndRendered(viewer, &InternalViewerController::rendered, "viewer-text"));
    EXPECT_TRUE(viewer.textView()->toPlainText().startsWith(QStringLiteral("Grüße aus Brenvik\nxxx")));
    const QString sizeStatus = viewer.statusText();

    QSignalSpy rendered(&viewer, &InternalViewerController::rendered);
    viewer.setMode(InternalViewerController::hex);
    // The dump may have been made ahead; then the switch shows it at once.
    ASSERT_TRUE(!rendered.isEmpty() || rendered.wait(10000));
    viewer.grab().save(QStringLiteral("/tmp/brenvik-viewer-hex.png"));
    EXPECT_TRUE(viewer.textView()->toPlainText().startsWith(QStringLiteral("00000000  47 72 C3 BC C3 9F 65 20")));
    EXPECT_EQ(viewer.textView()->document()->blockCount(), 65536);
    EXPECT_EQ(viewer.statusText(), sizeStatus + QStringLiteral(" · Hex auf 1 MB begrenzt"));
    // The note is added once for the loaded data.
    viewer.setMode(InternalViewerController::text);
    viewer.setMode(InternalViewerController::hex);
    EXPECT_EQ(viewer.statusText(), sizeStatus + QStringLiteral(" · Hex auf 1 MB begrenzt"));
}

TEST(ViewerWindows, SpecialFilesAndClosedWindowsGetNoHang)
{
    TempFolder folder;
    const FileUrl fifo = folder.file("pipe");
    ASSERT_EQ(mkfifo(fifo.nativePath().constData(), 0644), 0);
    InternalViewerController viewer(fifo);
    ASSERT_TRUE(shownAndRendered(viewer, &InternalViewerController::rendered, "viewer-fifo"));
    EXPECT_EQ(viewer.statusText(), QStringLiteral("Fehler"));
    EXPECT_TRUE(viewer.textView()->toPlainText().contains(QStringLiteral("keine gewöhnliche Datei")));

    TextCompareWindowController compare(fifo, folder.write("a.txt", "a"));
    ASSERT_TRUE(shownAndRendered(compare, &TextCompareWindowController::rendered, "compare-fifo"));
    EXPECT_TRUE(compare.statusText().contains(QStringLiteral("keine gewöhnliche Datei")));

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
    const FileUrl left = folder.write("links.txt", "eins\nzwei\ndrei");
    const FileUrl right = folder.write("rechts.txt", "eins\nZWEI\ndrei\nvier\nfünf");
    TextCompareWindowController compare(left, right);
    ASSERT_TRUE(shownAndRendered(compare, &TextCompareWindowController::rendered, "text-compare"));
    EXPECT_EQ(compare.statusText(), QStringLiteral("3 abweichende Zeile(n)"));
    EXPECT_EQ(compare.rightText()->document()->findBlockByNumber(1).text(), QStringLiteral("     2  ZWEI"));
    EXPECT_EQ(background(compare.leftText(), 0).alpha(), 0);
    const QColor changed = background(compare.rightText(), 1);
    const QColor missing = background(compare.leftText(), 3);
    EXPECT_EQ(changed, background(compare.leftText(), 1));
    EXPECT_EQ(changed, background(compare.rightText(), 3));
    EXPECT_NE(changed.alpha(), 0);
    EXPECT_NE(missing.alpha(), 0);
    EXPECT_NE(missing.rgb(), changed.rgb());
}

TEST(ViewerWindows, FileInformationShowsDetailsAndCopiesThePath)
{
    TempFolder folder;
    const FileUrl file = folder.write("notiz.txt", "hallo");
    FileInfoWindowController info(file);
    ASSERT_TRUE(shownAndRendered(info, &FileInfoWindowController::detailsShown, "file-info"));
    EXPECT_TRUE(info.detailsText().startsWith(QStringLiteral("Pfad:        ") + file.path() + u'\n'));
    info.copyButton()->click();
    EXPECT_EQ(QApplication::clipboard()->text(), file.path());
}
