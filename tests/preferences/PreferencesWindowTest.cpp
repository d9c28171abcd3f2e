#include "IniFile.h"

#include "platform/Terminal.h"
#include "preferences/DisplayColors.h"
#include "preferences/KeyEventShortcuts.h"
#include "preferences/PreferencesWindowController.h"
#include "support/ScriptedInteraction.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <gtest/gtest.h>

using ColorKey = PreferencesStore::ColorKey;

TEST(DisplayColors, ColoursKeepTheirAlphaAndUnreadableDataGivesTheDefaults)
{
    IniFile file;
    PreferencesStore store(file.settings());
    const QColor translucentRed(200, 10, 20, 128);
    ASSERT_TRUE(DisplayColors::save(store, ColorKey::folder, translucentRed));
    ASSERT_TRUE(DisplayColors::save(store, ColorKey::file, Qt::darkGreen));
    PreferencesStore next(file.reopen());
    EXPECT_EQ(DisplayColors::color(next, ColorKey::folder), translucentRed);
    EXPECT_EQ(DisplayColors::color(next, ColorKey::file), QColor(Qt::darkGreen));
    // An invalid colour cannot be stored; the key keeps the colour it had.
    EXPECT_FALSE(DisplayColors::save(next, ColorKey::folder, QColor()));
    EXPECT_EQ(DisplayColors::color(next, ColorKey::folder), translucentRed);
    // Restoring the standard colours removes both and nothing else.
    next.saveShowHiddenFiles(true);
    next.removeColors();
    PreferencesStore restored(file.reopen());
    EXPECT_EQ(restored.colorData(ColorKey::file), std::nullopt);
    EXPECT_EQ(DisplayColors::color(restored, ColorKey::folder), DisplayColors::defaultColor(ColorKey::folder));
    EXPECT_TRUE(restored.showHiddenFiles());

    for (const QByteArray& unreadable : {QByteArray(""), QByteArray("#ff00ff"), QByteArray("#0x00ff00"),
                                         QByteArray("#ff00ff00 "), QByteArray("#+f00ff00"), QByteArray("red")}) {
        SCOPED_TRACE(unreadable.constData());
        for (const ColorKey key : {ColorKey::folder, ColorKey::file}) {
            restored.saveColorData(key, unreadable);
            EXPECT_EQ(DisplayColors::color(restored, key), DisplayColors::defaultColor(key));
        }
    }
}

TEST(KeyEventShortcuts, ChordsComeFromTheKeyNotItsTextAndOnlyPressesAreCaptured)
{
    IniFile file;
    PreferencesStore store(file.settings());
    store.saveCustomShortcuts({{"trash", "⌘⇧x"}});
    // With Ctrl held, X11 delivers the control character as text; the chord must not.
    const QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("\x18"));
    EXPECT_EQ(KeyEventShortcuts::command(store, press), "trash");
    EXPECT_EQ(KeyEventShortcuts::capture(press).chord, QStringLiteral("⌘⇧X"));
    const QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_EQ(KeyEventShortcuts::capture(release).outcome, KeyChord::Capture::Outcome::keepWaiting);
}

TEST(PreferencesWindow, EditsStayInTheWindowUntilSichernWhichConflictsRefuse)
{
    IniFile file;
    PreferencesStore store(file.settings());
    ScriptedInteraction interaction;
    PreferencesWindowController window(store, interaction);
    const auto list = Shortcuts::standardList(KeyboardPreset::commander);
    const auto row = [&](const char* command) {
        return int(std::find_if(list.begin(), list.end(), [&](const auto& d) { return d.command == command; }) - list.begin());
    };
    const auto custom = [&](const char* command) {
        return window.shortcutTable()->model()->index(row(command), 2).data().toString();
    };
    QList<int> keys = {Qt::Key_F5, Qt::Key_F5, Qt::Key_Escape, Qt::Key_Backspace};
    window.captureKey = [&](const QString&, const QString&) { return KeyChord::Capture::of(keys.takeFirst(), {}); };
    window.editShortcut(row("view"));
    window.editShortcut(row("edit"));
    EXPECT_TRUE(window.conflictLine()->text().startsWith(QStringLiteral("Konflikte: ")));
    window.save();
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_TRUE(store.customShortcuts().isEmpty());

    window.editShortcut(row("edit")); // Escape leaves the chord
    EXPECT_EQ(custom("edit"), QStringLiteral("F5"));
    window.editShortcut(row("edit")); // Backspace clears it
    EXPECT_EQ(custom("edit"), QString());
    window.presetPopUp()->setCurrentText(QStringLiteral("macOS"));
    window.presetChanged();
    EXPECT_EQ(window.shortcutTable()->model()->rowCount(), Shortcuts::standardList(KeyboardPreset::macOS).size());
    EXPECT_EQ(store.preset(), KeyboardPreset::commander);

    window.save();
    EXPECT_EQ(store.customShortcuts(), (QMap<QString, QString>{{"view", "F5"}, {"edit", ""}}));
    EXPECT_EQ(store.preset(), KeyboardPreset::macOS);
    // A stored path that is none of the entries leaves the first entry, which is then saved.
    EXPECT_EQ(store.terminalPath(), Terminal::choices().constFirst().path);
}
