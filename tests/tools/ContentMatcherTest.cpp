#include "tools/ContentMatcher.h"

#include "support/TestEnvironment.h"

#include <QRandomGenerator>
#include <fcntl.h>
#include <gtest/gtest.h>

namespace {

bool found(const QString& needle, const QByteArray& haystack)
{
    return ContentMatcher(needle).isIn(haystack.constData(), std::size_t(haystack.size()));
}

// What the user means: both texts lower-cased character by character, bytes
// that are no UTF-8 standing for a character no needle holds.
bool reference(const QString& needle, const QByteArray& haystack)
{
    const auto lowered = [](const QList<uint>& text) {
        QList<uint> result;
        for (const uint c : text)
            result.append(QChar::toLower(c));
        return result;
    };
    const QList<uint> n = lowered(needle.toUcs4());
    const QList<uint> h = lowered(QString::fromUtf8(haystack).toUcs4());
    return std::search(h.begin(), h.end(), n.begin(), n.end()) != h.end();
}

} // namespace

TEST(ContentMatcherTest, MatchesLikeLowerCasingEveryCharacter)
{
    struct Case {
        const char* needle;
        QByteArray haystack;
        bool expected;
    };
    const Case cases[] = {
        {"bericht", "Der JahresBERICHT liegt bei", true},
        {"GRÜẞE", "viele grüße", true},                 // ẞ lower-cases to ß
        {"kelvin", "300 \xE2\x84\xAA" "ELVIN", true},     // the Kelvin sign is a capital k
        {"über", "\xC3\x9C" "BER", true},                // the anchor lies after a two-byte letter
        {"über", "\xC3" "BER", false},                    // a broken lead byte is no Ü
        {"a\xEF\xBF\xBD" "b", "a\xFF" "b", false},        // invalid bytes never match
        {"привет", "ПРИВЕТ мир", true},                   // no ASCII letter to filter on
        {"привет", "ПРИВЕ", false},
        {"x", "", false},
        {"ab", "b", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(found(QString::fromUtf8(c.needle), c.haystack), c.expected) << c.needle << " in " << c.haystack.toStdString();
}

TEST(ContentMatcherTest, AgreesWithDecodingEverythingOnRandomText)
{
    const QList<QByteArray> pieces = {"a", "A", "b", "B", "k", "K", "\xE2\x84\xAA", "\xC3\xA4", "\xC3\x84", "\xC3",
                                      "\x84", "\xFF", " ", "\xE2\x84", "\xF0\x9F\x98\x80", "i", "\xC4\xB0"};
    const QStringList needles = {"ab", "kä", "äk", "bi", "a b", QString::fromUtf8("\xF0\x9F\x98\x80" "a"), "k", "ii"};
    QRandomGenerator random(42);
    for (int round = 0; round < 3000; ++round) {
        QByteArray haystack;
        for (int i = random.bounded(12); i > 0; --i)
            haystack += pieces[random.bounded(pieces.size())];
        const QString& needle = needles[round % needles.size()];
        ASSERT_EQ(found(needle, haystack), reference(needle, haystack)) << needle.toStdString() << " in " << haystack.toHex().toStdString();
    }
}

TEST(ContentMatcherTest, FindsMatchesAcrossChunkBordersOfAFile)
{
    TempFolder folder;
    // "ü" is split by the first chunk border; the second needle lies on the next one.
    QByteArray contents(qsizetype(ContentMatcher::chunkSize) - 3, 'x');
    contents += "Grüße";
    contents += QByteArray(qsizetype(ContentMatcher::chunkSize) - 8, 'y') + "Zebra";
    const FileUrl file = folder.write("text.txt", contents);
    const auto contains = [&](const char* needle) {
        const int fd = open(file.nativePath().constData(), O_RDONLY | O_CLOEXEC);
        ContentMatcher matcher(QString::fromUtf8(needle));
        const bool result = matcher.isInFile(fd, file.nativePath(), {});
        close(fd);
        return result;
    };
    EXPECT_TRUE(contains("GRÜßE"));
    EXPECT_TRUE(contains("zebra"));
    EXPECT_FALSE(contains("zebras"));
}
