#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "platform/LocalFileTestSupport.h"
#include "sync/SyncExecutor.h"
#include "sync/SyncPlanner.h"
#include "sync/SyncTestSupport.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace SyncTest;
using LocalFileTest::readBytes;
using LocalFileTest::stagingLeftovers;

namespace {

class SyncExecutorTest : public ::testing::Test {
protected:
    SyncPlanner::Plan plan() const { return SyncPlanner::makePlan(left.path(), right.path(), CancellationToken()); }

    QList<SyncExecutor::Failure> execute(const SyncPlanner::Plan& items,
                                         const CancellationToken& token = CancellationToken()) const
    {
        return SyncExecutor::run(items, left.path(), right.path(), {}, token);
    }

    static QStringList messages(const QList<SyncExecutor::Failure>& failures)
    {
        QStringList result;
        for (const SyncExecutor::Failure& failure : failures)
            result.append(failure.item.relativePath() + QStringLiteral(": ") + failure.message);
        return result;
    }

    TempFolder left;
    TempFolder right;
};

} // namespace

// A one-sided folder with a file, a link and a name that is no UTF-8 goes over
// whole; the same plan runs again without errors; afterwards both sides plan equal.
TEST_F(SyncExecutorTest, CopiesBothWaysAndRunsTheSamePlanTwice)
{
    writeDated(left, "reports/2024/a.txt", "alpha", tenOClock);
    // A mode the umask would cut.
    ASSERT_EQ(chmod(left.file("reports/2024/a.txt").nativePath().constData(), 0666), 0);
    ASSERT_EQ(setxattr(left.file("reports/2024/a.txt").nativePath().constData(), "user.herkunft", "Kamera", 6, 0), 0);
    writeDated(left, QByteArray("reports/2024/\xff-raw"), "raw", tenOClock);
    ASSERT_EQ(symlink("../../elsewhere", (left.path() + "/reports/2024/link").constData()), 0);
    writeDated(right, "newer.txt", "right side", tenOClock + 5 * second);
    writeDated(left, "newer.txt", "left", tenOClock);
    const SyncPlanner::Plan items = plan();
    ASSERT_EQ(items.size(), 6);

    EXPECT_EQ(messages(execute(items)), QStringList());
    EXPECT_EQ(messages(execute(items)), QStringList());

    // Contents, modes and links here; equal file dates show in the empty plan below.
    EXPECT_EQ(LocalFileTest::snapshot(left.file("reports"), false), LocalFileTest::snapshot(right.file("reports"), false));
    EXPECT_EQ(readBytes(left.file("newer.txt")), "right side");
    char origin[16] = {};
    EXPECT_EQ(getxattr(right.file("reports/2024/a.txt").nativePath().constData(), "user.herkunft", origin, sizeof origin), 6);
    EXPECT_STREQ(origin, "Kamera");
    EXPECT_TRUE(plan().isEmpty());
    EXPECT_TRUE(stagingLeftovers(left.url()).isEmpty());
    EXPECT_TRUE(stagingLeftovers(right.url()).isEmpty());
}

