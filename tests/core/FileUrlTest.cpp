#include "core/FileItem.h"
#include "core/FileUrl.h"

#include <gtest/gtest.h>

namespace {

TEST(FileUrl, LocalPathComponents)
{
    const FileUrl url = FileUrl::fromLocalPath(QStringLiteral("/home/anna/archiv.tar.gz/"));
    EXPECT_EQ(url.nativePath(), QByteArray("/home/anna/archiv.tar.gz"));
    EXPECT_EQ(url.fileName(), QStringLiteral("archiv.tar.gz"));
    EXPECT_EQ(url.pathExtension(), QStringLiteral("gz"));
    EXPECT_EQ(url.parent().nativePath(), QByteArray("/home/anna"));
    EXPECT_EQ(url.parent().parent().parent().nativePath(), QByteArray("/"));
    EXPECT_EQ(FileUrl::fromLocalPath(QStringLiteral("/")).fileName(), QString());
    EXPECT_EQ(FileUrl::fromLocalPath(QStringLiteral("/")).appending(QByteArray("etc")).nativePath(), QByteArray("/etc"));
}

TEST(FileUrl, ExtensionNeedsABaseAndAText)
{
    EXPECT_EQ(FileUrl::fromLocalPath(QStringLiteral("/x/.env")).pathExtension(), QString());
    EXPECT_EQ(FileUrl::fromLocalPath(QStringLiteral("/x/name.")).pathExtension(), QString());
    EXPECT_EQ(FileUrl::fromLocalPath(QStringLiteral("/x/.config.json")).pathExtension(), QStringLiteral("json"));
}

TEST(FileUrl, InsideComparesWholeComponents)
{
    const FileUrl folder = FileUrl::fromLocalPath(QStringLiteral("/data/Fotos"));
    EXPECT_TRUE(FileUrl::fromLocalPath(QStringLiteral("/data/Fotos/2024/a.jpg")).isInside(folder));
    EXPECT_TRUE(folder.isInside(folder));
    EXPECT_FALSE(FileUrl::fromLocalPath(QStringLiteral("/data/Fotos 2")).isInside(folder));
    EXPECT_FALSE(FileUrl::fromLocalPath(QStringLiteral("/data")).isInside(folder));
    EXPECT_TRUE(folder.isInside(FileUrl::fromLocalPath(QStringLiteral("/"))));
}

TEST(FileUrl, NamesThatAreNotUtf8KeepTheirBytes)
{
    // Two names differing only in an invalid byte display the same, but stay distinct.
    const FileUrl a = FileUrl::fromNativePath(QByteArray("/x/caf\xe9"));
    const FileUrl b = FileUrl::fromNativePath(QByteArray("/x/caf\xe8"));
    EXPECT_EQ(a.fileName(), b.fileName());
    EXPECT_NE(a, b);
    EXPECT_NE(qHash(a), qHash(b));
    EXPECT_FALSE(a.exactPath().has_value());
    EXPECT_EQ(FileUrl::fromLocalPath(QStringLiteral("/x/Äpfel")).exactPath(), QStringLiteral("/x/Äpfel"));
}

TEST(FileUrl, RemoteEntriesUseTheVirtualForm)
{
    const QString id = QStringLiteral("0A1B2C3D-0000-4000-8000-000000000001");
    const FileUrl url = FileUrl::remote(id, QStringLiteral("Bericht 100%#?.pdf"));
    EXPECT_TRUE(url.isRemote());
    EXPECT_EQ(url.path(), QStringLiteral("brvk-remote://%1/Bericht%20100%25%23%3F.pdf").arg(id));
    EXPECT_EQ(url.fileName(), QStringLiteral("Bericht 100%#?.pdf"));
    EXPECT_EQ(FileUrl::remote(QString(), QStringLiteral("a")).path(), QStringLiteral("brvk-remote://unknown/a"));
    // A slash in a server's name stays inside the one component.
    const FileUrl slashed = FileUrl::remote(id, QStringLiteral("a/b"));
    EXPECT_EQ(slashed.fileName(), QStringLiteral("a/b"));
    EXPECT_EQ(FileUrl::remote(id, QStringLiteral("Ünïcode")).fileName(), QStringLiteral("Ünïcode"));
}

} // namespace
