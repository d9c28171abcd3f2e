#include "preferences/Shortcuts.h"

#include <algorithm>

namespace Shortcuts {

namespace {

// Every group of more than one member contributes all of its commands.
QSet<QString> membersOfCrowdedGroups(const QMultiMap<QString, QString>& commandsByChord)
{
    QSet<QString> result;
    for (const QString& chord : commandsByChord.uniqueKeys()) {
        const QList<QString> commands = commandsByChord.values(chord);
        if (commands.size() > 1)
            result.unite(QSet<QString>(commands.cbegin(), commands.cend()));
    }
    return result;
}

} // namespace

QString rawText(KeyboardPreset preset)
{
    return preset == KeyboardPreset::macOS ? QStringLiteral("macOS") : QStringLiteral("Commander");
}

KeyboardPreset presetFromRawText(const QString& text)
{
    return text == QLatin1String("macOS") ? KeyboardPreset::macOS : KeyboardPreset::commander;
}

QList<ShortcutDefinition> standardList(KeyboardPreset preset)
{
    if (preset == KeyboardPreset::macOS) {
        return {
            {QStringLiteral("view"), QStringLiteral("Quick Look"), QStringLiteral("Y"), QStringLiteral("⌘")},
            {QStringLiteral("copy"), QStringLiteral("Kopieren"), QStringLiteral("C"), QStringLiteral("⌘")},
            {QStringLiteral("move"), QStringLiteral("Verschieben"), QStringLiteral("V"), QStringLiteral("⌘⌥")},
            {QStringLiteral("newFolder"), QStringLiteral("Neuer Ordner"), QStringLiteral("N"), QStringLiteral("⌘⇧")},
            {QStringLiteral("trash"), QStringLiteral("Papierkorb"), QStringLiteral("⌫"), QStringLiteral("⌘")},
            {QStringLiteral("search"), QStringLiteral("Suchen"), QStringLiteral("F"), QStringLiteral("⌘")},
            {QStringLiteral("path"), QStringLiteral("Pfad fokussieren"), QStringLiteral("L"), QStringLiteral("⌘")},
        };
    }
    return {
        {QStringLiteral("view"), QStringLiteral("Anzeigen"), QStringLiteral("F3"), QString()},
        {QStringLiteral("edit"), QStringLiteral("Bearbeiten"), QStringLiteral("F4"), QString()},
        {QStringLiteral("copy"), QStringLiteral("Kopieren"), QStringLiteral("F5"), QString()},
        {QStringLiteral("move"), QStringLiteral("Verschieben"), QStringLiteral("F6"), QString()},
        {QStringLiteral("newFolder"), QStringLiteral("Neuer Ordner"), QStringLiteral("F7"), QString()},
        {QStringLiteral("trash"), QStringLiteral("Papierkorb"), QStringLiteral("F8"), QString()},
        {QStringLiteral("search"), QStringLiteral("Suchen"), QStringLiteral("F"), QStringLiteral("⌘")},
        {QStringLiteral("path"), QStringLiteral("Pfad fokussieren"), QStringLiteral("L"), QStringLiteral("⌘")},
    };
}

const QStringList& knownCommands()
{
    static const QStringList commands = {
        QStringLiteral("view"),      QStringLiteral("edit"),  QStringLiteral("copy"),   QStringLiteral("move"),
        QStringLiteral("newFolder"), QStringLiteral("trash"), QStringLiteral("search"), QStringLiteral("path"),
    };
    return commands;
}

bool isKnownCommand(const QString& command)
{
    return knownCommands().contains(command);
}

QSet<QString> conflicts(const QList<ShortcutDefinition>& definitions)
{
    QMultiMap<QString, QString> commandsByChord;
    for (const ShortcutDefinition& definition : definitions) {
        const QString chord = definition.modifiers + definition.key.toUpper();
        if (!chord.isEmpty())
            commandsByChord.insert(chord, definition.command);
    }
    return membersOfCrowdedGroups(commandsByChord);
}

QSet<QString> customConflicts(const QMap<QString, QString>& custom)
{
    QMultiMap<QString, QString> commandsByChord;
    for (auto it = custom.cbegin(); it != custom.cend(); ++it) {
        if (!it.value().isEmpty())
            commandsByChord.insert(it.value().toUpper(), it.key());
    }
    return membersOfCrowdedGroups(commandsByChord);
}

std::optional<QString> commandForChord(const QString& chord, const QMap<QString, QString>& custom)
{
    if (chord.isEmpty())
        return std::nullopt;
    for (auto it = custom.cbegin(); it != custom.cend(); ++it) {
        if (it.value().toUpper() == chord)
            return it.key();
    }
    return std::nullopt;
}

ConflictLine conflictLine(const QList<ShortcutDefinition>& standard, const QMap<QString, QString>& custom)
{
    const QSet<QString> all = conflicts(standard) + customConflicts(custom);
    if (all.isEmpty()) {
        return {QStringLiteral("Keine Kürzelkonflikte. Doppelklick auf eine Zeile legt ein zusätzliches Kürzel "
                               "fest. Bei F-Tasten kann Fn erforderlich sein."),
                false};
    }
    QStringList sorted(all.cbegin(), all.cend());
    std::sort(sorted.begin(), sorted.end());
    return {QStringLiteral("Konflikte: ") + sorted.join(QStringLiteral(", ")), true};
}

} // namespace Shortcuts
