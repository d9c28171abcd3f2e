#include "IniFile.h"

#include "preferences/SettingsValue.h"

#include <QVariantList>
#include <QVariantMap>
#include <gtest/gtest.h>

namespace {

// Writes one value, reopens the file and returns what comes back.
QVariant roundTrip(const QVariant& value)
{
    IniFile file;
    file.settings().setValue("Brenvik.Value", value);
    return file.reopen().value("Brenvik.Value");
}

} // namespace

TEST(SettingsValueTest, BooleansAndIntegersSurviveTheirTripThroughText)
{
    for (const bool flag : {true, false}) {
        const QVariant back = roundTrip(flag);
        ASSERT_EQ(back.typeId(), QMetaType::QString); // the file keeps no types
        EXPECT_EQ(SettingsValue::boolean(back), flag);
    }
    for (const qint64 number : {qint64(0), qint64(7), qint64(-1), qint64(1) << 40})
        EXPECT_EQ(SettingsValue::integer(roundTrip(number)), number);
}

TEST(SettingsValueTest, ListsKeepTheirElementsWhateverTheirLength)
{
    const QVariant single = roundTrip(QStringList{"/home/a, b"});
    ASSERT_EQ(single.typeId(), QMetaType::QString);
    EXPECT_EQ(SettingsValue::textList(single), QStringList{"/home/a, b"});

    const QStringList several = {"/x, y", "@start", "", "/z"};
    EXPECT_EQ(SettingsValue::textList(roundTrip(several)), several);

    // The file has no empty list: it stores an invalid value, which reads as absent.
    const QVariant empty = roundTrip(QStringList{});
    EXPECT_FALSE(empty.isValid());
    EXPECT_EQ(SettingsValue::textList(empty), std::nullopt);
}

TEST(SettingsValueTest, TextsDictionariesAndDataComeBackUnchanged)
{
    EXPECT_EQ(SettingsValue::text(roundTrip(QString("/Applications/My, Term.app"))), "/Applications/My, Term.app");
    EXPECT_EQ(SettingsValue::text(roundTrip(QString("true"))), "true");

    const QVariantMap shortcuts = {{"copy", QString("⌘K")}, {"view", QString()}};
    const auto map = SettingsValue::textMap(roundTrip(shortcuts));
    ASSERT_TRUE(map.has_value());
    EXPECT_EQ(*map, (QMap<QString, QString>{{"copy", "⌘K"}, {"view", ""}}));

    const QByteArray bytes("\0\xff#ff00ff00,=;", 14);
    EXPECT_EQ(SettingsValue::data(roundTrip(bytes)), bytes);
}

TEST(SettingsValueTest, ValuesOfAnotherTypeReadAsNothing)
{
    const QVariant absent;
    for (const QVariant& value : {absent, QVariant("abc"), QVariant("1"), QVariant("yes"), QVariant(1),
                                  QVariant(QByteArray("true"))})
        EXPECT_EQ(SettingsValue::boolean(value), std::nullopt) << value.toString().toStdString();
    EXPECT_EQ(SettingsValue::boolean(QVariant("TRUE")), true);

    for (const QVariant& value : {absent, QVariant("abc"), QVariant("7.5"), QVariant(""), QVariant(true),
                                  QVariant(QStringList{"7", "8"}), QVariant("99999999999999999999")})
        EXPECT_EQ(SettingsValue::integer(value), std::nullopt) << value.toString().toStdString();
    EXPECT_EQ(SettingsValue::integer(QVariant(" 12 ")), 12);

    for (const QVariant& value : {absent, QVariant(QStringList{"a", "b"}), QVariant(QByteArray("a")), QVariant(3)})
        EXPECT_EQ(SettingsValue::text(value), std::nullopt);

    EXPECT_EQ(SettingsValue::textList(QVariant(QByteArray("/a"))), std::nullopt);
    EXPECT_EQ(SettingsValue::textList(QVariant(QVariantList{QString("/a"), 3})), std::nullopt);
    EXPECT_EQ(SettingsValue::textList(QVariant(QVariantList{QString("/a"), QString("/b")})), QStringList({"/a", "/b"}));

    EXPECT_EQ(SettingsValue::textMap(QVariant("copy=⌘K")), std::nullopt);
    EXPECT_EQ(SettingsValue::textMap(QVariant(QVariantMap{{"copy", QString("⌘K")}, {"view", 5}})), std::nullopt);

    EXPECT_EQ(SettingsValue::data(QVariant("#ff0000ff")), std::nullopt);
}

TEST(SettingsValueTest, HandWrittenValuesAreJudgedByWhatTheFileGives)
{
    IniFile file;
    QSettings& settings = file.writeRaw("[General]\n"
                                        "Brenvik.Flag=abc\n"
                                        "Brenvik.Number=-3\n"
                                        "Brenvik.Mixed=@ByteArray(x), /a\n"
                                        "Brenvik.Paths=/a, /b\n");
    EXPECT_EQ(SettingsValue::boolean(settings.value("Brenvik.Flag")), std::nullopt);
    EXPECT_EQ(SettingsValue::integer(settings.value("Brenvik.Number")), -3);
    EXPECT_EQ(SettingsValue::textList(settings.value("Brenvik.Mixed")), std::nullopt);
    EXPECT_EQ(SettingsValue::textList(settings.value("Brenvik.Paths")), QStringList({"/a", "/b"}));
    EXPECT_EQ(SettingsValue::text(settings.value("Brenvik.Paths")), std::nullopt);
}
