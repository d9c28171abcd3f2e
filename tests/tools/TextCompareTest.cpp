#include "support/TestEnvironment.h"
#include "tools/TextCompare.h"

#include <gtest/gtest.h>

using TextCompare::LineShade;

TEST(TextCompareLines, EveryBreakCharacterEndsOneLine)
{
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {QString(), {QString()}},
        {QStringLiteral("a\n"), {QStringLiteral("a"), QString()}},
        {QStringLiteral("a\r\nb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {QStringLiteral("a\vb\fc\u0085d\u2028e\u2029f"),
         {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e"),
          QStringLiteral("f")}},
        {QStringLiteral("\t x \u00a0"), {QStringLiteral("\t x \u00a0")}},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(TextCompare::splitLines(entry.text), entry.lines) << entry.text.toStdString();
}

TEST(TextCompareLines, ComparedByPositionWithMissingLinesShadedRed)
{
    const QStringList three{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    const QStringList five{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"),
                           QString()};
    const TextCompare::Comparison result = TextCompare::compareLines(three, five);
    // Line 5 is empty on the right and missing on the left: red there, yet not counted.
    EXPECT_EQ(result.differences, 1);
    EXPECT_EQ(result.left.shades, (std::vector{LineShade::none, LineShade::none, LineShade::none,
                                               LineShade::missing, LineShade::missing}));
    EXPECT_EQ(result.right.shades, (std::vector{LineShade::none, LineShade::none, LineShade::none,
                                                LineShade::changed, LineShade::none}));
    EXPECT_EQ(result.left.text, QStringLiteral("     1  a\n     2  b\n     3  c\n     4  \n     5  \n"));
    EXPECT_TRUE(result.right.text.endsWith(QStringLiteral("     4  d\n     5  \n")));

    // An inserted first line shifts everything: every pair differs.
    EXPECT_EQ(TextCompare::compareLines(QStringList{QStringLiteral("x")} + three, three).differences, 4);
    EXPECT_EQ(TextCompare::compareLines(five, five).differences, 0);
}

TEST(TextCompareLines, ReadStopsAtFourMegabytesInsideACharacter)
{
    TempFolder folder;
    // "ä" is two bytes; the limit falls between them.
    QByteArray bytes(TextCompare::readLimit - 1, 'a');
    bytes.append("\xc3\xa4tail");
    const FileUrl file = folder.write("big.txt", bytes);
    const TextCompare::LinesRead read = TextCompare::readLines(file);
    EXPECT_TRUE(read.truncated);
    ASSERT_EQ(read.lines.size(), 1);
    EXPECT_EQ(read.lines[0].size(), TextCompare::readLimit);
    EXPECT_TRUE(read.lines[0].endsWith(QStringLiteral("a\uFFFD")));

    const FileUrl exact = folder.write("exact.txt", QByteArray(TextCompare::readLimit - 1, 'a') + '\n');
    const TextCompare::LinesRead whole = TextCompare::readLines(exact);
    EXPECT_FALSE(whole.truncated);
    EXPECT_EQ(whole.lines.size(), 2);
}
