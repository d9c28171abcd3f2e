#include "tools/SearchEngine.h"

#include "core/SystemError.h"
#include "support/TestEnvironment.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

Options byName(const QString& query, bool recursive = true)
{
    Options options;
    options.query = query;
    options.recursive = recursive;
    return options;
}

Options byContent(const QString& content)
{
    Options options;
    options.content = content;
    return options;
}

} // namespace

TEST(SearchEngineTest, NameCriteriaWalkTheTreeButNotHiddenEntriesOrLinkedFolders)
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

    EXPECT_EQ(found(root, byName("BERICHT")), QStringList({"Archiv/bericht;2023.txt", "Berichte-Link", "Jahresbericht.pdf"}));
    EXPECT_EQ(found(root, byName("bericht;2023")), QStringList({"Archiv/bericht;2023.txt"}));
    EXPECT_EQ(found(root, byName("*.jpg;*.PDF")), QStringList({"Archiv/Foto.JPG", "Jahresbericht.pdf"}));
    EXPECT_EQ(found(root, byName("bericht", false)), QStringList({"Berichte-Link", "Jahresbericht.pdf"}));
    EXPECT_EQ(found(root, byName("*", true), 2).size(), 2);
    // A root reached through a link is searched all the same.
    EXPECT_EQ(SearchEngine::searchNow(root.file("Berichte-Link"), byName("draußen"), 10).size(), 1);
}

TEST(SearchEngineTest, SizeAndDateBoundsTreatFoldersAsEmpty)
{
    TempFolder root;
    root.write("klein.txt", "12345");
    root.write("groß.txt", QByteArray(2000, 'x'));
    root.makeFolder("Ordner");
    const FileUrl old = root.write("alt.txt", "1");
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, old.nativePath().constData(), times, 0), 0);

    Options options = byName("*");
    options.minimumSize = 0;
    EXPECT_EQ(found(root, options), QStringList({"Ordner", "alt.txt", "groß.txt", "klein.txt"}));
    options.minimumSize = 1;
    options.maximumSize = 5;
    EXPECT_EQ(found(root, options), QStringList({"alt.txt", "klein.txt"}));
    options.modifiedAfter = QDateTime::fromSecsSinceEpoch(1500000000);
    EXPECT_EQ(found(root, options), QStringList({"klein.txt"}));
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
                                     std::pair("zu-groß.bin", SearchEngine::contentSizeLimit + 1)}) {
        const FileUrl file = root.write(name, "NADEL");
        ASSERT_EQ(truncate(file.nativePath().constData(), size), 0);
    }

    EXPECT_EQ(found(root, byContent("nadel")), QStringList({"Link-auf-Datei", "grenze.bin", "treffer.txt"}));
    EXPECT_FALSE(SearchEngine::containsTextNow(root.file("Röhre-nadel"), "x"));
}

TEST(SearchEngineTest, AProtectedFileEndsAContentSearchWithTheSystemError)
{
    TempFolder root;
    root.write("a-lesbar.txt", "nichts");
    const FileUrl locked = root.write("geschützt.txt", "Nadel");
    ASSERT_EQ(chmod(locked.nativePath().constData(), 0), 0);
    EXPECT_EQ(runUnprivileged([&] {
        try {
            SearchEngine::searchNow(root.url(), byContent("nadel"), 10000);
        } catch (const SystemError& error) {
            return error.code() == EACCES && error.description().contains(QStringLiteral("geschützt.txt")) ? 0 : 2;
        }
        return 1;
    }), 0);
    // A recursive walk skips folders it cannot read; a listing of one root cannot.
    ASSERT_EQ(chmod(root.makeFolder("zu").nativePath().constData(), 0), 0);
    EXPECT_EQ(runUnprivileged([&] {
        Options options = byName("x");
        if (!SearchEngine::searchNow(root.file("zu"), options, 10).isEmpty())
            return 1;
        options.recursive = false;
        try {
            SearchEngine::searchNow(root.file("zu"), options, 10);
        } catch (const SystemError& error) {
            return error.code() == EACCES ? 0 : 2;
        }
        return 3;
    }), 0);
}

TEST(SearchEngineTest, ACancelledWalkStopsAtTheNextCheck)
{
    TempFolder root;
    const FileUrl big = root.write("groß.bin");
    ASSERT_EQ(truncate(big.nativePath().constData(), SearchEngine::contentSizeLimit), 0);
    for (int i = 0; i < 20; ++i)
        root.write("Ordner/datei-" + QByteArray::number(i));
    for (const Options& options : {byContent("nirgends"), byName("datei")}) {
        int checks = 0;
        const CancellationToken token([&] { return ++checks > 5; });
        EXPECT_THROW(SearchEngine::searchNow(root.url(), options, 10000, token), CancellationError);
        EXPECT_EQ(checks, 6);
    }
}
