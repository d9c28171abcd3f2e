#include "IniFile.h"

#include "preferences/KeyEventShortcuts.h"
#include "preferences/PreferencesStore.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

TEST(KeyEventShortcutsTest, KeyEventsGiveChordCommandAndCapture)
{
    IniFile file;
    PreferencesStore store(file.settings());
    store.saveCustomShortcuts({{"trash", "⌘⇧x"}, {"edit", ""}});

    // Text "X" as a real keyboard would deliver with Shift; the chord ignores it.
    const QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("X"));
    EXPECT_EQ(KeyEventShortcuts::chord(press), QStringLiteral("⌘⇧X"));
    EXPECT_EQ(KeyEventShortcuts::command(store, press), "trash");
    EXPECT_EQ(KeyEventShortcuts::capture(press).chord, QStringLiteral("⌘⇧X"));

    const QKeyEvent controlOnly(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(KeyEventShortcuts::command(store, controlOnly), std::nullopt);
    EXPECT_EQ(KeyEventShortcuts::capture(controlOnly).outcome, KeyChord::Capture::Outcome::keepWaiting);
}
