#include "core/ByteCount.h"
#include "core/SystemError.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"
#include "tools/BatchRenameEngine.h"
#include "tools/ChecksumEngine.h"
#include "tools/ContentMatcher.h"
#include "tools/DirectoryCompareEngine.h"
#include "tools/FileDetails.h"
#include "tools/FileHead.h"
#include "tools/RegularFile.h"
#include "tools/SearchEngine.h"
#include "tools/TextCompare.h"
#include "tools/ViewerText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QRandomGenerator>
#include <QTest>
#include <QtConcurrent>
#include <gtest/gtest.h>
#include <sys/xattr.h>

// Designated initializers name only the fields a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// The read runs aside, so that a reader that blocks fails the test instead of hanging it.
static QString refusalOf(const FileUrl& url)
{
    QFuture<QString> read = QtConcurrent::run([url] {
        try {
            readFileHead(url, 1024);
            return QStringLiteral("<gelesen>");
        } catch (const SystemError& error) {
            return QString::fromUtf8(strerrorname_np(error.code()));
        } catch (const BrenvikError& error) {
            return error.typeName();
        }
    });
    return QTest::qWaitFor([&] { return read.isFinished(); }, 5000) ? read.result() : QStringLiteral("<hängt>");
}

TEST(ViewerReading, SpecialFilesAreRefusedWithoutWaitingHexLinesAlignAndCutTextIsRepaired)
{
    TempFolder folder;
    const FileUrl fifo = folder.file("pipe"), link = folder.file("link");
    ASSERT_EQ(mkfifo(fifo.nativePath().constData(), 0644), 0);
    ASSERT_EQ(symlink("pipe", link.nativePath().constData()), 0);
    for (const FileUrl& special : {fifo, link, FileUrl::fromNativePath("/dev/zero"),
                                   FileUrl::remote(QStringLiteral("p"), QStringLiteral("a.txt"))})
        EXPECT_EQ(refusalOf(special), QStringLiteral("NotRegularFileError")) << special.path().toStdString();
    EXPECT_EQ(refusalOf(folder.url()), QStringLiteral("EISDIR"));

    const FileUrl file = folder.write("data.bin", QByteArray(5000, 'z'));
    const FileHead head = readFileHead(file, 4096);
    EXPECT_EQ(head.bytes, QByteArray(4096, 'z'));
    EXPECT_EQ(head.size, 5000);
    // Kernel files report no size and still have contents.
    EXPECT_FALSE(readFileHead(FileUrl::fromNativePath("/proc/self/status"), 8192).bytes.isEmpty());

    QByteArray seventeen;
    for (int i = 0; i < 17; ++i)
        seventeen.append(char(i == 1 ? 0x00 : i == 2 ? 0xff : 0x30 + i));
    const QStringList lines = ViewerText::hexDump(seventeen).split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("00000000  30 00 FF 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F  |0..3456789:;<=>?|"));
    // The character column of the short line starts where the full one's does.
    EXPECT_EQ(lines[1], QStringLiteral("00000010  40") + QString(45, u' ') + QStringLiteral("  |@|"));
    // A megabyte: 65,536 lines, the last offset in place, no line feed at the end.
    const QString big = ViewerText::hexDump(QByteArray(ViewerText::hexLimit, 'x'));
    EXPECT_EQ(big.count(u'\n'), 65535);
    EXPECT_TRUE(big.section(u'\n', -1).startsWith(QStringLiteral("000FFFF0  78 78")));

    // "Grüße" in Latin-1, and UTF-8 "aé" cut inside the é, as at the 8 MiB limit.
    EXPECT_EQ(ViewerText::text(QByteArray("Gr\xfc\xdf" "e")), QStringLiteral("Gr\uFFFD\uFFFD" "e"));
    EXPECT_EQ(ViewerText::text(QByteArray("a\xc3")), QStringLiteral("a\uFFFD"));
    const qint64 limit = ViewerText::readLimit;
    EXPECT_EQ(ViewerText::status(limit, limit), ByteCount::text(limit));
    EXPECT_EQ(ViewerText::status(limit + 1, limit), QStringLiteral("Erste 8 MB von ") + ByteCount::text(limit + 1));
}

