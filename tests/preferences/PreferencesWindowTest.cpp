#include "IniFile.h"

#include "platform/Terminal.h"
#include "preferences/PreferencesStore.h"
#include "preferences/PreferencesWindowController.h"
#include "support/ScriptedInteraction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

int rowOf(const PreferencesWindowController& window, const QString& command)
{
    const QList<Shortcuts::ShortcutDefinition> list =
        Shortcuts::standardList(Shortcuts::presetFromRawText(window.presetPopUp()->currentText()));
    for (int row = 0; row < list.size(); ++row)
        if (list[row].command == command)
            return row;
    return -1;
}

QString cell(const PreferencesWindowController& window, const QString& command, int column)
{
    return window.shortcutTable()->model()->index(rowOf(window, command), column).data().toString();
}

struct PreferencesWindowTest : ::testing::Test {
    IniFile file;
    PreferencesStore store{file.settings()};
    ScriptedInteraction interaction;
};

TEST_F(PreferencesWindowTest, EditsStayInTheWindowUntilSichern)
{
    PreferencesWindowController window(store, interaction);
    int changes = 0;
    window.onChange = [&] { ++changes; };
    window.presetPopUp()->setCurrentText(QStringLiteral("macOS"));
    window.presetChanged();
    EXPECT_EQ(cell(window, QStringLiteral("copy"), 1), QStringLiteral("⌘C"));
    window.hiddenFilesCheckBox()->setChecked(true);
    EXPECT_EQ(store.preset(), KeyboardPreset::commander);
    EXPECT_FALSE(store.showHiddenFiles());

    window.save();
    EXPECT_EQ(store.preset(), KeyboardPreset::macOS);
    EXPECT_TRUE(store.showHiddenFiles());
    // A stored path that is none of the entries leaves the first entry, which is then saved.
    EXPECT_EQ(store.terminalPath(), Terminal::choices().constFirst().path);
    EXPECT_EQ(changes, 1);
}

TEST_F(PreferencesWindowTest, CaptureAssignsClearsOrLeavesAndConflictsRefuseSaving)
{
    PreferencesWindowController window(store, interaction);
    QList<KeyChord::Capture> answers = {KeyChord::Capture::of(Qt::Key_F5, Qt::NoModifier),
                                        KeyChord::Capture::of(Qt::Key_F5, Qt::NoModifier),
                                        KeyChord::Capture::of(Qt::Key_Escape, Qt::NoModifier)};
    window.captureKey = [&](const QString&, const QString&) { return answers.takeFirst(); };

    window.editShortcut(rowOf(window, QStringLiteral("view")));
    window.editShortcut(rowOf(window, QStringLiteral("edit")));
    EXPECT_EQ(cell(window, QStringLiteral("view"), 2), QStringLiteral("F5"));
    EXPECT_TRUE(window.conflictLine()->text().startsWith(QStringLiteral("Konflikte: ")));

    window.save();
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_TRUE(store.customShortcuts().isEmpty());

    window.editShortcut(rowOf(window, QStringLiteral("edit")));
    EXPECT_EQ(cell(window, QStringLiteral("edit"), 2), QStringLiteral("F5"));
    answers = {KeyChord::Capture::of(Qt::Key_Backspace, Qt::NoModifier)};
    window.editShortcut(rowOf(window, QStringLiteral("edit")));
    EXPECT_EQ(cell(window, QStringLiteral("edit"), 2), QString());
    EXPECT_EQ(cell(window, QStringLiteral("copy"), 2), QStringLiteral("—"));

    window.save();
    EXPECT_EQ(store.customShortcuts(), (QMap<QString, QString>{{"view", "F5"}, {"edit", ""}}));
}

} // namespace
