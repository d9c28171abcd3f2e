#include "core/SystemError.h"
#include "operations/FileOperationQueue.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using Queue = FileOperationQueue;
using Action = Queue::ConflictAction;
using Kind = Queue::Kind;
using namespace LocalFileTest;

struct ProgressCall {
    qsizetype completed;
    qsizetype total;
    FileUrl url;
    friend bool operator==(const ProgressCall&, const ProgressCall&) = default;
};

struct Outcome {
    QList<Queue::Failure> failures;
    bool cancelled = false;
    QList<ProgressCall> progress;
    QList<FileUrl> questionsFor; // targets the conflict callback was asked about
};

Outcome run(Queue& queue, Kind kind, QList<FileUrl> sources, const FileUrl& destination,
            Queue::ConflictDecision answer = {Action::cancel, false},
            const std::function<void(qsizetype)>& onProgress = {})
{
    Outcome outcome;
    QFuture<QList<Queue::Failure>> future = queue.perform(
        {kind, std::move(sources), destination},
        [&](qsizetype done, qsizetype total, const FileUrl& url) {
            outcome.progress.append({done, total, url});
            if (onProgress)
                onProgress(done);
        },
        [&](const FileUrl&, const FileUrl& target) {
            outcome.questionsFor.append(target);
            return answer;
        });
    future.waitForFinished();
    outcome.cancelled = future.isCanceled();
    if (!outcome.cancelled)
        outcome.failures = future.result();
    return outcome;
}

// Entries go over whole, in order, with progress per entry; one that vanished
// meanwhile fails alone with the system's message.
TEST(FileOperationQueue, CopiesAndMovesTopLevelEntriesWhole)
{
    Queue queue;
    for (const Kind kind : {Kind::copy, Kind::move}) {
        SCOPED_TRACE(int(kind));
        TempFolder from;
        TempFolder to;
        const FileUrl file = from.write("Bericht.pdf", "pdf");
        const FileUrl folder = from.write("Fotos/2023/a.jpg", "jpg").parent().parent();
        const FileUrl link = from.file("verweis");
        ASSERT_EQ(symlink("Fotos/2023", link.nativePath().constData()), 0);
        const auto before = snapshot(from.url());
        const FileUrl vanishing = from.write("weg", "x");
        const Outcome outcome = run(queue, kind, {file, vanishing, folder, link}, to.url(), {}, [&](qsizetype done) {
            if (done == 0)
                unlink(vanishing.nativePath().constData());
        });
        ASSERT_EQ(outcome.failures.size(), 1);
        EXPECT_EQ(outcome.failures[0].source, vanishing);
        EXPECT_TRUE(outcome.failures[0].message.contains(QStringLiteral("existiert nicht")));
        EXPECT_TRUE(outcome.questionsFor.isEmpty());
        EXPECT_EQ(outcome.progress,
                  (QList<ProgressCall>{{0, 4, file}, {1, 4, vanishing}, {2, 4, folder}, {3, 4, link}, {4, 4, to.url()}}));
        EXPECT_EQ(snapshot(to.url()), before);
        EXPECT_EQ(snapshot(from.url()).isEmpty(), kind == Kind::move);
        EXPECT_EQ(run(queue, kind, {}, to.url()).progress, (QList<ProgressCall>{{0, 0, to.url()}}));
    }
}

struct ConflictCase {
    Action action;
    bool sourceNewer;
    bool sameSize;
    bool replaces;  // the target then holds the source's content
    bool keepsBoth; // the source lands under "a 2.txt"
};