TEST(TextCompare, BreakCharactersLinesComparedByPositionAndAReadCutInsideACharacter)
{
    EXPECT_EQ(TextCompare::splitLines(QString()), QStringList{QString()});
    EXPECT_EQ(TextCompare::splitLines("a\r\nb\n"), QStringList({"a", "", "b", ""}));
    EXPECT_EQ(TextCompare::splitLines(QStringLiteral("a\vb\fc\u0085d\u2028e\u2029\t \u00a0")),
              QStringList({"a", "b", "c", "d", "e", QStringLiteral("\t \u00a0")}));

    using enum TextCompare::LineShade;
    const QStringList three{"a", "b", "c"}, five{"a", "b", "c", "d", ""};
    const TextCompare::Comparison result = TextCompare::compareLines(three, five);
    // Line 5 is empty on the right and missing on the left: red there, yet not counted.
    EXPECT_EQ(result.differences, 1);
    EXPECT_EQ(result.left.shades, (std::vector{none, none, none, missing, missing}));
    EXPECT_EQ(result.right.shades, (std::vector{none, none, none, changed, none}));
    EXPECT_EQ(result.left.text, QStringLiteral("     1  a\n     2  b\n     3  c\n     4  \n     5  \n"));
    // An inserted first line shifts everything: every pair differs.
    EXPECT_EQ(TextCompare::compareLines(QStringList{"x"} + three, three).differences, 4);

    TempFolder folder;
    // "ä" is two bytes; the limit falls between them.
    const TextCompare::LinesRead read =
        TextCompare::readLines(folder.write("big.txt", QByteArray(TextCompare::readLimit - 1, 'a') + "\xc3\xa4tail"));
    EXPECT_TRUE(read.truncated);
    ASSERT_EQ(read.lines.size(), 1);
    EXPECT_EQ(read.lines[0].size(), TextCompare::readLimit);
    EXPECT_TRUE(read.lines[0].endsWith(QStringLiteral("a\uFFFD")));
    const TextCompare::LinesRead whole =
        TextCompare::readLines(folder.write("exact.txt", QByteArray(TextCompare::readLimit - 1, 'a') + '\n'));
    EXPECT_FALSE(whole.truncated);
    EXPECT_EQ(whole.lines.size(), 2);
}

TEST(FileDetails, AFileWithAttributesALinkItselfAndAVanishedEntry)
{
    TempFolder folder;
    const QByteArray path = folder.write("ziel.txt", "0123456789").nativePath();
    ASSERT_EQ(chmod(path.constData(), 0640), 0);
    ASSERT_EQ(setxattr(path.constData(), "user.brvk.tag", "rot", 3, 0), 0);
    ASSERT_EQ(setxattr(path.constData(), "user.brvk.note", "", 0, 0), 0);
    ASSERT_EQ(lchown(path.constData(), 54321, 54322), 0); // an owner and group without a name
    ASSERT_EQ(symlink("ziel.txt", folder.file("verweis").nativePath().constData()), 0);
    // The lines of the details by their label, the label's padding removed.
    const auto fields = [](const FileUrl& url) {
        QHash<QString, QString> result;
        for (const QString& line : FileDetails::details(url, QLocale(QLocale::German)).split(u'\n'))
            result.insert(line.section(u':', 0, 0), line.section(u':', 1).trimmed());
        return result;
    };

    const QHash<QString, QString> file = fields(folder.file("ziel.txt"));
    EXPECT_TRUE(file.value(QStringLiteral("Größe")).endsWith(QStringLiteral(" (10 Bytes)")));
    EXPECT_EQ(file.value(QStringLiteral("Rechte")), QStringLiteral("0640"));
    EXPECT_EQ(file.value(QStringLiteral("Besitzer")), QStringLiteral("54321"));
    EXPECT_EQ(file.value(QStringLiteral("Gruppe")), QStringLiteral("54322"));
    const QStringList attributes = file.value(QStringLiteral("xattrs")).split(QStringLiteral(", "));
    EXPECT_EQ(QSet<QString>(attributes.begin(), attributes.end()), QSet<QString>({"user.brvk.note", "user.brvk.tag"}));
    EXPECT_EQ(fields(folder.url()).value(QStringLiteral("Besitzer")), QStringLiteral("root"));

    // The link itself: its own type and size (the stored text), its stored
    // relative target, and none of the target's attributes.
    const QHash<QString, QString> link = fields(folder.file("verweis"));
    EXPECT_EQ(link.value(QStringLiteral("Typ")), QStringLiteral("NSFileTypeSymbolicLink"));
    EXPECT_TRUE(link.value(QStringLiteral("Größe")).endsWith(QStringLiteral(" (8 Bytes)")));
    EXPECT_EQ(link.value(QStringLiteral("Link-Ziel")), QStringLiteral("ziel.txt"));
    EXPECT_EQ(link.value(QStringLiteral("xattrs")), QStringLiteral("—"));
    // Nothing to read, nothing thrown.
    EXPECT_EQ(fields(folder.file("fehlt")).value(QStringLiteral("Rechte")), QStringLiteral("—"));
}

