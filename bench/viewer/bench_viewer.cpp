// The viewer, the text compare and the directory compare, measured through the
// windows offscreen: time from opening a window until its text is shown and
// painted, the longest stall of the GUI thread meanwhile (a 1 ms heartbeat
// timer; wall time and the GUI thread's own CPU time), and the directory
// compare against the two bare listings it needs (alternating, medians).
// Usage: bench_viewer WORKFOLDER [RUNS]; WORKFOLDER holds text8.txt, left.txt,
// right.txt and the folders left/ and right/ (bench/viewer/run.sh makes them).
#include "core/FileSystemCore.h"
#include "tools/DirectoryCompareEngine.h"
#include "tools/InternalViewerController.h"
#include "tools/TextCompareWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace {

double milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double processCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Run {
    double milliseconds = 0;
    double cpuMilliseconds = 0; // all threads: on a busy machine the closer measure of our own work
    double longestStall = 0;
    double longestCpuStall = 0;
};

// Starts the work, runs the event loop until `done` says so, and watches the GUI thread meanwhile.
Run measured(const std::function<void()>& start, const std::function<bool()>& done)
{
    Run run;
    QElapsedTimer beat;
    double cpuAtBeat = threadCpuMilliseconds();
    const auto heartbeatArrived = [&] {
        run.longestStall = std::max(run.longestStall, milliseconds(beat));
        const double cpu = threadCpuMilliseconds();
        run.longestCpuStall = std::max(run.longestCpuStall, cpu - cpuAtBeat);
        cpuAtBeat = cpu;
        beat.restart();
    };
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, heartbeatArrived);
    QElapsedTimer timer;
    timer.start();
    const double cpuAtStart = processCpuMilliseconds();
    heartbeat.start();
    beat.start();
    start();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.milliseconds = milliseconds(timer);
    run.cpuMilliseconds = processCpuMilliseconds() - cpuAtStart;
    heartbeatArrived();
    return run;
}

struct Figures {
    std::vector<double> times, cpuTimes, stalls, cpuStalls;
    void add(const Run& run)
    {
        times.push_back(run.milliseconds);
        cpuTimes.push_back(run.cpuMilliseconds);
        stalls.push_back(run.longestStall);
        cpuStalls.push_back(run.longestCpuStall);
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void print(const char* what, const Figures& figures)
{
    const auto [low, high] = std::minmax_element(figures.times.begin(), figures.times.end());
    const auto [cpuLow, cpuHigh] = std::minmax_element(figures.cpuTimes.begin(), figures.cpuTimes.end());
    std::printf("%s\n  Wandzeit %8.1f ms (%.1f–%.1f), Rechenzeit aller Threads %8.1f ms (%.1f–%.1f)\n"
                "  Stillstand des GUI-Threads %6.1f ms (schlechtester %.1f), davon Rechenzeit %6.1f ms (schlechtester %.1f)\n",
                what, median(figures.times), *low, *high, median(figures.cpuTimes), *cpuLow, *cpuHigh,
                median(figures.stalls), *std::max_element(figures.stalls.begin(), figures.stalls.end()),
                median(figures.cpuStalls), *std::max_element(figures.cpuStalls.begin(), figures.cpuStalls.end()));
}

Run openViewer(const FileUrl& file, InternalViewerController*& viewer)
{
    bool rendered = false;
    return measured(
        [&] {
            viewer = new InternalViewerController(file);
            QObject::connect(viewer, &InternalViewerController::rendered, [&rendered] { rendered = true; });
            viewer->show();
        },
        [&] {
            if (!rendered)
                return false;
            viewer->textView()->viewport()->repaint();
            return true;
        });
}

Run switchToHex(InternalViewerController& viewer)
{
    bool rendered = false;
    const QMetaObject::Connection connection =
        QObject::connect(&viewer, &InternalViewerController::rendered, [&rendered] { rendered = true; });
    const Run run = measured([&] { viewer.setMode(InternalViewerController::hex); },
                             [&] {
                                 if (!rendered)
                                     return false;
                                 viewer.textView()->viewport()->repaint();
                                 return true;
                             });
    QObject::disconnect(connection);
    return run;
}

Run openTextCompare(const FileUrl& left, const FileUrl& right)
{
    bool rendered = false;
    TextCompareWindowController* compare = nullptr;
    const Run run = measured(
        [&] {
            compare = new TextCompareWindowController(left, right);
            QObject::connect(compare, &TextCompareWindowController::rendered, [&rendered] { rendered = true; });
            compare->show();
        },
        [&] {
            if (!rendered)
                return false;
            compare->leftText()->viewport()->repaint();
            compare->rightText()->viewport()->repaint();
            return true;
        });
    if (!compare->statusText().startsWith(QStringLiteral("10000 ")))
        std::fprintf(stderr, "Unerwarteter Status: %s\n", qPrintable(compare->statusText()));
    delete compare;
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "Aufruf: bench_viewer ARBEITSORDNER [LÄUFE]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const FileUrl work = FileUrl::fromNativePath(QByteArray(argv[1]));
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    Figures viewerText, viewerHex, textCompare;
    std::vector<double> compareTimes, listingTimes;
    DirectoryCompareEngine engine;
    const FileUrl leftFolder = work.appending(QByteArrayLiteral("left"));
    const FileUrl rightFolder = work.appending(QByteArrayLiteral("right"));
    qsizetype marks = 0;
    for (int run = 0; run < runs; ++run) {
        InternalViewerController* viewer = nullptr;
        viewerText.add(openViewer(work.appending(QByteArrayLiteral("text8.txt")), viewer));
        viewerHex.add(switchToHex(*viewer));
        delete viewer;
        textCompare.add(openTextCompare(work.appending(QByteArrayLiteral("left.txt")),
                                        work.appending(QByteArrayLiteral("right.txt"))));

        // The bare listings and the compare take turns in which goes first.
        for (int turn = 0; turn < 2; ++turn) {
            QElapsedTimer timer;
            timer.start();
            if ((run + turn) % 2 == 0) {
                const DirectoryComparison result = engine.compare(leftFolder, rightFolder).result();
                compareTimes.push_back(milliseconds(timer));
                marks = result.leftMarks.size() + result.rightMarks.size();
            } else {
                const QList<FileItem> left = FileSystemCore::contents(leftFolder, true);
                const QList<FileItem> right = FileSystemCore::contents(rightFolder, true);
                listingTimes.push_back(milliseconds(timer));
            }
        }
    }

    std::printf("Läufe: %d (Median, Spanne in Klammern)\n", runs);
    print("Anzeigen 8 MiB Text bis gezeichnet:", viewerText);
    print("Umschalten auf Hex (1 MiB):", viewerHex);
    print("Textvergleich 2 × 4 MiB bis gezeichnet:", textCompare);
    const auto [compareLow, compareHigh] = std::minmax_element(compareTimes.begin(), compareTimes.end());
    const auto [listLow, listHigh] = std::minmax_element(listingTimes.begin(), listingTimes.end());
    std::printf("Verzeichnisvergleich (%lld Markierungen): %8.1f ms (%.1f–%.1f)\n", static_cast<long long>(marks),
                median(compareTimes), *compareLow, *compareHigh);
    std::printf("Zwei bloße Auflistungen:                %8.1f ms (%.1f–%.1f)\n", median(listingTimes), *listLow,
                *listHigh);
    std::printf("Verhältnis Verzeichnisvergleich / zwei Auflistungen: %.2f\n",
                median(compareTimes) / median(listingTimes));
    return 0;
}