// Two conflicting entries set up alike: with "apply to all" the second is
// treated like the first without asking, otherwise it is asked about again.
TEST(FileOperationQueue, EachConflictActionInBothKindsWithAndWithoutApplyToAll)
{
    const ConflictCase cases[] = {
        {Action::replace, false, true, true, false},
        {Action::replaceIfNewer, true, true, true, false},
        {Action::replaceIfNewer, false, false, false, false}, // equal dates
        {Action::replaceIfSizeDiffers, false, false, true, false},
        {Action::replaceIfSizeDiffers, true, true, false, false},
        {Action::skip, true, false, false, false},
        {Action::keepBoth, true, false, false, true},
    };
    Queue queue;
    for (const Kind kind : {Kind::copy, Kind::move}) {
        for (const bool applyToAll : {false, true}) {
            for (const ConflictCase& c : cases) {
                SCOPED_TRACE(testing::Message() << "kind " << int(kind) << " action " << int(c.action) << " all "
                                                << applyToAll << " newer " << c.sourceNewer << " same size " << c.sameSize);
                TempFolder from;
                TempFolder to;
                QList<FileUrl> sources;
                for (const QByteArray name : {"a.txt", "b.txt"}) {
                    sources.append(from.write(name, c.sameSize ? "neu" : "neu!"));
                    setModificationTime(to.write(name, "alt"), 1'600'000'000, 5);
                    setModificationTime(sources.last(), c.sourceNewer ? 1'600'000'001 : 1'600'000'000,
                                        c.sourceNewer ? 0 : 5);
                }
                const QByteArray sourceContent = readBytes(sources[0]);
                const Outcome outcome = run(queue, kind, sources, to.url(), {c.action, applyToAll});
                EXPECT_TRUE(outcome.failures.isEmpty());
                EXPECT_EQ(outcome.questionsFor.size(), applyToAll ? 1 : 2);
                for (const QByteArray name : {"a", "b"}) {
                    const FileUrl freeName = to.file(name + " 2.txt");
                    EXPECT_EQ(readBytes(to.file(name + ".txt")), c.replaces ? sourceContent : QByteArray("alt"));
                    EXPECT_EQ(exists(freeName), c.keepsBoth);
                    if (c.keepsBoth) {
                        EXPECT_EQ(readBytes(freeName), sourceContent);
                    }
                    EXPECT_EQ(exists(from.file(name + ".txt")), kind == Kind::copy || !(c.replaces || c.keepsBoth));
                }
                EXPECT_TRUE(stagingLeftovers(to.url()).isEmpty());
            }
        }
    }
}

// Cancelling, by the conflict answer or through the future while an entry is
// copied: the running entry leaves nothing, later entries are never started.
TEST(FileOperationQueue, CancellingEndsTheJobWithoutTouchingWhatIsLeft)
{
    TempFolder from;
    TempFolder to;
    const QList<FileUrl> sources{from.write("1", "1"), from.write("2", "2"), from.write("3", "3")};
    to.write("1", "alt");
    Queue queue;
    const Outcome answered = run(queue, Kind::move, sources, to.url(), {Action::cancel, false});
    EXPECT_TRUE(answered.cancelled);
    EXPECT_EQ(snapshot(to.url(), false).keys(), QList<QByteArray>{"1"});
    EXPECT_EQ(readBytes(to.file("1")), "alt");
    EXPECT_TRUE(exists(sources[0]) && exists(sources[1]) && exists(sources[2]));

    unlink(to.file("1").nativePath().constData());
    QSemaphore futureStored;
    QFuture<QList<Queue::Failure>> future;
    int progressCalls = 0;
    future = queue.perform(
        {Kind::copy, sources, to.url()},
        [&](qsizetype done, qsizetype, const FileUrl&) {
            ++progressCalls;
            if (done == 0)
                futureStored.acquire();
            if (done == 1)
                future.cancel();
        },
        [](const FileUrl&, const FileUrl&) { return Queue::ConflictDecision{}; });
    futureStored.release();
    future.waitForFinished();
    EXPECT_TRUE(future.isCanceled());
    EXPECT_EQ(progressCalls, 2);
    EXPECT_EQ(namesInListingOrder(to.url()), QList<QByteArray>{"1"});
}

// A dangling link is an entry: it is asked about and replaced, never written through.
TEST(FileOperationQueue, ALinkAtTheTargetIsAConflictAndIsReplacedItself)
{
    TempFolder from;
    TempFolder to;
    const FileUrl file = from.write("geheim.txt", "quelle");
    const FileUrl pointee = to.file("ziel-des-links");
    ASSERT_EQ(symlink(pointee.nativePath().constData(), to.file("geheim.txt").nativePath().constData()), 0);
    Queue queue;
    const Outcome replaced = run(queue, Kind::copy, {file}, to.url(), {Action::replace, false});
    EXPECT_EQ(replaced.questionsFor, QList<FileUrl>{to.file("geheim.txt")});
    EXPECT_EQ(snapshot(to.url()), snapshot(from.url()));
}

TEST(FileOperationQueue, CallbacksCanBeHandedToTheGuiThread)
{
    TempFolder from;
    TempFolder to;
    const FileUrl source = from.write("a", "neu");
    to.write("a", "alt");
    Queue queue;
    QObject context;
    QList<QThread*> threads;
    const auto note = [&] { threads.append(QThread::currentThread()); };
    QFuture<QList<Queue::Failure>> future = queue.perform(
        {Kind::copy, {source}, to.url()},
        Queue::progressOnThreadOf(&context, [&](qsizetype, qsizetype, const FileUrl&) { note(); }),
        Queue::conflictsOnThreadOf(&context, [&](const FileUrl&, const FileUrl&) {
            note();
            return Queue::ConflictDecision{Action::replace, false};
        }));
    // Waits by serving this thread's events: the job's callbacks come here.
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 30000));
    EXPECT_EQ(threads, QList<QThread*>(3, QThread::currentThread()));
    EXPECT_EQ(readBytes(to.file("a")), QByteArray("neu"));

    // Once the asking window is gone, nobody can answer: the job stops untouched.
    auto gone = std::make_unique<QObject>();
    const Queue::ResolveConflict orphaned = Queue::conflictsOnThreadOf(gone.get(), [](const FileUrl&, const FileUrl&) {
        return Queue::ConflictDecision{Action::replace, true};
    });
    gone.reset();
    future = queue.perform({Kind::copy, {source}, to.url()}, [](qsizetype, qsizetype, const FileUrl&) {}, orphaned);
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 30000));
    EXPECT_TRUE(future.isCanceled());
}

