#include "core/FileSystemCore.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray freeName(const TempFolder& folder, const QByteArray& sourceName)
{
    const FileUrl source = FileUrl::fromNativePath(QByteArray("/anderswo/") + sourceName);
    return FileSystemCore::uniqueDestination(source, folder.url()).nativeFileName();
}

TEST(UniqueDestination, NumbersBeforeTheLastExtension)
{
    TempFolder folder;
    EXPECT_EQ(freeName(folder, "Bericht.pdf"), QByteArray("Bericht.pdf"));
    folder.write("Bericht.pdf");
    folder.write("Bericht 2.pdf");
    EXPECT_EQ(freeName(folder, "Bericht.pdf"), QByteArray("Bericht 3.pdf"));
    folder.makeFolder("Fotos");
    EXPECT_EQ(freeName(folder, "Fotos"), QByteArray("Fotos 2"));
    folder.write("archiv.tar.gz");
    EXPECT_EQ(freeName(folder, "archiv.tar.gz"), QByteArray("archiv.tar 2.gz"));
    folder.write(".env");
    EXPECT_EQ(freeName(folder, ".env"), QByteArray(".env 2"));
}

TEST(UniqueDestination, DanglingLinksAndForeignBytesOccupyTheirNames)
{
    TempFolder folder;
    ASSERT_EQ(symlink("nirgendwo", folder.file("notiz.txt").nativePath().constData()), 0);
    EXPECT_EQ(freeName(folder, "notiz.txt"), QByteArray("notiz 2.txt"));
    folder.write("caf\xe9.txt");
    EXPECT_EQ(freeName(folder, "caf\xe9.txt"), QByteArray("caf\xe9 2.txt"));
    EXPECT_EQ(freeName(folder, "caf\xe8.txt"), QByteArray("caf\xe8.txt"));
}

} // namespace
