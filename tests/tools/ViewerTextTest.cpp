#include "core/ByteCount.h"
#include "tools/ViewerText.h"

#include <gtest/gtest.h>

TEST(HexDump, LinesOfSixteenBytesWithAlignedCharacterColumn)
{
    EXPECT_EQ(ViewerText::hexDump({}), QString());

    const QString short4 = ViewerText::hexDump(QByteArray("\x41\x00\x7f\xff", 4));
    EXPECT_EQ(short4, QStringLiteral("00000000  41 00 7F FF") + QString(47 - 11, u' ') + QStringLiteral("  |A...|"));

    QByteArray seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen.append(char(0x30 + i));
    const QStringList lines = ViewerText::hexDump(seventeen).split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("00000000  30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F  |0123456789:;<=>?|"));
    EXPECT_EQ(lines[1], QStringLiteral("00000010  40") + QString(45, u' ') + QStringLiteral("  |@|"));
    // The character column of the short line starts where the full one's does.
    EXPECT_EQ(lines[1].indexOf(u'|'), lines[0].indexOf(u'|'));

    // A megabyte: 65,536 lines, the last offset in place, no line feed at the end.
    const QString big = ViewerText::hexDump(QByteArray(ViewerText::hexLimit, 'x'));
    EXPECT_EQ(big.count(u'\n'), 65535);
    EXPECT_TRUE(big.section(u'\n', -1).startsWith(QStringLiteral("000FFFF0  78 78")));
}

TEST(ViewerText, InvalidUtf8IsRepairedNotRefused)
{
    // "Grüße" in Latin-1, and UTF-8 "aé" cut inside the é, as at the 8 MiB limit.
    EXPECT_EQ(ViewerText::text(QByteArray("Gr\xfc\xdf" "e")), QStringLiteral("Gr\uFFFD\uFFFD" "e"));
    EXPECT_EQ(ViewerText::text(QByteArray("a\xc3")), QStringLiteral("a\uFFFD"));
}

TEST(ViewerText, StatusTellsWhenOnlyTheStartWasRead)
{
    const qint64 limit = ViewerText::readLimit;
    EXPECT_EQ(ViewerText::status(limit, limit), ByteCount::text(limit));
    EXPECT_EQ(ViewerText::status(limit + 1, limit), QStringLiteral("Erste 8 MB von ") + ByteCount::text(limit + 1));
}