TEST(FileOperationTrash, TrashAndRestoreRoundTrip)
{
    TempFolder folder;
    const FileUrl file = folder.write("Notiz \xe4.txt", "text");
    const FileUrl tree = folder.write("Ordner/tief/datei", "tief").parent().parent();
    const auto before = snapshot(folder.url());
    Queue queue;
    QList<qsizetype> progress;
    const QList<Queue::TrashRecord> records =
        queue.trash({file, tree}, [&](qsizetype done, qsizetype, const FileUrl&) { progress.append(done); }).result();
    EXPECT_EQ(progress, (QList<qsizetype>{0, 1, 2}));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[1].location, tree);
    EXPECT_TRUE(snapshot(folder.url()).isEmpty());
    // Last first; a place taken meanwhile stops the undo without replacing what took
    // it, and a retry restores only what is still in the trash.
    folder.write(file.nativeFileName(), "neu");
    const auto taken = thrown<SystemError>([&] { queue.restoreFromTrash(records).waitForFinished(); });
    EXPECT_TRUE(taken && taken->code() == EEXIST && taken->nativePath() == file.nativePath());
    EXPECT_EQ(readBytes(file), "neu");
    const QList<Queue::TrashRecord> remaining = queue.stillInTrash(records).result();
    EXPECT_EQ(remaining, QList<Queue::TrashRecord>{records[0]});
    ASSERT_EQ(unlink(file.nativePath().constData()), 0);
    queue.restoreFromTrash(remaining).waitForFinished();
    EXPECT_EQ(snapshot(folder.url()), before);
}

TEST(FileOperationTrash, FirstErrorEndsTrashingAndEarlierEntriesStayTrashed)
{
    TempFolder folder;
    const FileUrl first = folder.write("erste", "1");
    const FileUrl missing = folder.file("gibt-es-nicht");
    const FileUrl third = folder.write("dritte", "3");
    Queue queue;
    const auto error = thrown<SystemError>(
        [&] { queue.trash({first, missing, third}, [](qsizetype, qsizetype, const FileUrl&) {}).waitForFinished(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), ENOENT);
    EXPECT_EQ(error->nativePath(), missing.nativePath());
    EXPECT_FALSE(exists(first));
    EXPECT_TRUE(exists(third));
}

} // namespace
