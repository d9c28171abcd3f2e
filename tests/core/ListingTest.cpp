#include "core/BrenvikError.h"
#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "support/TestEnvironment.h"

#include <QStringList>
#include <QSet>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList names(const QList<FileItem>& items)
{
    QStringList result;
    for (const FileItem& item : items)
        result.append(item.name());
    return result;
}

const FileItem& named(const QList<FileItem>& items, const QString& name)
{
    for (const FileItem& item : items)
        if (item.name() == name)
            return item;
    throw std::runtime_error("missing entry " + name.toStdString());
}

int errorCodeOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const SystemError& error) {
        return error.code();
    }
    return 0;
}

TEST(Listing, FoldersFirstThenNaturalCaseInsensitiveOrder)
{
    TempFolder folder;
    for (const char* name : {"b", "A", "file10", "file2", "Äpfel", "apfel", "zebra.txt"})
        folder.write(name);
    folder.makeFolder("z");
    folder.makeFolder("Y");
    EXPECT_EQ(names(FileSystemCore::contents(folder.url(), false)),
              (QStringList{"Y", "z", "A", "apfel", "Äpfel", "b", "file2", "file10", "zebra.txt"}));
}

TEST(Listing, HiddenEntriesOnlyOnRequest)
{
    TempFolder folder;
    folder.write(".env");
    folder.write("visible");
    folder.makeFolder(".git");
    EXPECT_EQ(names(FileSystemCore::contents(folder.url(), false)), QStringList{"visible"});
    EXPECT_EQ(names(FileSystemCore::contents(folder.url(), true)), (QStringList{".git", ".env", "visible"}));
}

TEST(Listing, RecordsDescribeTheEntryItself)
{
    TempFolder folder;
    const FileUrl file = folder.write("daten.bin", QByteArray(1234, 'x'));
    chmod(file.nativePath().constData(), 04755);
    folder.makeFolder("sub");
    ASSERT_EQ(symlink("sub", folder.file("link-to-folder").nativePath().constData()), 0);
    ASSERT_EQ(symlink("nirgendwo", folder.file("dangling").nativePath().constData()), 0);

    const QList<FileItem> items = FileSystemCore::contents(folder.url(), false);
    EXPECT_EQ(names(items), (QStringList{"sub", "dangling", "daten.bin", "link-to-folder"}));

    const FileItem& data = named(items, "daten.bin");
    EXPECT_EQ(data.url, file);
    EXPECT_EQ(data.size, 1234);
    EXPECT_EQ(data.permissions(), QStringLiteral("4755"));
    EXPECT_FALSE(data.isDirectory);
    ASSERT_TRUE(data.modified.has_value());
    struct stat st;
    ASSERT_EQ(lstat(file.nativePath().constData(), &st), 0);
    EXPECT_EQ(data.modified->time_since_epoch().count(),
              qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);

    const FileItem& sub = named(items, "sub");
    EXPECT_TRUE(sub.isDirectory);
    EXPECT_EQ(sub.size, 0);

    const FileItem& link = named(items, "link-to-folder");
    EXPECT_FALSE(link.isDirectory);
    EXPECT_TRUE(link.isSymbolicLink);
    EXPECT_TRUE(named(items, "dangling").isSymbolicLink);
}

TEST(Listing, NamesAreTakenAsTheSystemGivesThem)
{
    TempFolder folder;
    const QByteArray decomposed = QStringLiteral("Cafe\u0301.txt").toUtf8();
    folder.write(decomposed);
    folder.write("caf\xe9");
    folder.write("caf\xe8");

    const QList<FileItem> items = FileSystemCore::contents(folder.url(), false);
    ASSERT_EQ(items.size(), 3);
    QSet<QByteArray> paths;
    for (const FileItem& item : items) {
        paths.insert(item.url.nativeFileName());
        struct stat st;
        EXPECT_EQ(lstat(item.url.nativePath().constData(), &st), 0) << item.url.nativePath().toStdString();
    }
    EXPECT_EQ(paths, (QSet<QByteArray>{decomposed, "caf\xe9", "caf\xe8"}));
}

TEST(Listing, FailuresCarryTheSystemError)
{
    TempFolder folder;
    const FileUrl file = folder.write("datei");
    EXPECT_EQ(errorCodeOf([&] { FileSystemCore::contents(file, true); }), ENOTDIR);
    EXPECT_EQ(errorCodeOf([&] { FileSystemCore::contents(folder.file("fehlt"), true); }), ENOENT);
}

TEST(Listing, UnreadableFoldersFailWholeWithoutPartialResults)
{
    TempFolder folder;
    const FileUrl locked = folder.makeFolder("gesperrt");
    const FileUrl searchable = folder.makeFolder("ohne-x");
    ASSERT_EQ(chmod(locked.nativePath().constData(), 0), 0);
    // Readable but not searchable: the names come, their attributes do not.
    const int fd = ::open(searchable.appending(QByteArray("a")).nativePath().constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(chmod(searchable.nativePath().constData(), 0444), 0);

    const int lockedCode = runUnprivileged([&] {
        return errorCodeOf([&] { FileSystemCore::contents(locked, true); });
    });
    EXPECT_EQ(lockedCode, EACCES);
    const int searchCode = runUnprivileged([&] {
        return errorCodeOf([&] { FileSystemCore::contents(searchable, true); });
    });
    EXPECT_EQ(searchCode, EACCES);
}

TEST(Listing, EntriesVanishingDuringTheListingAreLeftOut)
{
    TempFolder folder;
    for (int i = 0; i < 20; ++i)
        folder.write(QByteArray("f") + QByteArray::number(i));
    int calls = 0;
    // The token is asked before each entry's lstat: remove everything at the fifth.
    const CancellationToken vanish([&] {
        if (++calls == 5)
            for (int i = 0; i < 20; ++i)
                ::unlink(folder.file(QByteArray("f") + QByteArray::number(i)).nativePath().constData());
        return false;
    });
    const QList<FileItem> items = FileSystemCore::contents(folder.url(), false, vanish);
    EXPECT_EQ(items.size(), 4);
}

TEST(Listing, CancellationDropsEverything)
{
    TempFolder folder;
    for (int i = 0; i < 10; ++i)
        folder.write(QByteArray("f") + QByteArray::number(i));
    int calls = 0;
    const CancellationToken stopAtThird([&] { return ++calls >= 3; });
    EXPECT_THROW(FileSystemCore::contents(folder.url(), false, stopAtThird), CancellationError);
    EXPECT_EQ(calls, 3);
}

} // namespace
