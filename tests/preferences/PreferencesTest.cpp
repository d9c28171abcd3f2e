#include "IniFile.h"

#include "preferences/KeyChord.h"
#include "preferences/PreferencesStore.h"
#include "preferences/SettingsValue.h"
#include "preferences/Shortcuts.h"

#include <QVariantList>
#include <QVariantMap>
#include <gtest/gtest.h>

namespace {

// Writes one value, reopens the file and returns what comes back: the file keeps no types.
QVariant roundTrip(const QVariant& value)
{
    IniFile file;
    file.settings().setValue("Brenvik.Value", value);
    return file.reopen().value("Brenvik.Value");
}

class PreferencesStoreTest : public ::testing::Test {
protected:
    PreferencesStore store() { return PreferencesStore(file.settings()); }
    // The store as the next start of the program sees it.
    PreferencesStore reopened() { return PreferencesStore(file.reopen()); }

    IniFile file;
};

constexpr auto command = Qt::ControlModifier;
constexpr auto option = Qt::AltModifier;
constexpr auto control = Qt::MetaModifier;
constexpr auto shift = Qt::ShiftModifier;

Shortcuts::ShortcutDefinition row(const char* id, const char* key, const char* modifiers)
{
    return {QString::fromUtf8(id), QString(), QString::fromUtf8(key), QString::fromUtf8(modifiers)};
}

} // namespace

TEST(SettingsValueTest, EveryKindSurvivesItsTripThroughTextAndOtherTypesReadAsNothing)
{
    for (const bool flag : {true, false})
        EXPECT_EQ(SettingsValue::boolean(roundTrip(flag)), flag);
    for (const qint64 number : {qint64(0), qint64(-1), qint64(1) << 40})
        EXPECT_EQ(SettingsValue::integer(roundTrip(number)), number);
    // A one-element list comes back as text, an empty one as nothing.
    EXPECT_EQ(SettingsValue::textList(roundTrip(QStringList{"/home/a, b"})), QStringList{"/home/a, b"});
    const QStringList several = {"/x, y", "@start", "", "/z"};
    EXPECT_EQ(SettingsValue::textList(roundTrip(several)), several);
    EXPECT_EQ(SettingsValue::textList(roundTrip(QStringList{})), std::nullopt);
    EXPECT_EQ(SettingsValue::text(roundTrip(QString("true"))), "true");
    EXPECT_EQ(SettingsValue::textMap(roundTrip(QVariantMap{{"copy", QString("⌘K")}, {"view", QString()}})),
              (QMap<QString, QString>{{"copy", "⌘K"}, {"view", ""}}));
    const QByteArray bytes("\0\xff#ff00ff00,=;", 14);
    EXPECT_EQ(SettingsValue::data(roundTrip(bytes)), bytes);

    const QVariant absent;
    for (const QVariant& value : {absent, QVariant("abc"), QVariant("1"), QVariant(1), QVariant(QByteArray("true"))})
        EXPECT_EQ(SettingsValue::boolean(value), std::nullopt) << value.toString().toStdString();
    EXPECT_EQ(SettingsValue::boolean(QVariant("TRUE")), true);
    for (const QVariant& value : {absent, QVariant("7.5"), QVariant(""), QVariant(true), QVariant(QStringList{"7", "8"}),
                                  QVariant("99999999999999999999"), QVariant(qulonglong(1) << 63)})
        EXPECT_EQ(SettingsValue::integer(value), std::nullopt) << value.toString().toStdString();
    EXPECT_EQ(SettingsValue::integer(QVariant(" 12 ")), 12);
    for (const QVariant& value : {absent, QVariant(QStringList{"a", "b"}), QVariant(QByteArray("a")), QVariant(3)})
        EXPECT_EQ(SettingsValue::text(value), std::nullopt);
    EXPECT_EQ(SettingsValue::textList(QVariant(QVariantList{QString("/a"), 3})), std::nullopt);
    EXPECT_EQ(SettingsValue::textList(QVariant(QVariantList{QString("/a"), QString("/b")})), QStringList({"/a", "/b"}));
    EXPECT_EQ(SettingsValue::textMap(QVariant(QVariantMap{{"copy", QString("⌘K")}, {"view", 5}})), std::nullopt);
    EXPECT_EQ(SettingsValue::textMap(QVariant("copy=⌘K")), std::nullopt);
    EXPECT_EQ(SettingsValue::data(QVariant("#ff0000ff")), std::nullopt);

    // Hand-written lines are judged by what the file gives.
    IniFile file;
    QSettings& settings = file.writeRaw("[General]\nMixed=@ByteArray(x), /a\nPaths=/a, /b\n");
    EXPECT_EQ(SettingsValue::textList(settings.value("Mixed")), std::nullopt);
    EXPECT_EQ(SettingsValue::textList(settings.value("Paths")), QStringList({"/a", "/b"}));
    EXPECT_EQ(SettingsValue::text(settings.value("Paths")), std::nullopt);
}

