#include "IniFile.h"

#include "preferences/PreferencesStore.h"

#include <gtest/gtest.h>

namespace {

class PreferencesStoreTest : public ::testing::Test {
protected:
    PreferencesStore store() { return PreferencesStore(file.settings()); }
    // The store as the next start of the program sees it.
    PreferencesStore reopened() { return PreferencesStore(file.reopen()); }

    IniFile file;
};

} // namespace

TEST_F(PreferencesStoreTest, PresetAndTerminalFallBackToTheirDefaults)
{
    EXPECT_EQ(store().preset(), KeyboardPreset::commander);
    EXPECT_EQ(store().terminalPath(), "/System/Applications/Utilities/Terminal.app");

    store().save(KeyboardPreset::macOS, "/usr/bin/x-terminal-emulator");
    EXPECT_EQ(reopened().preset(), KeyboardPreset::macOS);
    EXPECT_EQ(store().terminalPath(), "/usr/bin/x-terminal-emulator");

    const PreferencesStore handWritten(file.writeRaw("[General]\n"
                                                     "Brenvik.KeyboardPreset=macos\n"
                                                     "Brenvik.TerminalPath=\n"));
    EXPECT_EQ(handWritten.preset(), KeyboardPreset::commander);
    EXPECT_EQ(handWritten.terminalPath(), "/System/Applications/Utilities/Terminal.app");
}

TEST_F(PreferencesStoreTest, CustomShortcutsSurviveAndDecideCommands)
{
    EXPECT_TRUE(store().customShortcuts().isEmpty());

    const QMap<QString, QString> shortcuts = {{"copy", "⌘⇧k"}, {"view", ""}, {"search", "F5"}};
    store().saveCustomShortcuts(shortcuts);
    const PreferencesStore next = reopened();
    EXPECT_EQ(next.customShortcuts(), shortcuts);
    EXPECT_EQ(next.command(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier), "copy");
    EXPECT_EQ(next.command(Qt::Key_F5, Qt::KeypadModifier), "search");
    EXPECT_EQ(next.command(Qt::Key_K, Qt::ControlModifier), std::nullopt);
    EXPECT_EQ(next.command(Qt::Key_Shift, Qt::ShiftModifier), std::nullopt);
}

TEST_F(PreferencesStoreTest, ColorDataIsStoredAsBytesAndRemovedTogether)
{
    EXPECT_EQ(store().colorData(PreferencesStore::ColorKey::folder), std::nullopt);
    store().saveColorData(PreferencesStore::ColorKey::folder, "#ff112233");
    store().saveColorData(PreferencesStore::ColorKey::file, "#ff445566");
    store().saveShowHiddenFiles(true);

    PreferencesStore next = reopened();
    EXPECT_EQ(next.colorData(PreferencesStore::ColorKey::folder), QByteArray("#ff112233"));
    EXPECT_EQ(next.colorData(PreferencesStore::ColorKey::file), QByteArray("#ff445566"));

    next.removeColors();
    const PreferencesStore afterRemoval = reopened();
    EXPECT_EQ(afterRemoval.colorData(PreferencesStore::ColorKey::folder), std::nullopt);
    EXPECT_EQ(afterRemoval.colorData(PreferencesStore::ColorKey::file), std::nullopt);
    EXPECT_TRUE(afterRemoval.showHiddenFiles()); // only the colours go
}
