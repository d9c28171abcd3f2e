// The synchronisation as whole processes, for bench/sync/run.sh.
//   bench_sync plan LEFT RIGHT           plans; prints the number of items
//   bench_sync execute LEFT RIGHT        plans and executes every copy
//   bench_sync preview LEFT RIGHT [PNG]  plans, then opens the preview window and
//                                        prints the GUI thread's longest stall (ms)
//                                        next to that of an idle loop
#include "core/CancellationToken.h"
#include "sync/SyncExecutor.h"
#include "sync/SyncPlanner.h"
#include "sync/SyncPreviewWindowController.h"
#include "ui/Interaction.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

class SilentInteraction : public Interaction {
public:
    AlertResponse runAlert(const AlertRequest&) override { return {}; }
    void beep() override {}
    std::optional<QString> chooseFileToOpen(const OpenFileRequest&) override { return std::nullopt; }
    std::optional<QString> chooseSaveDestination(const SaveFileRequest&) override { return std::nullopt; }
};

struct Stall {
    qint64 wallMs = 0; // the longest time the event loop did not come round
    qint64 cpuMs = 0;  // the GUI thread's own processor time in the longest such gap
};

qint64 threadCpuMs()
{
    struct timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// While `work` runs its steps. On a loaded machine a gap also holds time spent
// waiting for a processor; the processor time shows the window's own share.
Stall longestStall(QApplication& application, const std::function<void()>& work)
{
    QElapsedTimer sinceTick;
    qint64 cpuAtTick = threadCpuMs();
    Stall longest;
    QTimer heartbeat;
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longest.wallMs = std::max(longest.wallMs, sinceTick.elapsed());
        longest.cpuMs = std::max(longest.cpuMs, threadCpuMs() - cpuAtTick);
        sinceTick.start();
        cpuAtTick = threadCpuMs();
    });
    heartbeat.start();
    sinceTick.start();
    QTimer::singleShot(5, work);
    QTimer::singleShot(1500, &application, &QApplication::quit);
    application.exec();
    return longest;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const QByteArray mode = argv[1];
    const FileUrl left = FileUrl::fromNativePath(argv[2]);
    const FileUrl right = FileUrl::fromNativePath(argv[3]);
    if (mode == "plan") {
        const auto plan = SyncPlanner::makePlan(left.nativePath(), right.nativePath(), CancellationToken());
        std::printf("%lld\n", static_cast<long long>(plan.size()));
        return 0;
    }
    if (mode == "execute") {
        const auto plan = SyncPlanner::makePlan(left.nativePath(), right.nativePath(), CancellationToken());
        const auto failures = SyncExecutor::run(plan, left.nativePath(), right.nativePath(), {}, CancellationToken());
        for (const SyncExecutor::Failure& failure : failures)
            std::fprintf(stderr, "%s\n", failure.message.toUtf8().constData());
        return failures.isEmpty() ? 0 : 1;
    }
    if (mode != "preview")
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    SilentInteraction interaction;
    auto plan = SyncPlanner::makePlan(left.nativePath(), right.nativePath(), CancellationToken());
    const qsizetype items = plan.size();
    // In the program the main window has met fonts and style long before: a
    // first small window takes that one-time cost out of the figure.
    {
        SyncPreviewWindowController warmUp(plan.mid(0, 1), left, right, interaction);
        warmUp.show();
        QElapsedTimer settling;
        settling.start();
        while (settling.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    // The same loop without any work: what the shared machine alone costs.
    const Stall idle = longestStall(application, [] {});
    std::unique_ptr<SyncPreviewWindowController> window;
    qint64 opening = 0;
    const Stall stall = longestStall(application, [&] {
        QElapsedTimer timer;
        timer.start();
        window = std::make_unique<SyncPreviewWindowController>(std::move(plan), left, right, interaction);
        window->show();
        window->repaint();
        opening = timer.elapsed();
        QTimer::singleShot(300, [&] {
            window->table()->scrollToBottom();
            window->repaint();
        });
    });
    if (argc > 4)
        window->grab().save(QString::fromLocal8Bit(argv[4]));
    std::printf("%lld items, opening %lld ms, idle loop %lld ms, longest stall %lld ms (processor %lld ms)\n",
                static_cast<long long>(items), static_cast<long long>(opening), static_cast<long long>(idle.wallMs),
                static_cast<long long>(stall.wallMs), static_cast<long long>(stall.cpuMs));
    return 0;
}
