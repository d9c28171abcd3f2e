#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "core/SystemError.h"
#include "sync/SyncPlanner.h"
#include "sync/SyncTestSupport.h"

#include <gtest/gtest.h>

using namespace SyncTest;

// Every row of the decision table at its edge, in one pair of trees, and the
// order of the plan by code points.
TEST(SyncPlanner, DecidesEachPathByKindSizeAndDateInCodePointOrder)
{
    TempFolder left;
    TempFolder right;
    // Same size, 0.5 s apart: equal. One byte more on the right: the later date wins.
    writeDated(left, "same", QByteArray(100, 'x'), tenOClock + 400'000'000);
    writeDated(right, "same", QByteArray(100, 'y'), tenOClock + 900'000'000);
    writeDated(left, "grown", QByteArray(100, 'x'), tenOClock + 400'000'000);
    writeDated(right, "grown", QByteArray(101, 'y'), tenOClock + 900'000'000);
    // Same size, a whole second apart: no longer equal.
    writeDated(left, "touched", "abcde", tenOClock + 2 * second);
    writeDated(right, "touched", "abcde", tenOClock + second);
    writeDated(left, "stamp", "short", tenOClock);
    writeDated(right, "stamp", "longer", tenOClock);
    // A folder against a file: the conflict, and the folder's contents as one-sided items.
    writeDated(left, "docs/inner.txt", "i", tenOClock);
    writeDated(right, "docs", "a file", tenOClock);
    // "a!" and "a0" around the folder "a" and its "a/b"; a hidden file; a non-ASCII name.
    left.write("a/b");
    left.write("a!");
    right.write("a0");
    right.write(".hidden");
    right.write("zä");
    // A link to a folder is a file-like entry whose target is not listed.
    left.makeFolder("target/deep");
    ASSERT_EQ(symlink("target", (left.path() + "/link").constData()), 0);

    const SyncPlanner::Plan plan = SyncPlanner::makePlan(left.path(), right.path(), CancellationToken());
    EXPECT_EQ(lines(plan), (QStringList{
                                              "Rechts → Links\t.hidden\tNur rechts vorhanden",
                                              "Links → Rechts\ta\tNur links vorhanden",
                                              "Links → Rechts\ta!\tNur links vorhanden",
                                              "Links → Rechts\ta/b\tNur links vorhanden",
                                              "Rechts → Links\ta0\tNur rechts vorhanden",
                                              "Konflikt\tdocs\tDatei/Ordner-Konflikt",
                                              "Links → Rechts\tdocs/inner.txt\tNur links vorhanden",
                                              "Rechts → Links\tgrown\tRechts neuer · 100 / 101 Bytes",
                                              "Links → Rechts\tlink\tNur links vorhanden",
                                              "Konflikt\tstamp\tGleiche Zeit, unterschiedliche Größe",
                                              "Links → Rechts\ttarget\tNur links vorhanden",
                                              "Links → Rechts\ttarget/deep\tNur links vorhanden",
                                              "Links → Rechts\ttouched\tLinks neuer · 5 / 5 Bytes",
                                              "Rechts → Links\tzä\tNur rechts vorhanden",
                                          }));
    // The executor later compares the destination with what the plan saw, to the nanosecond.
    ASSERT_EQ(plan.value(7).nativeRelativePath, "grown");
    EXPECT_EQ(plan[7].source(), (SyncEntryState{SyncEntryState::Kind::file, 101, tenOClock + 900'000'000}));
    EXPECT_EQ(plan[7].destination(), (SyncEntryState{SyncEntryState::Kind::file, 100, tenOClock + 400'000'000}));
}

TEST(SyncPlanner, EndsWithTheErrorOfARootOrTheCancellation)
{
    TempFolder left;
    left.write("f");
    EXPECT_THROW(SyncPlanner::makePlan(left.path(), left.path() + "/missing", CancellationToken()), SystemError);
    EXPECT_THROW(SyncPlanner::makePlan(left.path(), left.path(), CancellationToken([] { return true; })),
                 CancellationError);
}
