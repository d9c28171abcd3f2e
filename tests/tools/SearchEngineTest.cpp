#include "tools/SearchEngine.h"

#include "core/SystemError.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"
#include "tools/ContentMatcher.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

// Designated initializers name only the fields a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using Options = SearchEngine::Options;

QStringList found(const TempFolder& root, const Options& options, qsizetype limit = 10000)
{
    QStringList relative;
    for (const FileUrl& url : SearchEngine::searchNow(root.url(), options, limit))
        relative.append(url.path().mid(root.url().path().size() + 1));
    relative.sort();
    return relative;
}

bool matches(const QString& needle, const QByteArray& haystack)
{
    return ContentMatcher(needle).isIn(haystack.constData(), std::size_t(haystack.size()));
}

// What the user means: both texts lower-cased character by character, bytes
// that are no UTF-8 standing for a character no needle holds.
bool reference(const QString& needle, const QByteArray& haystack)
{
    QList<uint> n = needle.toUcs4(), h = QString::fromUtf8(haystack).toUcs4();
    for (QList<uint>* text : {&n, &h})
        std::transform(text->begin(), text->end(), text->begin(), [](uint c) { return QChar::toLower(c); });
    return std::search(h.begin(), h.end(), n.begin(), n.end()) != h.end();
}

} // namespace

TEST(SearchEngineTest, NameSizeAndDateCriteriaWalkTheTreeButNotHiddenEntriesOrLinkedFolders)
{
    TempFolder root;
    root.write("Jahresbericht.pdf");
    root.write("Archiv/bericht;2023.txt");
    root.write("Archiv/Foto.JPG");
    root.write(".versteckt/bericht.txt");
    root.write("Ordner/.bericht");
    TempFolder elsewhere;
    elsewhere.write("bericht-draußen.txt");
    ASSERT_EQ(symlink(elsewhere.path().constData(), root.file("Berichte-Link").nativePath().constData()), 0);

    EXPECT_EQ(found(root, {.query = "BERICHT"}), QStringList({"Archiv/bericht;2023.txt", "Berichte-Link", "Jahresbericht.pdf"}));
    EXPECT_EQ(found(root, {.query = "bericht;2023"}), QStringList({"Archiv/bericht;2023.txt"}));
    EXPECT_EQ(found(root, {.query = "*.jpg;*.PDF"}), QStringList({"Archiv/Foto.JPG", "Jahresbericht.pdf"}));
    EXPECT_EQ(found(root, {.query = "bericht", .recursive = false}), QStringList({"Berichte-Link", "Jahresbericht.pdf"}));
    EXPECT_EQ(found(root, {.query = "*"}, 2).size(), 2);
    // A root reached through a link is searched all the same.
    EXPECT_EQ(SearchEngine::searchNow(root.file("Berichte-Link"), {.query = "draußen"}, 10).size(), 1);

    // Size bounds treat folders as empty.
    elsewhere.write("klein.txt", "12345");
    elsewhere.write("groß.txt", QByteArray(2000, 'x'));
    elsewhere.makeFolder("Ordner");
    const FileUrl old = elsewhere.write("alt.txt", "1");
    LocalFileTest::setModificationTime(old, 1000000000);
    EXPECT_EQ(found(elsewhere, {.query = "*", .minimumSize = 0}),
              QStringList({"Ordner", "alt.txt", "bericht-draußen.txt", "groß.txt", "klein.txt"}));
    EXPECT_EQ(found(elsewhere, {.query = "*", .minimumSize = 1, .maximumSize = 5}), QStringList({"alt.txt", "klein.txt"}));
    EXPECT_EQ(found(elsewhere, {.query = "*", .minimumSize = 1, .maximumSize = 5,
                                .modifiedAfter = QDateTime::fromSecsSinceEpoch(1500000000)}),
              QStringList({"klein.txt"}));
}

TEST(SearchEngineTest, ContentIsReadFromRegularFilesUpToTheLimitAndNeverFromSpecialFiles)
{
    TempFolder root;
    root.write("treffer.txt", "Die Nadel im Heuhaufen");
    root.write("Ordner/leer.txt", "Heu");
    ASSERT_EQ(mkfifo(root.file("Röhre-nadel").nativePath().constData(), 0644), 0);
    ASSERT_EQ(symlink("Röhre-nadel", root.file("Link-auf-Röhre").nativePath().constData()), 0);
    ASSERT_EQ(symlink("treffer.txt", root.file("Link-auf-Datei").nativePath().constData()), 0);
    // Sparse files with the needle at the start: one at the limit, one a byte past it.
    for (const auto& [name, size] : {std::pair("grenze.bin", SearchEngine::contentSizeLimit),
                                     std::pair("zu-groß.bin", SearchEngine::contentSizeLimit + 1)})
        ASSERT_EQ(truncate(root.write(name, "NADEL").nativePath().constData(), size), 0);

    EXPECT_EQ(found(root, {.content = "nadel"}), QStringList({"Link-auf-Datei", "grenze.bin", "treffer.txt"}));
    EXPECT_FALSE(SearchEngine::containsTextNow(root.file("Röhre-nadel"), "x"));
}

