// FileSystemCore on the local disk: listings, folder sizes and free names.
#include "core/BrenvikError.h"
#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

using LocalFileTest::allocated;

QStringList names(const QList<FileItem>& items)
{
    QStringList result;
    for (const FileItem& item : items)
        result.append(item.name());
    return result;
}

int errorCodeOf(const std::function<void()>& body)
{
    const std::optional<SystemError> error = LocalFileTest::thrown<SystemError>(body);
    return error ? error->code() : 0;
}

TEST(Listing, FoldersFirstThenNaturalOrderHiddenOnlyOnRequest)
{
    TempFolder folder;
    for (const char* name : {"b", "A", "file10", "file2", "Äpfel", "apfel", ".env"})
        folder.write(name);
    folder.makeFolder("z");
    folder.makeFolder(".git");
    EXPECT_EQ(names(FileSystemCore::contents(folder.url(), false)),
              (QStringList{"z", "A", "apfel", "Äpfel", "b", "file2", "file10"}));
    EXPECT_EQ(names(FileSystemCore::contents(folder.url(), true)).mid(0, 4), (QStringList{".git", "z", ".env", "A"}));
}

TEST(Listing, RecordsDescribeTheEntryItselfUnderItsExactName)
{
    TempFolder folder;
    const FileUrl file = folder.write("caf\xe9", QByteArray(1234, 'x'));
    chmod(file.nativePath().constData(), 04755);
    LocalFileTest::setModificationTime(file, 1'500'000'000, 123'456'789);
    folder.write("caf\xe8");
    folder.makeFolder("sub");
    ASSERT_EQ(symlink("sub", folder.file("link-to-folder").nativePath().constData()), 0);

    const QList<FileItem> items = FileSystemCore::contents(folder.url(), false);
    ASSERT_EQ(items.size(), 4);
    EXPECT_TRUE(items[0].isDirectory);
    EXPECT_EQ(items[0].size, 0);
    const FileItem& data = items[1].url == file ? items[1] : items[2];
    EXPECT_EQ(data.url, file);
    EXPECT_NE(items[1].url, items[2].url);
    EXPECT_EQ(data.size, 1234);
    EXPECT_EQ(data.modeBits, 04755);
    EXPECT_EQ(data.modified->time_since_epoch().count(), 1'500'000'000'123'456'789);
    EXPECT_EQ(items[3].name(), QStringLiteral("link-to-folder"));
    EXPECT_TRUE(items[3].isSymbolicLink && !items[3].isDirectory);
}

TEST(Listing, FailuresCarryTheSystemErrorAndNoPartialResult)
{
    TempFolder folder;
    const FileUrl file = folder.write("datei");
    const FileUrl locked = folder.makeFolder("gesperrt");
    ASSERT_EQ(chmod(locked.nativePath().constData(), 0), 0);
    // Readable but not searchable: the names come, their attributes do not.
    const FileUrl searchable = folder.write("ohne-x/a").parent();
    ASSERT_EQ(chmod(searchable.nativePath().constData(), 0444), 0);
    EXPECT_EQ(errorCodeOf([&] { FileSystemCore::contents(file, true); }), ENOTDIR);
    EXPECT_EQ(errorCodeOf([&] { FileSystemCore::contents(folder.file("fehlt"), true); }), ENOENT);
    for (const FileUrl& unreadable : {locked, searchable})
        EXPECT_EQ(runUnprivileged([&] { return errorCodeOf([&] { FileSystemCore::contents(unreadable, true); }); }),
                  EACCES);
}

// The token is asked before each entry's lstat.
TEST(Listing, VanishedEntriesAreLeftOutAndCancellationDropsEverything)
{
    TempFolder folder;
    for (int i = 0; i < 20; ++i)
        folder.write(QByteArray("f") + QByteArray::number(i));
    int calls = 0;
    EXPECT_THROW(FileSystemCore::contents(folder.url(), false, CancellationToken([&] { return ++calls >= 3; })),
                 CancellationError);
    EXPECT_EQ(calls, 3);
    calls = 0;
    const CancellationToken vanish([&] {
        if (++calls == 5)
            for (int i = 0; i < 20; ++i)
                ::unlink(folder.file(QByteArray("f") + QByteArray::number(i)).nativePath().constData());
        return false;
    });
    EXPECT_EQ(FileSystemCore::contents(folder.url(), false, vanish).size(), 4);
}

// Allocated sizes of regular files only: links, FIFOs and unreadable folders add nothing.
TEST(DirectorySize, CountsAllocatedSizeOfRegularFilesOnly)
{
    TempFolder folder;
    const FileUrl tiny = folder.write("eins.txt", "x");
    const FileUrl hidden = folder.write("sub/.versteckt", QByteArray(10000, 'y'));
    const FileUrl deep = folder.write("sub/tief/er/datei", QByteArray(70000, 'z'));
    ASSERT_EQ(symlink(deep.nativePath().constData(), folder.file("link-auf-datei").nativePath().constData()), 0);
    ASSERT_EQ(symlink("/", folder.file("link-auf-wurzel").nativePath().constData()), 0);
    ASSERT_EQ(mkfifo(folder.file("fifo").nativePath().constData(), 0600), 0);
    folder.write("zu/b", QByteArray(5000, 'b'));
    ASSERT_EQ(chmod(folder.file("zu").nativePath().constData(), 0), 0);

    const qint64 expected = allocated(tiny) + allocated(hidden) + allocated(deep);
    EXPECT_GT(allocated(tiny), 1) << "a one-byte file takes a whole block";
    EXPECT_EQ(FileSystemCore::directorySize(folder.file("sub")), allocated(hidden) + allocated(deep));
    EXPECT_EQ(runUnprivileged([&] { return FileSystemCore::directorySize(folder.url()) == expected ? 0 : 1; }), 0);
    EXPECT_EQ(FileSystemCore::directorySize(folder.file("fehlt")), 0);
    int calls = 0;
    EXPECT_THROW(FileSystemCore::directorySize(folder.url(), CancellationToken([&] { return ++calls > 3; })),
                 CancellationError);
}

QByteArray freeName(const FileUrl& folder, const QByteArray& sourceName)
{
    const FileUrl source = FileUrl::fromNativePath(QByteArray("/anderswo/") + sourceName);
    return FileSystemCore::uniqueDestination(source, folder).nativeFileName();
}

// Each row's name is taken (the dangling link too) before its free name is asked for.
TEST(UniqueDestination, NumbersBeforeTheLastExtension)
{
    TempFolder folder;
    EXPECT_EQ(freeName(folder.url(), "Bericht.pdf"), QByteArray("Bericht.pdf"));
    folder.write("Bericht 2.pdf");
    ASSERT_EQ(symlink("nirgendwo", folder.file("notiz.txt").nativePath().constData()), 0);
    folder.makeFolder("Fotos");
    const QByteArray name255 = QString(125, u'ä').toUtf8() + "y.txt";
    const QByteArray longExtension = "a." + QByteArray(252, 'e');
    for (const auto& [name, expected] :
         {std::pair{QByteArray("Bericht.pdf"), QByteArray("Bericht 3.pdf")}, {"Fotos", "Fotos 2"},
          {"archiv.tar.gz", "archiv.tar 2.gz"}, {".env", ".env 2"}, {"notiz.txt", "notiz 2.txt"},
          {"caf\xe9.txt", "caf\xe9 2.txt"},
          // Names of the full length lose the end of their base at a character boundary.
          {name255, QString(124, u'ä').toUtf8() + " 2.txt"},
          // An extension too long to keep counts as part of the name.
          {longExtension, longExtension.left(253) + " 2"}}) {
        if (name != "notiz.txt" && name != "Fotos")
            folder.write(name);
        EXPECT_EQ(freeName(folder.url(), name), expected) << name.constData();
    }
    EXPECT_EQ(freeName(folder.url(), "caf\xe8.txt"), QByteArray("caf\xe8.txt"));
    folder.write(QString(124, u'ä').toUtf8() + " 2.txt");
    EXPECT_EQ(freeName(folder.url(), name255), QString(124, u'ä').toUtf8() + " 3.txt");
}

TEST(UniqueDestination, AFolderThatCannotBeLookedIntoEndsWithTheSystemsError)
{
    TempFolder folder;
    const FileUrl file = folder.write("datei");
    const FileUrl closed = folder.makeFolder("verschlossen");
    ASSERT_EQ(chmod(closed.nativePath().constData(), 0700), 0);
    for (const auto& [where, code] : {std::pair{file, ENOTDIR}, {closed, EACCES}})
        EXPECT_EQ(runUnprivileged([&] { return errorCodeOf([&] { freeName(where, "x"); }); }), code);
}

} // namespace
