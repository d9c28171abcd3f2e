#include "preferences/Shortcuts.h"

#include <gtest/gtest.h>

using Shortcuts::ShortcutDefinition;

namespace {

QSet<QString> set(std::initializer_list<const char*> commands)
{
    QSet<QString> result;
    for (const char* command : commands)
        result.insert(QString::fromUtf8(command));
    return result;
}

ShortcutDefinition row(const char* command, const char* displayName, const char* key, const char* modifiers)
{
    return {QString::fromUtf8(command), QString::fromUtf8(displayName), QString::fromUtf8(key),
            QString::fromUtf8(modifiers)};
}

} // namespace

TEST(ShortcutsTest, StandardListsHaveNoConflictsAndOnlyKnownCommands)
{
    for (const KeyboardPreset preset : {KeyboardPreset::commander, KeyboardPreset::macOS}) {
        const QList<ShortcutDefinition> list = Shortcuts::standardList(preset);
        EXPECT_TRUE(Shortcuts::conflicts(list).isEmpty());
        for (const auto& definition : list)
            EXPECT_TRUE(Shortcuts::isKnownCommand(definition.command)) << definition.command.toStdString();
    }
}

TEST(ShortcutsTest, PresetTextsOtherThanMacOSMeanCommander)
{
    EXPECT_EQ(Shortcuts::presetFromRawText("macOS"), KeyboardPreset::macOS);
    for (const char* text : {"Commander", "macos", "MACOS", "", "Windows"})
        EXPECT_EQ(Shortcuts::presetFromRawText(QString::fromUtf8(text)), KeyboardPreset::commander) << text;
    for (const auto preset : {KeyboardPreset::commander, KeyboardPreset::macOS})
        EXPECT_EQ(Shortcuts::presetFromRawText(Shortcuts::rawText(preset)), preset);
}

TEST(ShortcutsTest, StandardConflictsGroupByModifiersAndUpperCasedKey)
{
    QList<ShortcutDefinition> list = Shortcuts::standardList(KeyboardPreset::commander);
    list.append(row("custom1", "Eins", "f", "⌘"));  // same chord as "search", other case
    list.append(row("custom2", "Zwei", "F", "⌘⇧")); // other modifiers: no conflict
    list.append(row("empty1", "Leer", "", ""));     // the empty chord never conflicts
    list.append(row("empty2", "Leer", "", ""));
    EXPECT_EQ(Shortcuts::conflicts(list), set({"search", "custom1"}));
}

TEST(ShortcutsTest, CustomConflictsIgnoreCaseAndEmptyChordsButNotStandardChords)
{
    EXPECT_EQ(Shortcuts::customConflicts({{"copy", "⌘K"}, {"move", "⌘k"}, {"view", "⌘J"}}), set({"copy", "move"}));
    EXPECT_EQ(Shortcuts::customConflicts({{"copy", "F1"}, {"move", "F1"}, {"edit", "F1"}}),
              set({"copy", "move", "edit"}));
    EXPECT_TRUE(Shortcuts::customConflicts({{"copy", ""}, {"move", ""}, {"view", "⌘J"}}).isEmpty());
    // F5 is the standard copy key; binding it to search as well is allowed.
    EXPECT_TRUE(Shortcuts::customConflicts({{"search", "F5"}}).isEmpty());
}

TEST(ShortcutsTest, CustomCommandIsFoundByUpperCasedStoredChord)
{
    const QMap<QString, QString> custom = {{"copy", "⌘⇧k"}, {"edit", ""}, {"unknownThing", "F9"}};
    EXPECT_EQ(Shortcuts::commandForChord("⌘⇧K", custom), "copy");
    EXPECT_EQ(Shortcuts::commandForChord("⌘K", custom), std::nullopt);
    EXPECT_EQ(Shortcuts::commandForChord("F9", custom), "unknownThing");
    EXPECT_FALSE(Shortcuts::isKnownCommand("unknownThing"));
    // A press that forms no chord must not fire the entry whose binding was removed.
    EXPECT_EQ(Shortcuts::commandForChord("", custom), std::nullopt);
}

TEST(ShortcutsTest, ConflictLineNamesTheSortedUnionOrGivesTheHint)
{
    const auto commander = Shortcuts::standardList(KeyboardPreset::commander);
    const auto calm = Shortcuts::conflictLine(commander, {{"copy", "F5"}, {"view", ""}});
    EXPECT_FALSE(calm.isConflict);
    EXPECT_FALSE(calm.text.startsWith(QStringLiteral("Konflikte")));

    QList<ShortcutDefinition> clashing = commander;
    clashing.append(row("zoom", "Zoom", "l", "⌘"));
    const auto line = Shortcuts::conflictLine(clashing, 
                                           {{"trash", "⌘X"}, {"copy", "⌘x"}, {"path", "⌘Y"}, {"search", "⌘y"}});
    EXPECT_TRUE(line.isConflict);
    EXPECT_EQ(line.text, QStringLiteral("Konflikte: copy, path, search, trash, zoom"));
}
