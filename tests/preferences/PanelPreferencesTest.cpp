#include "IniFile.h"

#include "preferences/PreferencesStore.h"

#include <gtest/gtest.h>

namespace {

class PanelPreferencesTest : public ::testing::Test {
protected:
    PanelPreferences panel(const char* key) { return PreferencesStore(file.settings()).panel(key); }
    PanelPreferences reopened(const char* key) { return PreferencesStore(file.reopen()).panel(key); }

    IniFile file;
};

} // namespace

TEST_F(PanelPreferencesTest, TabsAreKeptPerPanel)
{
    panel("Left").saveTabs({"/home/u", "/tmp/a, b"}, 1);
    panel("Right").saveTabs({"/srv"}, 0);

    const auto left = reopened("Left").tabs();
    EXPECT_EQ(left.paths, QStringList({"/home/u", "/tmp/a, b"}));
    EXPECT_EQ(left.selectedIndex, 1);
    EXPECT_EQ(panel("Right").tabs().paths, QStringList{"/srv"});

    const auto none = panel("Other").tabs();
    EXPECT_TRUE(none.paths.isEmpty());
    EXPECT_EQ(none.selectedIndex, 0);
}

TEST_F(PanelPreferencesTest, SelectedTabIsClampedToTheSavedTabs)
{
    const QStringList three = {"/a", "/b", "/c"};
    const struct {
        QVariant stored;
        int expected;
    } cases[] = {{7, 2}, {-1, 0}, {QString("2"), 2}, {QString("abc"), 0}, {qint64(1) << 40, 2}};
    for (const auto& c : cases) {
        panel("Left").saveTabs(three, 0);
        file.settings().setValue("Brenvik.Left.SelectedTab", c.stored);
        EXPECT_EQ(reopened("Left").tabs().selectedIndex, c.expected) << c.stored.toString().toStdString();
    }
}

TEST_F(PanelPreferencesTest, TabEntriesThatAreNoAbsolutePathsAreLeftOut)
{
    file.writeRaw("[General]\n"
                  "Brenvik.Left.Tabs=/a, relative, , /b\n"
                  "Brenvik.Left.SelectedTab=3\n"
                  "Brenvik.Right.Tabs=@ByteArray(/a)\n");
    const auto left = panel("Left").tabs();
    EXPECT_EQ(left.paths, QStringList({"/a", "/b"}));
    EXPECT_EQ(left.selectedIndex, 1);
    EXPECT_TRUE(panel("Right").tabs().paths.isEmpty());
}

TEST_F(PanelPreferencesTest, StoredGlobalDefaultWinsOverThePanelsOwnSwitch)
{
    EXPECT_FALSE(panel("Left").showHiddenAtStart());
    panel("Left").saveShowHidden(true);
    EXPECT_TRUE(reopened("Left").showHiddenAtStart());
    EXPECT_FALSE(panel("Right").showHiddenAtStart());

    PreferencesStore(file.settings()).saveShowHiddenFiles(false);
    EXPECT_FALSE(reopened("Left").showHiddenAtStart());

    PreferencesStore(file.settings()).saveShowHiddenFiles(true);
    EXPECT_TRUE(reopened("Right").showHiddenAtStart());

    // A global value that is no boolean does not count as stored.
    file.settings().setValue("Brenvik.ShowHiddenFiles", "abc");
    EXPECT_TRUE(reopened("Left").showHiddenAtStart());
    EXPECT_FALSE(panel("Right").showHiddenAtStart());
}
