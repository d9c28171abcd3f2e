#pragma once

#include <QString>
#include <Qt>

// The text form of a key chord: modifier symbols in the fixed order "⌘" (Qt's
// ControlModifier: Command on macOS, Ctrl elsewhere), "⌥" (Alt/Option), "⌃"
// (Meta: Control on macOS), "⇧" (Shift), then the key name. Key names are "F1"…
// for function keys, the upper-cased character for printable keys and a symbol
// for the other keys a user can bind ("⌫", "↩", "←", …). The keypad modifier is
// not part of a chord.
namespace KeyChord {

// The chord of a key press; empty for presses that cannot form a chord on
// their own (a modifier key alone, keys without a name).
QString chord(int key, Qt::KeyboardModifiers modifiers);

// The first key press while a chord is being captured decides: Escape cancels,
// Backspace removes the binding, a key with a chord becomes the binding. A lone
// modifier key decides nothing yet.
struct Capture {
    enum class Outcome { cancel, clear, assign, keepWaiting };
    Outcome outcome = Outcome::keepWaiting;
    QString chord; // the new binding: empty for `clear`, the chord for `assign`

    static Capture of(int key, Qt::KeyboardModifiers modifiers);
};

} // namespace KeyChord
