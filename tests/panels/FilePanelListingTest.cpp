#include "PanelTestSupport.h"

#include "core/FileSystemCore.h"
#include "diagnostics/DiagnosticsStore.h"
#include "panels/FileTableModel.h"
#include "panels/PanelWorker.h"

#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QSemaphore>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <atomic>

namespace {

using ListingTest = PanelTest;

// Holds the listings of one folder until the test lets them go; it ignores
// cancellation, so the late result really arrives at the panel.
struct HeldListing {
    explicit HeldListing(FileUrl held) : folder(std::move(held)) {}

    FileUrl folder;
    QSemaphore release;
    std::atomic_int started = 0;

    PanelWorker::ListingFunction function()
    {
        return [this](const FileUrl& listed, bool showHidden, const CancellationToken&) {
            if (listed == folder) {
                ++started;
                release.acquire();
            }
            return FileSystemCore::contents(listed, showHidden);
        };
    }
};

} // namespace

TEST_F(ListingTest, ALateListingNeverReplacesANewerFolderOrHiddenFilesState)
{
    const FileUrl slow = temp.makeFolder("langsam"), fast = temp.makeFolder("schnell");
    temp.write("langsam/alt.txt");
    temp.write("schnell/neu.txt");
    temp.write("schnell/.versteckt");
    auto panel = makePanel(fast);
    HeldListing held(slow);
    workerOf(*panel).setListingFunction(held.function());

    panel->navigate(slow);
    QTRY_COMPARE(held.started.load(), 1);
    EXPECT_EQ(panel->statusText(), QStringLiteral("Wird geladen …"));
    EXPECT_FALSE(panel->tableModel().isInteractive());
    panel->goBack();
    waitForListing(*panel);
    held.release.release();
    settle(*panel);
    EXPECT_EQ(panel->currentURL(), fast);
    EXPECT_EQ(names(*panel), QStringList{"neu.txt"});
    EXPECT_TRUE(panel->tableModel().isInteractive());

    // The same folder listed again with the other hidden-files state.
    held.folder = fast;
    panel->setShowHidden(true);
    QTRY_COMPARE(held.started.load(), 2);
    held.folder = FileUrl();
    panel->setShowHidden(false);
    waitForListing(*panel);
    held.release.release();
    settle(*panel);
    EXPECT_EQ(names(*panel), QStringList{"neu.txt"});
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
    temp.write("start/a.txt");
    auto panel = makePanel(start);
    const qsizetype eventsBefore = DiagnosticsStore::shared().events().size();

    // A path whose component is a file: a fault no privilege can bypass.
    const FileUrl below = temp.file("start/a.txt/unten");
    panel->navigate(below);
    waitForListing(*panel);
    EXPECT_TRUE(panel->items().isEmpty());
    EXPECT_EQ(panel->statusText(), QStringLiteral("Ordner konnte nicht gelesen werden: „") + below.path()
                                       + QStringLiteral("“: Ein Teil des Pfads ist kein Ordner."));
    ASSERT_EQ(DiagnosticsStore::shared().events().size(), eventsBefore + 1);
    EXPECT_EQ(DiagnosticsStore::shared().events().last().message, QStringLiteral("SystemError")) << "no path in the log";

    panel->goBack();
    waitForListing(*panel);
    EXPECT_EQ(names(*panel), QStringList{"a.txt"});
}

TEST_F(ListingTest, StatusLineCountsSelectionMarksAndVisibleRows)
{
    temp.write("a.txt", QByteArray(1200, 'a'));
    temp.write("b.txt", QByteArray(300, 'b'));
    temp.write("c.txt", QByteArray(40, 'c'));
    temp.makeFolder("Ordner");
    auto panel = makePanel(temp.url());
    EXPECT_TRUE(panel->statusText().startsWith(QStringLiteral("0 gewählt · 0 Byte     4 Objekte     Frei: ")))
        << panel->statusText().toStdString();

    // Two selected rows and one other marked entry: three URLs.
    selectRows(*panel, {rowOf(*panel, "a.txt"), rowOf(*panel, "b.txt")});
    panel->setMarked({temp.file("c.txt")});
    EXPECT_EQ(panel->selectedURLs().size(), 3);
    EXPECT_TRUE(panel->statusText().startsWith(QStringLiteral("3 gewählt · 1,5 kB     4 Objekte")));

    panel->findChild<QLineEdit*>(QStringLiteral("filter"))->setText(QStringLiteral("A.T"));
    EXPECT_EQ(names(*panel), QStringList{"a.txt"});
    EXPECT_TRUE(panel->statusText().contains(QStringLiteral("     1 Objekte     ")));
}

TEST_F(ListingTest, HeaderClicksSortAndSelectedRowPositionsSurviveAListing)
{
    temp.write("b.txt", "12345");
    temp.write("a.txt", "1");
    temp.write("c.txt", "123");
    auto panel = makePanel(temp.url());
    panel->show();
    QHeaderView* header = panel->table()->horizontalHeader();
    const QPoint sizeHeader(header->sectionViewportPosition(FileTableModel::sizeColumn) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
    EXPECT_EQ(names(*panel), (QStringList{"b.txt", "c.txt", "a.txt"}));

    // After a listing the row positions stay selected, whatever stands there now.
    selectRows(*panel, {1});
    temp.write("d.txt", "1234567");
    panel->reload();
    waitForListing(*panel);
    EXPECT_EQ(names(*panel), (QStringList{"d.txt", "b.txt", "c.txt", "a.txt"}));
    EXPECT_EQ(panel->selectedURLs(), QList<FileUrl>{temp.file("b.txt")});
}

TEST_F(ListingTest, ShowInPanelPutsTheCursorOnTheEntryOnceItsFolderIsListed)
{
    temp.write("tief/x.txt");
    const FileUrl wanted = temp.write("tief/y.txt");
    auto panel = makePanel(temp.url());
    panel->show();

    panel->showInPanel(wanted);
    waitForListing(*panel);
    EXPECT_EQ(panel->selectedURLs(), QList<FileUrl>{wanted});
    EXPECT_EQ(panel->table()->currentIndex().row(), rowOf(*panel, "y.txt"));

    // Already in the folder: the cursor moves at once.
    panel->showInPanel(temp.file("tief/x.txt"));
    EXPECT_EQ(panel->selectedURLs(), QList<FileUrl>{temp.file("tief/x.txt")});
}
