#include "operations/FileOperationQueue.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QSemaphore>
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
            Queue::ConflictDecision answer = {Action::cancel, false})
{
    Outcome outcome;
    QFuture<QList<Queue::Failure>> future = queue.perform(
        {kind, std::move(sources), destination},
        [&](qsizetype done, qsizetype total, const FileUrl& url) { outcome.progress.append({done, total, url}); },
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

const char* kindName(Kind kind)
{
    return kind == Kind::copy ? "copy" : "move";
}

TEST(FileOperationQueue, EmptyJobReportsTheDestinationOnce)
{
    TempFolder folder;
    Queue queue;
    const Outcome outcome = run(queue, Kind::copy, {}, folder.url());
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_TRUE(outcome.failures.isEmpty());
    EXPECT_EQ(outcome.progress, (QList<ProgressCall>{{0, 0, folder.url()}}));
}

TEST(FileOperationQueue, CopiesAndMovesTopLevelEntriesWhole)
{
    Queue queue;
    for (const Kind kind : {Kind::copy, Kind::move}) {
        SCOPED_TRACE(kindName(kind));
        TempFolder from;
        TempFolder to;
        const FileUrl file = from.write("Bericht.pdf", "pdf");
        from.write("Fotos/2023/a.jpg", "jpg");
        const FileUrl folder = from.file("Fotos");
        const FileUrl link = from.file("verweis");
        ASSERT_EQ(symlink("Fotos/2023", link.nativePath().constData()), 0);
        const auto before = snapshot(from.url());

        const Outcome outcome = run(queue, kind, {file, folder, link}, to.url());
        EXPECT_TRUE(outcome.failures.isEmpty());
        EXPECT_TRUE(outcome.questionsFor.isEmpty());
        EXPECT_EQ(outcome.progress, (QList<ProgressCall>{{0, 3, file}, {1, 3, folder}, {2, 3, link}, {3, 3, to.url()}}));
        EXPECT_EQ(snapshot(to.url()), before);
        EXPECT_EQ(snapshot(from.url()).isEmpty(), kind == Kind::move);
    }
}

struct ConflictCase {
    Action action;
    bool sourceNewer;
    bool sameSize;
    bool replaces;     // the target then holds the source's content
    bool keepsBoth;    // the source lands under "a 2.txt"
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
                SCOPED_TRACE(testing::Message() << kindName(kind) << " action " << int(c.action) << " all "
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
                    const FileUrl target = to.file(name + ".txt");
                    const FileUrl freeName = to.file(name + " 2.txt");
                    EXPECT_EQ(readBytes(target), c.replaces ? sourceContent : QByteArray("alt"));
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

TEST(FileOperationQueue, CancelAnswerEndsTheJobAndTouchesNothing)
{
    TempFolder from;
    TempFolder to;
    const FileUrl first = from.write("eins", "1");
    const FileUrl second = from.write("zwei", "2");
    to.write("eins", "alt");
    Queue queue;
    const Outcome outcome = run(queue, Kind::move, {first, second}, to.url(), {Action::cancel, false});
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(readBytes(to.file("eins")), QByteArray("alt"));
    EXPECT_TRUE(exists(first));
    EXPECT_TRUE(exists(second));
    EXPECT_FALSE(exists(to.file("zwei")));
}

TEST(FileOperationQueue, DecisionPacking)
{
    using Decision = Queue::ConflictDecision;
    EXPECT_EQ((Decision{Action::keepBoth, true}.packed()), 260);
    EXPECT_EQ((Decision{Action::replaceIfSizeDiffers, false}.packed()), 2);
    for (quint16 value = 0; value < 0x200; ++value) {
        const Decision decision = Decision::fromPacked(value);
        EXPECT_EQ(decision.applyToAll, value >= 0x100);
        if ((value & 0xff) <= 5) {
            EXPECT_EQ(decision.packed(), value);
        } else {
            EXPECT_EQ(decision.action, Action::cancel) << value;
        }
    }
}

TEST(FileOperationQueue, CancellingTheFutureStopsTheRunningEntry)
{
    TempFolder from;
    TempFolder to;
    const QList<FileUrl> sources{from.write("1", "x"), from.write("2", "x"), from.write("3", "x")};
    Queue queue;
    QSemaphore futureStored;
    QFuture<QList<Queue::Failure>> future;
    QList<ProgressCall> progress;
    future = queue.perform({Kind::copy, sources, to.url()},
                           [&](qsizetype done, qsizetype total, const FileUrl& url) {
                               progress.append({done, total, url});
                               if (done == 0)
                                   futureStored.acquire();
                               if (done == 1)
                                   future.cancel();
                           },
                           [](const FileUrl&, const FileUrl&) { return Queue::ConflictDecision{}; });
    futureStored.release();
    future.waitForFinished();
    EXPECT_TRUE(future.isCanceled());
    // The entry being copied stops and leaves nothing; the next one is never started.
    EXPECT_EQ(progress.size(), 2);
    EXPECT_EQ(namesInListingOrder(to.url()), QList<QByteArray>{"1"});
}

TEST(FileOperationQueue, VanishedSourceFailsAloneWithTheSystemMessage)
{
    TempFolder from;
    TempFolder to;
    const QList<FileUrl> sources{from.write("1", "x"), from.write("2", "x"), from.write("3", "x")};
    Queue queue;
    QList<Queue::Failure> failures;
    QFuture<QList<Queue::Failure>> future = queue.perform(
        {Kind::move, sources, to.url()},
        [&](qsizetype done, qsizetype, const FileUrl&) {
            if (done == 0)
                unlink(sources[1].nativePath().constData());
        },
        [](const FileUrl&, const FileUrl&) { return Queue::ConflictDecision{}; });
    failures = future.result();
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].source, sources[1]);
    EXPECT_TRUE(failures[0].message.contains(QStringLiteral("existiert nicht"))) << failures[0].message.toStdString();
    EXPECT_TRUE(exists(to.file("1")));
    EXPECT_TRUE(exists(to.file("3")));
}

TEST(FileOperationQueue, SourceThatIsItsOwnTargetIsNeverHarmed)
{
    TempFolder folder;
    const FileUrl file = folder.write("notiz.txt", "wichtig");
    folder.write("Ordner/inhalt", "auch wichtig");
    const FileUrl subfolder = folder.file("Ordner");
    const FileUrl viaLink = folder.file("derselbe");
    ASSERT_EQ(symlink(folder.path().constData(), viaLink.nativePath().constData()), 0);
    const auto before = snapshot(folder.url());
    Queue queue;
    for (const Kind kind : {Kind::copy, Kind::move}) {
        for (const FileUrl& destination : {folder.url(), viaLink}) {
            for (const Action action : {Action::replace, Action::replaceIfNewer, Action::replaceIfSizeDiffers}) {
                const Outcome outcome = run(queue, kind, {file, subfolder}, destination, {action, false});
                EXPECT_EQ(snapshot(folder.url()), before);
                // Nothing to do for the conditional actions; plain replace says why it did nothing.
                EXPECT_EQ(outcome.failures.size(), action == Action::replace ? 2 : 0);
                for (const Queue::Failure& failure : outcome.failures)
                    EXPECT_TRUE(failure.message.contains(QStringLiteral("dasselbe Objekt")));
            }
        }
    }
    const Outcome duplicate = run(queue, Kind::copy, {file, subfolder}, folder.url(), {Action::keepBoth, false});
    EXPECT_TRUE(duplicate.failures.isEmpty());
    EXPECT_EQ(readBytes(folder.file("notiz 2.txt")), QByteArray("wichtig"));
    EXPECT_EQ(readBytes(folder.file("Ordner 2/inhalt")), QByteArray("auch wichtig"));
    EXPECT_EQ(readBytes(file), QByteArray("wichtig"));
}

TEST(FileOperationQueue, FolderIntoItselfIsRefusedAndNothingElseTouched)
{
    TempFolder folder;
    folder.write("A/sub/x", "x");
    const FileUrl linkToSub = folder.file("zu-sub");
    ASSERT_EQ(symlink("A/sub", linkToSub.nativePath().constData()), 0);
    const FileUrl other = folder.write("andere", "y");
    // Folder times change with the other entry coming and going; contents must not.
    const auto before = snapshot(folder.url(), false);
    Queue queue;
    for (const Kind kind : {Kind::copy, Kind::move}) {
        for (const FileUrl& destination : {folder.file("A/sub"), linkToSub, folder.file("A")}) {
            SCOPED_TRACE(testing::Message() << kindName(kind) << " into " << destination.nativePath().constData());
            const Outcome outcome =
                run(queue, kind, {folder.file("A"), other}, destination, {Action::replace, false});
            ASSERT_EQ(outcome.failures.size(), 1) << outcome.failures.value(1).message.toStdString();
            EXPECT_EQ(outcome.failures[0].source, folder.file("A"));
            EXPECT_TRUE(outcome.failures[0].message.contains(QStringLiteral("in sich selbst")));
            // The other entry is processed as usual; undo it for the next round.
            ASSERT_TRUE(exists(destination.appending(QByteArray("andere"))));
            if (kind == Kind::copy)
                unlink(destination.appending(QByteArray("andere")).nativePath().constData());
            else
                rename(destination.appending(QByteArray("andere")).nativePath().constData(), other.nativePath().constData());
            EXPECT_EQ(snapshot(folder.url(), false), before);
        }
    }
}

TEST(FileOperationQueue, ReplacedTargetIsNeverMergedOrWrittenThroughALink)
{
    TempFolder from;
    TempFolder to;
    TempFolder elsewhere;
    const FileUrl folder = from.write("Projekt/neu.txt", "neu").parent();
    to.write("Projekt/alt.txt", "alt");
    const FileUrl file = from.write("geheim.txt", "quelle");
    const FileUrl pointee = elsewhere.file("ziel-des-links");
    ASSERT_EQ(symlink(pointee.nativePath().constData(), to.file("geheim.txt").nativePath().constData()), 0);
    Queue queue;
    const Outcome skipped = run(queue, Kind::copy, {file}, to.url(), {Action::skip, false});
    EXPECT_EQ(skipped.questionsFor, QList<FileUrl>{to.file("geheim.txt")}); // a dangling link is an entry

    const Outcome replaced = run(queue, Kind::copy, {folder, file}, to.url(), {Action::replace, true});
    EXPECT_TRUE(replaced.failures.isEmpty());
    EXPECT_EQ(snapshot(to.url()), snapshot(from.url()));
    EXPECT_FALSE(exists(pointee));
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
    QFutureWatcher<QList<Queue::Failure>> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(queue.perform(
        {Kind::copy, {source}, to.url()},
        Queue::progressOnThreadOf(&context, [&](qsizetype, qsizetype, const FileUrl&) { threads.append(QThread::currentThread()); }),
        Queue::conflictsOnThreadOf(&context, [&](const FileUrl&, const FileUrl&) {
            threads.append(QThread::currentThread());
            return Queue::ConflictDecision{Action::replace, false};
        })));
    loop.exec();
    EXPECT_EQ(threads, QList<QThread*>(3, QThread::currentThread()));
    EXPECT_EQ(readBytes(to.file("a")), QByteArray("neu"));

    // Once the asking window is gone, nobody can answer: the job stops untouched.
    auto gone = std::make_unique<QObject>();
    const Queue::ResolveConflict orphaned = Queue::conflictsOnThreadOf(gone.get(), [](const FileUrl&, const FileUrl&) {
        return Queue::ConflictDecision{Action::replace, true};
    });
    gone.reset();
    QFuture<QList<Queue::Failure>> future =
        queue.perform({Kind::copy, {source}, to.url()}, [](qsizetype, qsizetype, const FileUrl&) {}, orphaned);
    // The relay answers on this thread: blocking it in waitForFinished() would deadlock once the worker asks.
    while (!future.isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(future.isCanceled());
}

} // namespace
