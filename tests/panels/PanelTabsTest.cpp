#include "panels/PanelTabs.h"

#include <gtest/gtest.h>

namespace {

FileUrl folder(const char* path)
{
    return FileUrl::fromNativePath(path);
}

} // namespace

TEST(PanelTabsTest, BackAndForwardWalkTheHistoryAndANewNavigationDropsForward)
{
    PanelTabs tabs({folder("/a")}, 0);
    EXPECT_FALSE(tabs.navigate(folder("/a"), true)) << "the folder shown";
    EXPECT_TRUE(tabs.backHistory().isEmpty());

    ASSERT_TRUE(tabs.navigate(folder("/b"), true));
    ASSERT_TRUE(tabs.navigate(folder("/c"), true));
    EXPECT_EQ(tabs.backHistory(), (QList<FileUrl>{folder("/a"), folder("/b")}));

    EXPECT_EQ(tabs.goBack(), folder("/b"));
    EXPECT_EQ(tabs.goBack(), folder("/a"));
    EXPECT_EQ(tabs.goBack(), std::nullopt);
    EXPECT_EQ(tabs.currentURL(), folder("/a"));
    EXPECT_EQ(tabs.forwardHistory(), (QList<FileUrl>{folder("/c"), folder("/b")}));

    EXPECT_EQ(tabs.goForward(), folder("/b"));
    EXPECT_EQ(tabs.backHistory(), QList<FileUrl>{folder("/a")});

    // Moving on without history keeps both lists as they are.
    ASSERT_TRUE(tabs.navigate(folder("/x"), false));
    EXPECT_EQ(tabs.forwardHistory(), QList<FileUrl>{folder("/c")});
    EXPECT_EQ(tabs.backHistory(), QList<FileUrl>{folder("/a")});

    ASSERT_TRUE(tabs.navigate(folder("/d"), true));
    EXPECT_TRUE(tabs.forwardHistory().isEmpty());
    EXPECT_EQ(tabs.backHistory(), (QList<FileUrl>{folder("/a"), folder("/x")}));
}

TEST(PanelTabsTest, EachTabKeepsItsOwnFolderAndHistory)
{
    PanelTabs tabs({folder("/a")}, 0);
    tabs.navigate(folder("/b"), true);
    tabs.addTab();
    EXPECT_EQ(tabs.count(), 2);
    EXPECT_EQ(tabs.selectedTab(), 1);
    EXPECT_EQ(tabs.currentURL(), folder("/b"));
    EXPECT_TRUE(tabs.backHistory().isEmpty()) << "a new tab starts without history";

    tabs.navigate(folder("/c"), true);
    ASSERT_TRUE(tabs.selectTab(0));
    EXPECT_EQ(tabs.currentURL(), folder("/b"));
    EXPECT_EQ(tabs.backHistory(), QList<FileUrl>{folder("/a")});
    EXPECT_FALSE(tabs.selectTab(0));
    EXPECT_FALSE(tabs.selectTab(2));

    ASSERT_TRUE(tabs.selectTab(1));
    EXPECT_EQ(tabs.currentURL(), folder("/c"));
    EXPECT_EQ(tabs.backHistory(), QList<FileUrl>{folder("/b")});
}

TEST(PanelTabsTest, ClosingAndCyclingKeepTheSelectionInRange)
{
    PanelTabs single({folder("/a")}, 0);
    EXPECT_FALSE(single.closeTab());
    EXPECT_FALSE(single.cycleTab(1));
    EXPECT_EQ(single.count(), 1);

    PanelTabs tabs({folder("/a"), folder("/b"), folder("/x")}, 7);
    tabs.navigate(folder("/c"), true);
    EXPECT_EQ(tabs.selectedTab(), 2) << "a stored index past the end is clamped";

    ASSERT_TRUE(tabs.cycleTab(1));
    EXPECT_EQ(tabs.selectedTab(), 0) << "wraps after the last tab";
    ASSERT_TRUE(tabs.cycleTab(-1));
    EXPECT_EQ(tabs.selectedTab(), 2) << "wraps before the first tab";
    EXPECT_EQ(tabs.currentURL(), folder("/c"));

    // Closing the last of three selects the new last tab.
    ASSERT_TRUE(tabs.closeTab());
    EXPECT_EQ(tabs.selectedTab(), 1);
    EXPECT_EQ(tabs.currentURL(), folder("/b"));
    EXPECT_EQ(tabs.tabFolders(), (QList<FileUrl>{folder("/a"), folder("/b")}));
    EXPECT_TRUE(tabs.backHistory().isEmpty()) << "the closed tab's history stays with it";
}