// Whatever moved on at the destination after planning is left as it is; the
// other items still run. A link at the destination is replaced as a link.
TEST_F(SyncExecutorTest, LeavesADestinationThatChangedAfterPlanning)
{
    TempFolder outside;
    const FileUrl outsideFile = outside.write("victim", "outside");
    writeDated(left, "edited", "planned copy", tenOClock + second);
    writeDated(right, "edited", "old", tenOClock);
    writeDated(left, "appeared", "left", tenOClock);
    writeDated(left, "folder", "a file on the left", tenOClock);
    writeDated(left, "sub/inner", "left", tenOClock);
    writeDated(left, "linked", "new", tenOClock + second);
    ASSERT_EQ(symlink(outsideFile.nativePath().constData(), (right.path() + "/linked").constData()), 0);
    setModified(right.file("linked"), tenOClock);
    left.makeFolder("made");
    const SyncPlanner::Plan items = plan();

    right.write("edited", "the user's newer text");
    right.write("appeared", "made after planning");
    right.makeFolder("folder");
    ASSERT_EQ(symlink(outside.path().constData(), (right.path() + "/sub").constData()), 0);
    right.write("made", "a file where the folder goes");

    const QStringList failures = messages(execute(items));
    ASSERT_EQ(failures.size(), 6) << failures.join('\n').toStdString();
    for (int i : {0, 1, 2})
        EXPECT_TRUE(failures[i].contains("nach der Planung verändert")) << failures[i].toStdString();
    EXPECT_TRUE(failures[0].startsWith("appeared: "));
    EXPECT_TRUE(failures[1].startsWith("edited: "));
    EXPECT_TRUE(failures[2].startsWith("folder: "));
    EXPECT_TRUE(failures[3].startsWith("made: ") && failures[3].contains("existiert bereits"));
    EXPECT_TRUE(failures[4].startsWith("sub: ") && failures[4].contains("existiert bereits"));
    EXPECT_TRUE(failures[5].startsWith("sub/inner: ") && failures[5].contains("kein Ordner"));
    EXPECT_EQ(readBytes(right.file("edited")), "the user's newer text");
    EXPECT_EQ(readBytes(right.file("appeared")), "made after planning");
    EXPECT_EQ(readBytes(right.file("made")), "a file where the folder goes");
    EXPECT_EQ(LocalFileTest::snapshot(outside.url(), false).keys(), QList<QByteArray>{"victim"});
    EXPECT_EQ(readBytes(outsideFile), "outside");
    EXPECT_TRUE(S_ISREG(LocalFileTest::lstatOf(right.file("linked")).st_mode));
    EXPECT_EQ(readBytes(right.file("linked")), "new");
    EXPECT_TRUE(stagingLeftovers(right.url()).isEmpty());
}

// A source that grows while it is copied, and one deleted after planning, fail
// alone; the other items are copied.
TEST_F(SyncExecutorTest, FailsOnlyTheItemWhoseSourceChanges)
{
    writeDated(left, "a-growing", QByteArray(3 << 20, 'g'), tenOClock);
    writeDated(left, "b-gone", "gone", tenOClock);
    writeDated(left, "c-kept", "kept", tenOClock);
    const SyncPlanner::Plan items = plan();
    ASSERT_EQ(unlink(left.file("b-gone").nativePath().constData()), 0);
    int checks = 0;
    // The executor looks for cancellation between blocks: the writer strikes there.
    const CancellationToken writer([&] {
        if (++checks == 3)
            left.write("a-growing", "rewritten");
        return false;
    });

    const QStringList failures = messages(execute(items, writer));
    ASSERT_EQ(failures.size(), 2) << failures.join('\n').toStdString();
    EXPECT_TRUE(failures[0].startsWith("a-growing: ") && failures[0].contains("während des Kopierens"));
    EXPECT_TRUE(failures[1].startsWith("b-gone: ") && failures[1].contains("existiert nicht"));
    EXPECT_EQ(readBytes(right.file("c-kept")), "kept");
    EXPECT_FALSE(LocalFileTest::exists(right.file("a-growing")));
    EXPECT_TRUE(stagingLeftovers(right.url()).isEmpty());
}

// Cancelled inside a copy, and a disk that is full: the old destination stays
// whole and no temporary copy is left.
TEST_F(SyncExecutorTest, KeepsTheOldDestinationWhenACopyBreaksOff)
{
    writeDated(left, "big", QByteArray(4 << 20, 'n'), tenOClock + second);
    writeDated(right, "big", "old contents", tenOClock);
    const SyncPlanner::Plan items = plan();

    int checks = 0;
    EXPECT_THROW(execute(items, CancellationToken([&] { return ++checks > 3; })), CancellationError);
    EXPECT_GT(checks, 3);
    EXPECT_EQ(readBytes(right.file("big")), "old contents");
    EXPECT_TRUE(stagingLeftovers(right.url()).isEmpty());

    // A file size limit fails writes as a full disk does, also for root.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QList<SyncExecutor::Failure> failures = execute(items);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previousHandler);

    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].message.contains("zu groß")) << failures[0].message.toStdString();
    EXPECT_EQ(readBytes(right.file("big")), "old contents");
    EXPECT_TRUE(stagingLeftovers(right.url()).isEmpty());
}