TEST(SearchEngineTest, AProtectedFileEndsAContentSearchButAProtectedSubfolderIsSkipped)
{
    TempFolder root;
    root.write("a-lesbar.txt", "nichts");
    ASSERT_EQ(chmod(root.write("geschützt.txt", "Nadel").nativePath().constData(), 0), 0);
    ASSERT_EQ(chmod(root.makeFolder("zu").nativePath().constData(), 0), 0);
    // The error names what could not be read; a listing of one root cannot skip it.
    const auto refused = [](const FileUrl& url, const Options& options, const char* name) {
        const auto error = LocalFileTest::thrown<SystemError>([&] { SearchEngine::searchNow(url, options, 10); });
        return error && error->code() == EACCES && error->description().contains(QString::fromUtf8(name));
    };
    EXPECT_EQ(runUnprivileged([&] {
        return int(!refused(root.url(), {.content = "nadel"}, "geschützt.txt"))
               + 2 * int(!SearchEngine::searchNow(root.file("zu"), {.query = "x"}, 10).isEmpty())
               + 4 * int(!refused(root.file("zu"), {.query = "x", .recursive = false}, "zu"));
    }), 0);
}

TEST(SearchEngineTest, ACancelledWalkStopsAtTheNextCheck)
{
    TempFolder root;
    ASSERT_EQ(truncate(root.write("groß.bin").nativePath().constData(), SearchEngine::contentSizeLimit), 0);
    for (int i = 0; i < 20; ++i)
        root.write("Ordner/datei-" + QByteArray::number(i));
    for (const Options& options : {Options{.content = "nirgends"}, Options{.query = "datei"}}) {
        int checks = 0;
        const CancellationToken token([&] { return ++checks > 5; });
        EXPECT_THROW(SearchEngine::searchNow(root.url(), options, 10000, token), CancellationError);
        EXPECT_EQ(checks, 6);
    }
}

TEST(ContentMatcherTest, MatchesLikeLowerCasingEveryCharacter)
{
    EXPECT_TRUE(matches("GRÜẞE", "viele grüße"));                 // ẞ lower-cases to ß
    EXPECT_TRUE(matches("kelvin", "300 \xE2\x84\xAA" "ELVIN"));     // the Kelvin sign is a capital k
    EXPECT_FALSE(matches("über", "\xC3" "BER"));                    // a broken lead byte is no Ü
    EXPECT_FALSE(matches(QStringLiteral("a\uFFFDb"), "a\xFF" "b")); // invalid bytes never match
    EXPECT_TRUE(matches("привет", "ПРИВЕТ мир"));                  // no ASCII letter to filter on
    // Against the meaning on random text, split anywhere.
    const QList<QByteArray> pieces = {"a", "A", "b", "B", "k", "K", "\xE2\x84\xAA", "\xC3\xA4", "\xC3\x84", "\xC3",
                                      "\x84", "\xFF", " ", "\xE2\x84", "\xF0\x9F\x98\x80", "i", "\xC4\xB0"};
    const QStringList needles = {"ab", "kä", "äk", "bi", "a b", QString::fromUtf8("\xF0\x9F\x98\x80" "a"), "k", "ii"};
    QRandomGenerator random(42);
    for (int round = 0; round < 3000; ++round) {
        QByteArray haystack;
        for (int i = random.bounded(12); i > 0; --i)
            haystack += pieces[random.bounded(pieces.size())];
        const QString& needle = needles[round % needles.size()];
        ASSERT_EQ(matches(needle, haystack), reference(needle, haystack)) << needle.toStdString() << " in " << haystack.toHex().toStdString();
    }
}

TEST(ContentMatcherTest, FindsMatchesAcrossChunkBordersOfAFile)
{
    TempFolder root;
    // "ü" is split by the first chunk border; "Zebra" lies on the next one.
    root.write("text.txt", QByteArray(qsizetype(ContentMatcher::chunkSize) - 3, 'x') + "Grüße"
                               + QByteArray(qsizetype(ContentMatcher::chunkSize) - 8, 'y') + "Zebra");
    for (const char* needle : {"GRÜßE", "zebra"})
        EXPECT_EQ(found(root, {.content = QString::fromUtf8(needle)}), QStringList{"text.txt"}) << needle;
    EXPECT_TRUE(found(root, {.content = "zebras"}).isEmpty());
}