TEST_F(PreferencesStoreTest, SavedSettingsComeBackAndUnreadableOnesFallBack)
{
    store().save(KeyboardPreset::macOS, "/usr/bin/x-terminal-emulator");
    const QMap<QString, QString> shortcuts = {{"copy", "⌘⇧k"}, {"view", ""}, {"search", "F5"}};
    store().saveCustomShortcuts(shortcuts);
    const PreferencesStore next = reopened();
    EXPECT_EQ(next.preset(), KeyboardPreset::macOS);
    EXPECT_EQ(next.terminalPath(), "/usr/bin/x-terminal-emulator");
    EXPECT_EQ(next.customShortcuts(), shortcuts);
    // Stored chords are matched whatever their case; X11 marks some function keys as keypad keys.
    EXPECT_EQ(next.command(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier), "copy");
    EXPECT_EQ(next.command(Qt::Key_F5, Qt::KeypadModifier), "search");
    EXPECT_EQ(next.command(Qt::Key_K, Qt::ControlModifier), std::nullopt);
    // A press that forms no chord must not fire the entry whose binding was removed.
    EXPECT_EQ(next.command(Qt::Key_Shift, Qt::ShiftModifier), std::nullopt);

    const PreferencesStore handWritten(file.writeRaw("[General]\nBrenvik.KeyboardPreset=macos\n"
                                                     "Brenvik.TerminalPath=\nBrenvik.CustomShortcuts=F5\n"));
    EXPECT_EQ(handWritten.preset(), KeyboardPreset::commander);
    EXPECT_EQ(handWritten.terminalPath(), PreferencesStore::defaultTerminalPath);
    EXPECT_TRUE(handWritten.customShortcuts().isEmpty());
}

