#include "commander/CommanderTestWindow.h"
#include "commander/SyncCommands.h"
#include "sync/SyncPreviewWindowController.h"
#include "sync/SyncTestSupport.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QLabel>

using SyncPreviewTest = CommanderTest;

// The command plans between the panels' folders; the window copies the plan as
// text and, after the question, carries out the copies but not the conflict.
TEST_F(SyncPreviewTest, PlansCopiesThePlanAndExecutesItsSafeActions)
{
    leftFolder.write("reports/2024/a.txt", "a");
    leftFolder.makeFolder("docs");
    rightFolder.write("docs", "a file");
    window->previewSynchronization();
    SyncCommands& commands = SyncCommands::of(*window);
    ASSERT_TRUE(QTest::qWaitFor([&] { return commands.preview() != nullptr; }, 10000));
    SyncPreviewWindowController* preview = commands.preview();
    EXPECT_TRUE(window->toolWindows().contains(preview));
    ASSERT_EQ(preview->table()->model()->rowCount(), 4);
    preview->copyPlan();
    EXPECT_EQ(QGuiApplication::clipboard()->text().split('\n').size(), 4);

    interaction.answerAlert(0);
    preview->executeSafeActions();
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_TRUE(interaction.alerts()[0].message.startsWith("3 "));
    EXPECT_FALSE(preview->executeButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->executeButton()->isEnabled(); }, 10000));
    EXPECT_EQ(contentsOf(rightFolder.file("reports/2024/a.txt")), "a");
    EXPECT_EQ(contentsOf(rightFolder.file("docs")), "a file");
    EXPECT_EQ(preview->table()->model()->rowCount(), 4); // the plan shown is the one that was made
}

TEST_F(SyncPreviewTest, APlanThatCannotBeMadeEndsInAnAlert)
{
    ASSERT_EQ(rmdir(rightFolder.path().constData()), 0);
    interaction.answerAlert(0);
    window->previewSynchronization();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !interaction.alerts().isEmpty(); }, 10000));
    EXPECT_TRUE(interaction.alerts()[0].message.contains(rightFolder.path()));
    EXPECT_EQ(SyncCommands::of(*window).preview(), nullptr);
}

TEST_F(SyncPreviewTest, OnlyConflictsGiveABeep)
{
    SyncPlanItem conflict{"docs", SyncAction::conflict, {SyncEntryState::Kind::folder}, {SyncEntryState::Kind::file}};
    SyncPreviewWindowController preview({conflict}, leftFolder.url(), rightFolder.url(), interaction);
    preview.executeSafeActions();
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_TRUE(interaction.alerts().isEmpty());
}
