#include "core/BrenvikError.h"
#include "core/FileSystemCore.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

qint64 allocated(const FileUrl& url)
{
    struct stat st;
    if (lstat(url.nativePath().constData(), &st) != 0)
        throw std::runtime_error("lstat");
    return qint64(st.st_blocks) * 512;
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

} // namespace
