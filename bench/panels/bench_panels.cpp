// A panel on a folder of many files: time from navigate() to all rows shown
// against the bare listing (alternating, median), the longest stall of the GUI
// thread meanwhile (a 1 ms heartbeat timer), sorting by each column, and the
// heap the panel holds per entry. Usage: bench_panels FOLDER [RUNS]
#include "core/FileSystemCore.h"
#include "panels/FilePanelController.h"
#include "panels/FileTableModel.h"
#include "ui/QtInteraction.h"

#include "../Heartbeat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Runs the event loop until the panel has put a listing in place and painted it.
void waitUntilShown(FilePanelController& panel)
{
    bool listed = false;
    const QMetaObject::Connection connection =
        QObject::connect(&panel, &FilePanelController::listingFinished, [&listed] { listed = true; });
    while (!listed)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject::disconnect(connection);
    panel.table()->viewport()->repaint();
}

struct NavigationRun {
    double milliseconds;
    double longestStall;    // wall time between two heartbeats
    double longestCpuStall; // GUI-thread CPU time between two heartbeats
};

NavigationRun navigateOnce(FilePanelController& panel, const FileUrl& big, const FileUrl& empty)
{
    panel.navigate(empty);
    waitUntilShown(panel);

    QElapsedTimer timer;
    timer.start();
    Heartbeat heartbeat;
    panel.navigate(big);
    waitUntilShown(panel);
    const double elapsed = milliseconds(timer);
    return {elapsed, heartbeat.longestMilliseconds(), heartbeat.longestCpuMilliseconds()};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "Aufruf: bench_panels ORDNER [LÄUFE]\n");
        return 2;
    }
    // The panel saves its tabs: never into the user's own settings.
    QTemporaryDir settingsHome;
    setenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit().constData(), 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const FileUrl big = FileUrl::fromNativePath(QByteArray(argv[1]));
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir emptyFolder;
    const FileUrl empty = FileUrl::fromLocalPath(emptyFolder.path());

    QtInteraction interaction;
    const size_t heapBefore = mallinfo2().uordblks;
    auto* panel = new FilePanelController(empty, QStringLiteral("Left"), interaction);
    panel->resize(900, 700);
    panel->show();
    waitUntilShown(*panel);
    const size_t heapEmptyPanel = mallinfo2().uordblks;

    // Memory first, on the first listing, before anything else lingers in the heap.
    panel->navigate(big);
    waitUntilShown(*panel);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const qsizetype entries = panel->items().size();
    const double bytesPerEntry = double(mallinfo2().uordblks - heapEmptyPanel) / double(entries);

    std::vector<double> bare, shown, stalls, cpuStalls;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QList<FileItem> listing = FileSystemCore::contents(big, false);
        bare.push_back(milliseconds(timer));
        const NavigationRun navigation = navigateOnce(*panel, big, empty);
        shown.push_back(navigation.milliseconds);
        stalls.push_back(navigation.longestStall);
        cpuStalls.push_back(navigation.longestCpuStall);
    }

    std::printf("Einträge: %lld, Läufe: %d (Median, abwechselnd)\n", static_cast<long long>(entries), runs);
    std::printf("FileSystemCore::contents:          %8.1f ms\n", median(bare));
    std::printf("navigate() bis alle Zeilen sichtbar: %8.1f ms\n", median(shown));
    std::printf("längster Stillstand des GUI-Threads: %8.1f ms (schlechtester Lauf: %.1f ms)\n", median(stalls),
                *std::max_element(stalls.begin(), stalls.end()));
    std::printf("  davon Rechenzeit des GUI-Threads:  %8.1f ms (schlechtester Lauf: %.1f ms)\n", median(cpuStalls),
                *std::max_element(cpuStalls.begin(), cpuStalls.end()));

    FileTableModel& model = panel->tableModel();
    for (int column = 0; column < FileTableModel::numberOfColumns; ++column) {
        std::vector<double> times;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            model.changeRows([&](PanelItems& items) {
                items.setSort(PanelItems::ColumnSort{FileTableModel::columnKey(column), run % 2 == 0});
            });
            times.push_back(milliseconds(timer));
        }
        std::printf("Sortieren nach %-12s %8.1f ms\n", qPrintable(FileTableModel::columnKey(column) + u':'),
                    median(times));
    }
    std::printf("Leeres Panel: %.1f KiB Heap\n", double(heapEmptyPanel - heapBefore) / 1024.0);
    std::printf("Verhältnis navigate() / contents(): %.2f\n", median(shown) / median(bare));
    std::printf("Speicher des Panels je Eintrag: %.1f Bytes\n", bytesPerEntry);
    delete panel;
    return 0;
}