TEST_F(PreferencesStoreTest, PanelTabsAreKeptPerPanelAndHostileEntriesLeftOut)
{
    store().panel("Left").saveTabs({"/home/u", "/tmp/a, b"}, 1);
    store().panel("Right").saveTabs({"/srv"}, 0);
    const auto left = reopened().panel("Left").tabs();
    EXPECT_EQ(left.paths, QStringList({"/home/u", "/tmp/a, b"}));
    EXPECT_EQ(left.selectedIndex, 1);
    EXPECT_EQ(store().panel("Right").tabs().paths, QStringList{"/srv"});

    // The selected tab is clamped to the saved ones, whatever was stored.
    const struct {
        QVariant stored;
        int expected;
    } cases[] = {{7, 2}, {-1, 0}, {QString("2"), 2}, {QString("abc"), 0}, {qint64(1) << 40, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        store().panel("Left").saveTabs({"/a", "/b", "/c"}, 0);
        file.settings().setValue("Brenvik.Left.SelectedTab", c.stored);
        EXPECT_EQ(reopened().panel("Left").tabs().selectedIndex, c.expected);
    }

    file.writeRaw("[General]\nBrenvik.Left.Tabs=/a, relative, , /b\nBrenvik.Left.SelectedTab=3\n"
                  "Brenvik.Right.Tabs=@ByteArray(/a)\n");
    const auto cleaned = store().panel("Left").tabs();
    EXPECT_EQ(cleaned.paths, QStringList({"/a", "/b"}));
    EXPECT_EQ(cleaned.selectedIndex, 1);
    EXPECT_TRUE(store().panel("Right").tabs().paths.isEmpty());
}

TEST_F(PreferencesStoreTest, AStoredGlobalHiddenSwitchWinsOverThePanelsOwn)
{
    store().panel("Left").saveShowHidden(true);
    EXPECT_TRUE(reopened().panel("Left").showHiddenAtStart());
    EXPECT_FALSE(store().panel("Right").showHiddenAtStart());
    store().saveShowHiddenFiles(false);
    EXPECT_FALSE(reopened().panel("Left").showHiddenAtStart());
    // A global value that is no boolean does not count as stored.
    file.settings().setValue("Brenvik.ShowHiddenFiles", "abc");
    EXPECT_TRUE(reopened().panel("Left").showHiddenAtStart());
    store().saveShowHiddenFiles(true);
    EXPECT_TRUE(reopened().panel("Right").showHiddenAtStart());
}

TEST(ShortcutsTest, ChordsListModifiersInFixedOrderAndConflictsIgnoreTheKeysCaseAndEmptyChords)
{
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* chord;
    } cases[] = {
        {Qt::Key_K, shift | control | option | command, "⌘⌥⌃⇧K"},
        {Qt::Key_F12, Qt::KeypadModifier, "F12"}, // X11 marks some function keys as keypad keys
        {Qt::Key_7, Qt::KeypadModifier | command, "⌘7"},
        {Qt::Key_Adiaeresis, command, "⌘Ä"},
        {0x0436, command, "⌘Ж"}, // a Cyrillic layout delivers the lower-case letter
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyChord::chord(c.key, c.modifiers), QString::fromUtf8(c.chord)) << c.chord;
    for (const int key : {int(Qt::Key_Shift), int(Qt::Key_Meta), int(Qt::Key_CapsLock), int(Qt::Key_unknown), 0})
        EXPECT_TRUE(KeyChord::chord(key, command | shift).isEmpty()) << key;
    // A capture waits through such keys.
    EXPECT_EQ(KeyChord::Capture::of(Qt::Key_Shift, shift).outcome, KeyChord::Capture::Outcome::keepWaiting);

    const QList<Shortcuts::ShortcutDefinition> standard = {
        row("search", "F", "⌘"), row("custom1", "f", "⌘"), row("custom2", "F", "⌘⇧"),
        row("empty1", "", ""),   row("empty2", "", ""),
    };
    EXPECT_EQ(Shortcuts::conflicts(standard), QSet<QString>({"search", "custom1"}));

    EXPECT_EQ(Shortcuts::customConflicts({{"copy", "⌘K"}, {"move", "⌘k"}, {"view", "⌘J"}, {"edit", ""}, {"path", ""}}),
              QSet<QString>({"copy", "move"}));
    EXPECT_EQ(Shortcuts::customConflicts({{"copy", "F1"}, {"move", "F1"}, {"edit", "F1"}}),
              QSet<QString>({"copy", "move", "edit"}));
    // A custom chord equal to a standard one is an addition, not a conflict.
    const auto calm = Shortcuts::conflictLine(Shortcuts::standardList(KeyboardPreset::commander), {{"search", "F5"}});
    EXPECT_FALSE(calm.isConflict);

    const auto line = Shortcuts::conflictLine(standard, {{"trash", "⌘X"}, {"copy", "⌘x"}, {"path", "⌘Y"}});
    EXPECT_TRUE(line.isConflict);
    EXPECT_EQ(line.text, QStringLiteral("Konflikte: copy, custom1, search, trash"));
}