TEST(ChecksumEngine, DigestsAgreeWithAnIndependentImplementationAndSpecialFilesEndTheRun)
{
    TempFolder folder;
    QByteArray large(qsizetype(ChecksumEngine::blockSize) * 2 + 12345, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(large.data()), large.size() / 4);
    const QList<QByteArray> contents = {{}, "abc", large};
    const QList<FileUrl> files = {folder.write("leer"), folder.write("abc.txt", "abc"), folder.write("groß.bin", large)};
    ChecksumEngine engine;
    const QList<ChecksumEngine::Result> results = engine.sha256(files).result();
    ASSERT_EQ(results.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(results[i].digest, QString::fromLatin1(QCryptographicHash::hash(contents[i], QCryptographicHash::Sha256).toHex())) << i;
    EXPECT_EQ(ChecksumEngine::clipboardText(results.mid(0, 2)),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855  leer\n"
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad  abc.txt");
    // A pipe or a folder ends the run without blocking.
    ASSERT_EQ(mkfifo(folder.file("röhre").nativePath().constData(), 0644), 0);
    EXPECT_THROW(ChecksumEngine::sha256Now({files[1], folder.file("röhre")}), NotRegularFileError);
    EXPECT_THROW(ChecksumEngine::sha256Now({folder.url()}), NotRegularFileError);
}

TEST(DirectoryCompare, NamesSizesAndFolderFlagsDecide)
{
    TempFolder left, right;
    left.write("a.txt", "0123456789"); // same size, other contents: equal
    right.write("a.txt", "abcdefghij");
    left.write("b.txt", "kurz");
    right.write("b.txt", "etwas länger");
    left.makeFolder("docs"); // folder against file
    right.write("docs", "x");
    left.write("sub/inhalt", "1"); // folders are equal whatever they hold
    right.makeFolder("sub");
    left.write(".versteckt", "1");
    left.write("Readme", "1"); // case counts
    right.write("README", "1");
    right.write("nur-rechts", "");

    DirectoryCompareEngine engine;
    const DirectoryComparison result = engine.compare(left.url(), right.url()).result();
    const auto marks = [](const TempFolder& folder, const QStringList& names) {
        QSet<FileUrl> urls;
        for (const QString& name : names)
            urls.insert(folder.file(name.toUtf8()));
        return urls;
    };
    EXPECT_EQ(result.leftMarks, marks(left, {".versteckt", "Readme", "b.txt", "docs"}));
    EXPECT_EQ(result.rightMarks, marks(right, {"README", "b.txt", "docs", "nur-rechts"}));
    EXPECT_EQ(result.identicalCount, 2);
    EXPECT_THROW(engine.compare(left.url(), right.file("fehlt")).waitForFinished(), SystemError);
}

// The folder's files as "name=contents", by name.
static QStringList state(const TempFolder& folder)
{
    QStringList result;
    for (const QFileInfo& entry : QDir(folder.url().path()).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile file(entry.filePath());
        result.append(entry.fileName() + u'=' + (file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : "?"));
    }
    return result;
}

TEST(BatchRenameEngineTest, NewNamesKeepTheLastExtensionAndTheFirstFailingRuleDecidesTheStatus)
{
    const struct {
        const char* name;
        RenameFields fields;
        const char* expected;
    } cases[] = {
        {"photo.txt", {.find = "TXT", .replace = "x"}, "photo.txt"},
        {"report-txt.txt", {.find = "TXT", .replace = "doc"}, "report-doc.txt"},
        {"archive.tar.gz", {.suffix = "_alt"}, "archive.tar_alt.gz"},
        {"Makefile", {.prefix = "neu-", .suffix = "_1"}, "neu-Makefile_1"},
        {".env", {.find = "env", .replace = "cfg"}, ".cfg"},
        {"b\xFF.txt", {.find = "b", .replace = "c", .prefix = "x"}, "b\xFF.txt"}, // no text: left as it is
    };
    for (const auto& c : cases)
        EXPECT_EQ(RenamePlan::transformedName(FileUrl::fromNativePath("/ordner").appending(QByteArray(c.name)), c.fields), c.expected) << c.name;

    TempFolder folder;
    const QList<FileUrl> sources = {folder.write("1.txt"), folder.write("11.txt"), folder.write("b.txt")};
    folder.write("x-b.txt");
    const auto check = [&](const RenameFields& fields) { return RenamePlan::check(RenamePlan::build(sources, fields)); };
    EXPECT_EQ(check({.find = "1", .replace = "a/"}).status, "Ungültiger Zielname");
    EXPECT_EQ(check({.find = "11", .replace = "b"}).status, "Doppelte Zielnamen");
    EXPECT_EQ(check({.find = "b", .replace = "x-b"}).status, "Ein Zielname existiert bereits");
    const RenamePlan::Check unchanged = check({.find = "nirgends"}), shifted = check({.prefix = "1"});
    EXPECT_TRUE(unchanged.valid && unchanged.changes == 0);
    EXPECT_TRUE(shifted.valid && shifted.changes == 3); // 11.txt is taken, but by a source that moves on
    EXPECT_EQ(RenamePlan::sortedSources({folder.file("b10"), folder.file("B9"), folder.file("a")}),
              QList<FileUrl>({folder.file("a"), folder.file("B9"), folder.file("b10")}));
}

TEST(BatchRenameEngineTest, NamesCanBeExchangedAndShiftedThroughTemporaryNames)
{
    TempFolder folder;
    const FileUrl a = folder.write("a", "A"), b = folder.write("b", "B");
    BatchRenameEngine engine;
    engine.apply({{a, b}, {b, a}}).waitForFinished();
    EXPECT_EQ(state(folder), QStringList({"a=B", "b=A"}));

    const FileUrl one = folder.write("1.txt", "eins"), eleven = folder.write("11.txt", "elf");
    BatchRenameEngine::applyNow(RenamePlan::build({one, eleven}, {.prefix = "1"}));
    EXPECT_EQ(state(folder), QStringList({"11.txt=eins", "111.txt=elf", "a=B", "b=A"}));
}

TEST(BatchRenameEngineTest, ANameTakenAfterTheCheckFailsTheSecondPhaseAndRollsBack)
{
    TempFolder folder;
    const QList<RenamePlanItem> plan = {{folder.write("a", "A"), folder.file("x")}, {folder.write("b", "B"), folder.file("y")}};
    ASSERT_TRUE(RenamePlan::check(plan).valid);
    folder.write("y", "fremd");
    const auto taken = LocalFileTest::thrown<SystemError>([&] { BatchRenameEngine::applyNow(plan); });
    EXPECT_EQ(taken ? taken->code() : 0, EEXIST) << "the taken name was replaced";
    // The entry that reached its name keeps it; the other is back, nothing is lost.
    EXPECT_EQ(state(folder), QStringList({"b=B", "x=A", "y=fremd"}));
}

TEST(BatchRenameEngineTest, AFirstPhaseThatCannotMoveAnEntryGivesEveryNameBack)
{
    // In a sticky folder the unprivileged user may move its own entry but not root's.
    TempFolder folder;
    const FileUrl own = folder.write("eigen", "E"), foreign = folder.write("fremd", "F");
    ASSERT_EQ(chown(own.nativePath().constData(), 65534, 65534), 0);
    ASSERT_EQ(chmod(folder.path().constData(), 01777), 0);
    EXPECT_EQ(runUnprivileged([&] {
        try {
            BatchRenameEngine::applyNow({{own, folder.file("x")}, {foreign, folder.file("y")}});
        } catch (const SystemError& error) {
            // The first entry moved; the second one stopped the run.
            return (error.code() == EPERM || error.code() == EACCES) && error.nativePath().endsWith("fremd") ? 0 : 2;
        }
        return 1;
    }), 0);
    EXPECT_EQ(state(folder), QStringList({"eigen=E", "fremd=F"}));
}

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
