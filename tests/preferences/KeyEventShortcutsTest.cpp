#include "IniFile.h"

#include "preferences/KeyEventShortcuts.h"
#include "preferences/PreferencesStore.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

TEST(KeyEventShortcutsTest, ChordsComeFromTheKeyNotItsTextAndOnlyPressesAreCaptured)
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
