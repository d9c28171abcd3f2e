#include "core/FileUrl.h"

#include <gtest/gtest.h>

namespace {

FileUrl local(const char* path)
{
    return FileUrl::fromLocalPath(QString::fromUtf8(path));
}

TEST(FileUrl, LocalPathComponentsAndInside)
{
    const FileUrl url = local("/home/anna/archiv.tar.gz/");
    EXPECT_EQ(url.nativePath(), QByteArray("/home/anna/archiv.tar.gz"));
    EXPECT_EQ(url.pathExtension(), QStringLiteral("gz"));
    EXPECT_EQ(url.parent().parent().parent().nativePath(), QByteArray("/"));
    EXPECT_EQ(local("/").fileName(), QString());
    EXPECT_EQ(local("/").appending(QByteArray("etc")).nativePath(), QByteArray("/etc"));
    // An extension needs a base and a text.
    EXPECT_EQ(local("/x/.env").pathExtension(), QString());
    EXPECT_EQ(local("/x/name.").pathExtension(), QString());
    EXPECT_EQ(local("/x/.config.json").pathExtension(), QStringLiteral("json"));
    // Being inside compares whole components.
    const FileUrl folder = local("/data/Fotos");
    EXPECT_TRUE(local("/data/Fotos/2024/a.jpg").isInside(folder));
    EXPECT_TRUE(folder.isInside(folder));
    EXPECT_FALSE(local("/data/Fotos 2").isInside(folder));
    EXPECT_FALSE(local("/data").isInside(folder));
    EXPECT_TRUE(folder.isInside(local("/")));
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
    EXPECT_EQ(local("/x/Äpfel").exactPath(), QStringLiteral("/x/Äpfel"));
}

TEST(FileUrl, RemoteNamesStayOneComponent)
{
    for (const QString& name : {QStringLiteral("Bericht 100%#?.pdf"), QStringLiteral("a/b"), QStringLiteral("Ünïcode")}) {
        const FileUrl url = FileUrl::remote(QStringLiteral("0A1B2C3D"), name);
        EXPECT_TRUE(url.isRemote() && url.path().startsWith(QStringLiteral("brvk-remote://0A1B2C3D/")));
        EXPECT_EQ(url.fileName(), name);
        EXPECT_EQ(url.path().count(u'/'), 3);
    }
}

} // namespace
