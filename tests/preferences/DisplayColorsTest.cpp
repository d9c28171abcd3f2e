#include "IniFile.h"

#include "preferences/DisplayColors.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

using ColorKey = PreferencesStore::ColorKey;

TEST(DisplayColorsTest, AbsentOrUnreadableDataGivesTheDefaults)
{
    IniFile file;
    PreferencesStore store(file.settings());
    const QColor systemBlue = DisplayColors::defaultColor(ColorKey::folder);
    // Files follow the palette's text colour, so dark themes stay readable.
    const QColor labelColor = QGuiApplication::palette().color(QPalette::Text);
    EXPECT_EQ(DisplayColors::color(store, ColorKey::folder), systemBlue);
    EXPECT_EQ(DisplayColors::color(store, ColorKey::file), labelColor);

    for (const QByteArray& unreadable : {QByteArray(""), QByteArray("#ff00ff"), QByteArray("#0x00ff00"),
                                         QByteArray("#ff00ff00 "), QByteArray("#+f00ff00"), QByteArray("red")}) {
        store.saveColorData(ColorKey::folder, unreadable);
        store.saveColorData(ColorKey::file, unreadable);
        EXPECT_EQ(DisplayColors::color(store, ColorKey::folder), systemBlue) << unreadable.constData();
        EXPECT_EQ(DisplayColors::color(store, ColorKey::file), labelColor) << unreadable.constData();
    }
}

TEST(DisplayColorsTest, SavedColoursComeBackWithTheirAlphaAfterRestart)
{
    IniFile file;
    PreferencesStore store(file.settings());
    const QColor translucentRed(200, 10, 20, 128);
    ASSERT_TRUE(DisplayColors::save(store, ColorKey::folder, translucentRed));
    ASSERT_TRUE(DisplayColors::save(store, ColorKey::file, Qt::darkGreen));

    PreferencesStore next(file.reopen());
    EXPECT_EQ(DisplayColors::color(next, ColorKey::folder), translucentRed);
    EXPECT_EQ(DisplayColors::color(next, ColorKey::file), QColor(Qt::darkGreen));

    // An invalid colour cannot be stored; the key keeps the colour it had.
    EXPECT_FALSE(DisplayColors::save(next, ColorKey::folder, QColor()));
    EXPECT_EQ(DisplayColors::color(next, ColorKey::folder), translucentRed);

    next.removeColors();
    EXPECT_EQ(DisplayColors::color(next, ColorKey::folder), DisplayColors::defaultColor(ColorKey::folder));
}
