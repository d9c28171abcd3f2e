#include "core/BrenvikError.h"
#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <QStringList>
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

} // namespace
