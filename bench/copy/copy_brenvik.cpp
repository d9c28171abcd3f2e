// One FileOperationQueue::perform, or one FileSystemCore::directorySize, as a
// whole process for the copy benchmark.
// Usage: bench_copy_brenvik copy|move SOURCE DESTINATION_FOLDER
//        bench_copy_brenvik size FOLDER (absolute paths)
#include "core/FileSystemCore.h"
#include "operations/FileOperationQueue.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "size") == 0) {
        std::printf("%lld\n", static_cast<long long>(FileSystemCore::directorySize(FileUrl::fromNativePath(argv[2]))));
        return 0;
    }
    if (argc != 4 || (std::strcmp(argv[1], "copy") != 0 && std::strcmp(argv[1], "move") != 0))
        return 2;
    using Queue = FileOperationQueue;
    const Queue::Kind kind = std::strcmp(argv[1], "copy") == 0 ? Queue::Kind::copy : Queue::Kind::move;
    Queue queue;
    QFuture<QList<Queue::Failure>> future = queue.perform(
        {kind, {FileUrl::fromNativePath(argv[2])}, FileUrl::fromNativePath(argv[3])},
        [](qsizetype, qsizetype, const FileUrl&) {},
        [](const FileUrl&, const FileUrl&) { return Queue::ConflictDecision{Queue::ConflictAction::cancel, false}; });
    future.waitForFinished();
    if (future.isCanceled()) {
        std::fprintf(stderr, "name conflict\n");
        return 1;
    }
    const QList<Queue::Failure> failures = future.result();
    for (const Queue::Failure& failure : failures)
        std::fprintf(stderr, "%s\n", failure.message.toUtf8().constData());
    return failures.isEmpty() ? 0 : 1;
}
