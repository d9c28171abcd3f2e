#include "preferences/KeyEventShortcuts.h"

#include "preferences/PreferencesStore.h"

#include <QKeyEvent>

namespace KeyEventShortcuts {

QString chord(const QKeyEvent& event)
{
    return KeyChord::chord(event.key(), event.modifiers());
}

std::optional<QString> command(const PreferencesStore& store, const QKeyEvent& event)
{
    return store.command(event.key(), event.modifiers());
}

KeyChord::Capture capture(const QKeyEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return {};
    return KeyChord::Capture::of(event.key(), event.modifiers());
}

} // namespace KeyEventShortcuts
