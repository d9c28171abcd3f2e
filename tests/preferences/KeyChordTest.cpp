#include "preferences/KeyChord.h"

#include <gtest/gtest.h>

namespace {

struct ChordCase {
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* chord;
};

constexpr Qt::KeyboardModifiers none = Qt::NoModifier;
constexpr auto command = Qt::ControlModifier;
constexpr auto option = Qt::AltModifier;
constexpr auto control = Qt::MetaModifier;
constexpr auto shift = Qt::ShiftModifier;

} // namespace

TEST(KeyChordTest, ChordsListModifiersInFixedOrderBeforeTheKeyName)
{
    const ChordCase cases[] = {
        {Qt::Key_F, command, "⌘F"},
        {Qt::Key_V, command | option, "⌘⌥V"},
        {Qt::Key_N, shift | command, "⌘⇧N"},
        {Qt::Key_K, shift | control | option | command, "⌘⌥⌃⇧K"},
        {Qt::Key_F5, control | shift, "⌃⇧F5"},
        {Qt::Key_F12, Qt::KeypadModifier, "F12"}, // X11 marks some function keys as keypad keys
        {Qt::Key_Backspace, command, "⌘⌫"},
        {Qt::Key_Backtab, shift, "⇧⇥"},
        {Qt::Key_Return, none, "↩"},
        {Qt::Key_Left, option, "⌥←"},
        {Qt::Key_Space, command, "⌘␣"},
        {Qt::Key_Exclam, shift, "⇧!"},
        {Qt::Key_7, Qt::KeypadModifier | command, "⌘7"},
        {Qt::Key_Adiaeresis, command, "⌘Ä"},
        {0x0436, command, "⌘Ж"}, // a Cyrillic layout delivers the lower-case letter
    };
    for (const ChordCase& c : cases)
        EXPECT_EQ(KeyChord::chord(c.key, c.modifiers), QString::fromUtf8(c.chord)) << c.chord;
}

TEST(KeyChordTest, KeysWithoutANameFormNoChord)
{
    for (const int key : {int(Qt::Key_Shift), int(Qt::Key_Control), int(Qt::Key_Meta), int(Qt::Key_Alt),
                          int(Qt::Key_CapsLock), int(Qt::Key_unknown), 0})
        EXPECT_TRUE(KeyChord::chord(key, command | shift).isEmpty()) << key;
}

TEST(KeyChordTest, TheFirstDecidingPressEndsTheCapture)
{
    using Outcome = KeyChord::Capture::Outcome;
    EXPECT_EQ(KeyChord::Capture::of(Qt::Key_Escape, none).outcome, Outcome::cancel);
    EXPECT_EQ(KeyChord::Capture::of(Qt::Key_Escape, command).outcome, Outcome::cancel);

    const auto cleared = KeyChord::Capture::of(Qt::Key_Backspace, command);
    EXPECT_EQ(cleared.outcome, Outcome::clear);
    EXPECT_TRUE(cleared.chord.isEmpty());

    const auto assigned = KeyChord::Capture::of(Qt::Key_K, command | shift);
    EXPECT_EQ(assigned.outcome, Outcome::assign);
    EXPECT_EQ(assigned.chord, QStringLiteral("⌘⇧K"));

    EXPECT_EQ(KeyChord::Capture::of(Qt::Key_Shift, shift).outcome, Outcome::keepWaiting);
}
