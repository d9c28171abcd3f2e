#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "sync/SyncExecutor.h"
#include "sync/SyncPlanner.h"
#include "sync/SyncTestSupport.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/xattr.h>

using namespace SyncTest;
using namespace LocalFileTest;

namespace {

class SyncExecutorTest : public ::testing::Test {
protected:
    SyncPlanner::Plan plan() const { return SyncPlanner::makePlan(left.path(), right.path(), CancellationToken()); }

    // "path: message" per failure.
    QStringList execute(const SyncPlanner::Plan& items, const CancellationToken& token = CancellationToken()) const
    {
        QStringList result;
        for (const SyncExecutor::Failure& failure : SyncExecutor::run(items, left.path(), right.path(), {}, token))
            result.append(failure.item.relativePath() + QStringLiteral(": ") + failure.message);
        return result;
    }

    void expectFailures(const QStringList& failures, const QList<std::pair<QString, QString>>& expected) const
    {
        ASSERT_EQ(failures.size(), expected.size()) << failures.join('\n').toStdString();
        for (qsizetype i = 0; i < failures.size(); ++i)
            EXPECT_TRUE(failures[i].startsWith(expected[i].first + ": ") && failures[i].contains(expected[i].second))
                << failures[i].toStdString();
        EXPECT_TRUE(stagingLeftovers(left.url()).isEmpty() && stagingLeftovers(right.url()).isEmpty());
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
    ASSERT_EQ(chmod(left.file("reports/2024/a.txt").nativePath().constData(), 0666), 0); // the umask would cut it
    ASSERT_EQ(setxattr(left.file("reports/2024/a.txt").nativePath().constData(), "user.herkunft", "Kamera", 6, 0), 0);
    writeDated(left, QByteArray("reports/2024/\xff-raw"), "raw", tenOClock);
    ASSERT_EQ(symlink("../../elsewhere", (left.path() + "/reports/2024/link").constData()), 0);
    writeDated(right, "newer.txt", "right side", tenOClock + 5 * second);
    writeDated(left, "newer.txt", "left", tenOClock);
    const SyncPlanner::Plan items = plan();
    ASSERT_EQ(items.size(), 6);

    expectFailures(execute(items), {});
    expectFailures(execute(items), {});
    // Contents, modes and links here; equal file dates show in the empty plan below.
    EXPECT_EQ(snapshot(left.file("reports"), false), snapshot(right.file("reports"), false));
    EXPECT_EQ(readBytes(left.file("newer.txt")), "right side");
    char origin[16] = {};
    EXPECT_EQ(getxattr(right.file("reports/2024/a.txt").nativePath().constData(), "user.herkunft", origin, sizeof origin), 6);
    EXPECT_STREQ(origin, "Kamera");
    EXPECT_TRUE(plan().isEmpty());
}

// Whatever moved on at the destination after planning is left as it is; the
// other items still run. A link at the destination is replaced as a link.
TEST_F(SyncExecutorTest, LeavesADestinationThatChangedAfterPlanning)
{
    TempFolder outside;
    const FileUrl outsideFile = outside.write("victim", "outside");
    writeDated(left, "edited", "planned copy", tenOClock + second);
    writeDated(right, "edited", "old", tenOClock);
    for (const char* name : {"appeared", "folder", "sub/inner"})
        writeDated(left, name, "left", tenOClock);
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

    const QString changed = QStringLiteral("nach der Planung verändert");
    expectFailures(execute(items), {{"appeared", changed}, {"edited", changed}, {"folder", changed},
                                    {"made", "existiert bereits"}, {"sub", "existiert bereits"},
                                    {"sub/inner", "kein Ordner"}});
    EXPECT_EQ(readBytes(right.file("edited")), "the user's newer text");
    EXPECT_EQ(readBytes(right.file("appeared")), "made after planning");
    EXPECT_EQ(readBytes(right.file("made")), "a file where the folder goes");
    EXPECT_EQ(snapshot(outside.url(), false).keys(), QList<QByteArray>{"victim"});
    EXPECT_EQ(readBytes(outsideFile), "outside");
    EXPECT_TRUE(S_ISREG(lstatOf(right.file("linked")).st_mode));
    EXPECT_EQ(readBytes(right.file("linked")), "new");
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
    expectFailures(execute(items, writer), {{"a-growing", "während des Kopierens"}, {"b-gone", "existiert nicht"}});
    EXPECT_EQ(readBytes(right.file("c-kept")), "kept");
    EXPECT_FALSE(exists(right.file("a-growing")));
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
    expectFailures({}, {});
    EXPECT_EQ(readBytes(right.file("big")), "old contents");

    // A file size limit fails writes as a full disk does, also for root.
    EXPECT_EQ(runInChild([&] {
                  signal(SIGXFSZ, SIG_IGN);
                  const rlimit small{1 << 20, 1 << 20};
                  setrlimit(RLIMIT_FSIZE, &small);
                  const QStringList failures = execute(items);
                  return failures.size() == 1 && failures[0].contains("zu groß") ? 0 : 1;
              }),
              0);
    expectFailures({}, {});
    EXPECT_EQ(readBytes(right.file("big")), "old contents");
}
