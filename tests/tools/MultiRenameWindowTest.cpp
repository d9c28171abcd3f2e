#include "tools/MultiRenameWindowController.h"

#include "support/TestEnvironment.h"
#include "ToolWindowTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <sys/stat.h>

TEST(MultiRenameWindowTest, ShowsThePlanAndRenamesOnlyWhenItHolds)
{
    TempFolder folder;
    const FileUrl a = folder.write("b.txt", "B"), b = folder.write("a.txt", "A");
    MultiRenameWindowController window({a, b});
    int completed = 0;
    window.onComplete = [&] { ++completed; };
    window.show();
    EXPECT_EQ(window.status()->text(), QStringLiteral("0 Änderung(en)"));
    EXPECT_FALSE(window.applyButton()->isEnabled());

    QTest::keyClicks(window.prefixField(), QStringLiteral("neu-"));
    QTest::keyClicks(window.suffixField(), QStringLiteral("_1"));
    EXPECT_EQ(window.status()->text(), QStringLiteral("2 Änderung(en)"));
    ASSERT_TRUE(window.applyButton()->isEnabled());
    const QAbstractItemModel* table = window.table()->model();
    EXPECT_EQ(table->index(0, 0).data().toString(), QStringLiteral("a.txt"));
    EXPECT_EQ(table->index(0, 1).data().toString(), QStringLiteral("neu-a_1.txt"));
    renderForReview(window, QStringLiteral("multi-rename.png"));

    QTest::mouseClick(window.applyButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return completed == 1; }, 10000));
    EXPECT_FALSE(window.isVisible());
    struct stat st;
    EXPECT_EQ(lstat(folder.file("neu-a_1.txt").nativePath().constData(), &st), 0);

    // A name taken after the check: the rename fails and says why, nothing is lost, the window stays.
    MultiRenameWindowController again({folder.file("neu-a_1.txt"), folder.file("neu-b_1.txt")});
    again.onComplete = [&] { ++completed; };
    QTest::keyClicks(again.prefixField(), QStringLiteral("x"));
    folder.write("xneu-b_1.txt", "fremd");
    QTest::mouseClick(again.applyButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.applyButton()->isEnabled(); }, 10000));
    EXPECT_TRUE(again.status()->text().contains(QStringLiteral("xneu-b_1.txt")));
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(lstat(folder.file("neu-b_1.txt").nativePath().constData(), &st), 0);
}
