#pragma once

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// The two keyboard presets, stored by their raw texts.
enum class KeyboardPreset { commander, macOS };

namespace Shortcuts {

// "Commander" or "macOS".
QString rawText(KeyboardPreset preset);
// "macOS" is macOS; every other text (also "macos") is the Commander preset.
KeyboardPreset presetFromRawText(const QString& text);

struct ShortcutDefinition {
    QString command;     // command identifier, e.g. "copy"
    QString displayName; // German name shown in the preferences window
    QString key;         // "F5", "C", "⌫"
    QString modifiers;   // modifier symbols in chord order, possibly empty

    QString chord() const { return modifiers + key; }
    friend bool operator==(const ShortcutDefinition&, const ShortcutDefinition&) = default;
};

// The fixed standard list of a preset, in display order.
QList<ShortcutDefinition> standardList(KeyboardPreset preset);

// The commands a custom shortcut can trigger; other identifiers in the custom
// dictionary are not handled and their key press takes the normal way.
const QStringList& knownCommands();
bool isKnownCommand(const QString& command);

// Commands whose standard chords (modifiers + upper-cased key) collide.
QSet<QString> conflicts(const QList<ShortcutDefinition>& definitions);
// Commands whose non-empty custom chords collide, ignoring letter case. Custom
// chords are compared only with each other, not with a standard list.
QSet<QString> customConflicts(const QMap<QString, QString>& custom);

// The command of the first custom entry (in identifier order) whose chord,
// upper-cased, equals `chord`. An empty chord matches nothing, so that an entry
// whose binding was removed never fires.
std::optional<QString> commandForChord(const QString& chord, const QMap<QString, QString>& custom);

// The line under the shortcut table: the conflicting commands of both checks,
// or the hint that there are none.
struct ConflictLine {
    QString text;
    bool isConflict = false; // shown in red; otherwise in the secondary colour
};
ConflictLine conflictLine(const QList<ShortcutDefinition>& standard, const QMap<QString, QString>& custom);

} // namespace Shortcuts
