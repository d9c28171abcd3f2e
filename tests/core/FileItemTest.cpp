#include "core/FileItem.h"

#include <gtest/gtest.h>

namespace {

FileItem localFile(const char* path, quint16 mode = 0644)
{
    FileItem item;
    item.url = FileUrl::fromNativePath(QByteArray(path));
    item.modeBits = mode;
    return item;
}

TEST(FileItem, KindFromFolderFlagAndExtension)
{
    FileItem folder = localFile("/x/Fotos.2024");
    folder.isDirectory = true;
    EXPECT_EQ(folder.kind(), QStringLiteral("Ordner"));
    EXPECT_EQ(localFile("/x/a.tar.gz").kind(), QStringLiteral("GZ"));
    EXPECT_EQ(localFile("/x/Bericht.pdf").kind(), QStringLiteral("PDF"));
    EXPECT_EQ(localFile("/x/Makefile").kind(), QStringLiteral("Datei"));
    EXPECT_EQ(localFile("/x/.bashrc").kind(), QStringLiteral("Datei"));
}

TEST(FileItem, PermissionTexts)
{
    EXPECT_EQ(localFile("/x/a", 04755).permissions(), QStringLiteral("4755"));
    EXPECT_EQ(localFile("/x/a", 0644).permissions(), QStringLiteral("644"));
    EXPECT_EQ(localFile("/x/a", 01777).permissions(), QStringLiteral("1777"));
    EXPECT_EQ(localFile("/x/a", 0).permissions(), QStringLiteral("000"));
    EXPECT_EQ(localFile("/x/a", 07).permissions(), QStringLiteral("007"));
}

TEST(FileItem, RemoteEntries)
{
    const FileItem item = FileItem::remoteEntry(QStringLiteral("ID"), QStringLiteral("a b.txt"), false, std::nullopt);
    EXPECT_EQ(item.url.path(), QStringLiteral("brvk-remote://ID/a%20b.txt"));
    EXPECT_EQ(item.name(), QStringLiteral("a b.txt"));
    EXPECT_EQ(item.size, 0);
    EXPECT_FALSE(item.modified.has_value());
    EXPECT_FALSE(item.isSymbolicLink);
    EXPECT_EQ(item.permissions(), QStringLiteral("remote"));
    EXPECT_EQ(FileItem::remoteEntry(QStringLiteral("ID"), QStringLiteral("d"), true, 4096).size, 4096);
}

} // namespace
