#pragma once

#include "preferences/KeyChord.h"

#include <QString>
#include <optional>

class PreferencesStore;
class QKeyEvent;

// Key events into chords and custom commands (see KeyChord and PreferencesStore).
namespace KeyEventShortcuts {

QString chord(const QKeyEvent& event);
std::optional<QString> command(const PreferencesStore& store, const QKeyEvent& event);
// Only key presses are captured; a release decides nothing.
KeyChord::Capture capture(const QKeyEvent& event);

} // namespace KeyEventShortcuts
