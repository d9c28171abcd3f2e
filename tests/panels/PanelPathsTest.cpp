#include "panels/FileDragData.h"
#include "panels/PanelPaths.h"
#include "panels/PanelPlaces.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

FileUrl path(const QByteArray& bytes)
{
    return FileUrl::fromNativePath(bytes);
}

} // namespace

TEST(PanelPathsTest, StandardisingResolvesDotsAndSeparatorsByTextOnly)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"/a/./b", "/a/b"},   {"/a//b///c", "/a/b/c"}, {"/a/b/..", "/a"},       {"/a/../../..", "/"},
        {"/..", "/"},         {"/", "/"},               {"/a/b/../c/.", "/a/c"}, {"/a/\xff/../x", "/a/x"},
        {"/a/..b/c", "/a/..b/c"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(PanelPaths::standardized(path(input)).nativePath(), expected) << input.constData();

    EXPECT_EQ(PanelPaths::typedPath(QStringLiteral("relative/path")), std::nullopt);
    EXPECT_EQ(PanelPaths::typedPath(QStringLiteral("/tmp/../usr/")), path("/usr"));
}

TEST(PanelPathsTest, FolderTitlesAndTextPathsOfNamesThatAreNotText)
{
    EXPECT_EQ(PanelPaths::folderTitle(path("/")), QStringLiteral("/"));
    EXPECT_EQ(PanelPaths::folderTitle(path("/home/anna/Bilder")), QStringLiteral("Bilder"));
    EXPECT_EQ(PanelPaths::nearestTextPath(path("/home/anna/caf\xe9/sub")), QStringLiteral("/home/anna"));
    EXPECT_EQ(PanelPaths::nearestTextPath(path("/home/anna")), QStringLiteral("/home/anna"));
}

TEST(PanelPathsTest, UriListsCarryTheExactPathBytes)
{
    const QList<FileUrl> urls{path("/tmp/caf\xe9 100%.txt"), path("/tmp/a#b?c"), path("/")};
    const QByteArray list = FileDragData::uriList(urls);
    EXPECT_TRUE(list.startsWith("file:///tmp/caf%E9%20100%25.txt\r\n")) << list.constData();
    EXPECT_EQ(FileDragData::localUrls(list), urls);

    const QByteArray foreign = "# comment\r\nhttp://example.org/x\r\nfile://server/share/x\r\n"
                               "file://localhost/etc/hosts\nfile:///a%00b\r\n";
    EXPECT_EQ(FileDragData::localUrls(foreign), QList<FileUrl>{path("/etc/hosts")});
}

TEST(PanelPathsTest, ADropIntoTheDroppedFolderOrBelowIsRecognised)
{
    const QList<FileUrl> sources{path("/data/photos"), path("/data/file.txt")};
    EXPECT_TRUE(FileDragData::dropsIntoItself(sources, path("/data/photos")));
    EXPECT_TRUE(FileDragData::dropsIntoItself(sources, path("/data/photos/2024/./")));
    EXPECT_TRUE(FileDragData::dropsIntoItself(sources, path("/data/x/../photos/2024")));
    EXPECT_FALSE(FileDragData::dropsIntoItself(sources, path("/data/photos-old")));
    EXPECT_FALSE(FileDragData::dropsIntoItself(sources, path("/data")));
    EXPECT_TRUE(FileDragData::dropsIntoItself({path("/")}, path("/tmp")));
}

TEST(PanelPathsTest, FavouritesListBuiltInFoldersFirstOnceAndOnlyWhenPresent)
{
    const QString home = QStringLiteral("/home/anna");
    const QStringList present{home, home + u"/Desktop"_s, home + u"/Downloads"_s, u"/srv/projekte"_s, u"/Applications"_s};
    const auto exists = [&](const FileUrl& url) { return present.contains(url.path()); };
    const QStringList stored{u"/srv/projekte"_s, home + u"/Downloads/"_s, u"/gone"_s, u"relative"_s,
                             u"/srv/projekte"_s};

    QStringList paths;
    for (const PanelPlaces::Place& place : PanelPlaces::favorites(home, stored, exists))
        paths.append(place.url.path());
    QStringList expected{home, home + u"/Desktop"_s, home + u"/Downloads"_s, u"/srv/projekte"_s};
#ifdef Q_OS_MACOS
    expected.insert(3, u"/Applications"_s);
#endif
    EXPECT_EQ(paths, expected);

    EXPECT_EQ(PanelPlaces::toggledFavorite({u"/a"_s, u"/b"_s, u"/a"_s}, u"/a"_s),
              (QStringList{u"/b"_s, u"/a"_s}));
    EXPECT_EQ(PanelPlaces::toggledFavorite({u"/a"_s}, u"/c"_s), (QStringList{u"/a"_s, u"/c"_s}));
}

TEST(PanelPathsTest, TheVolumeOfAFolderIsTheLongestMatchingRoot)
{
    const QList<PanelPlaces::Place> volumes{{u"System"_s, path("/")},
                                            {u"Daten"_s, path("/mnt/data")},
                                            {u"Daten2"_s, path("/mnt/data")},
                                            {u"Stick"_s, path("/mnt/data/stick")}};
    EXPECT_EQ(PanelPlaces::volumeIndex(path("/home/anna"), volumes), 0);
    EXPECT_EQ(PanelPlaces::volumeIndex(path("/mnt/data/x/../stick/y"), volumes), 3);
    EXPECT_EQ(PanelPlaces::volumeIndex(path("/mnt/database"), volumes), 0) << "a prefix must end at a separator";
    EXPECT_EQ(PanelPlaces::volumeIndex(path("/home"), {{u"Daten"_s, path("/mnt/data")}}), std::nullopt);

    EXPECT_TRUE(PanelPlaces::isSystemMount(u"/proc"_s));
    EXPECT_TRUE(PanelPlaces::isSystemMount(u"/run/user/1000"_s));
    EXPECT_FALSE(PanelPlaces::isSystemMount(u"/run/media/anna/STICK"_s));
    EXPECT_FALSE(PanelPlaces::isSystemMount(u"/procedures"_s));

    // The real list always holds the root file system and nothing from the system trees.
    bool sawRoot = false;
    for (const PanelPlaces::Place& volume : PanelPlaces::mountedVolumes()) {
        EXPECT_FALSE(PanelPlaces::isSystemMount(volume.url.path())) << volume.url.path().toStdString();
        sawRoot = sawRoot || volume.url == path("/");
    }
    EXPECT_TRUE(sawRoot);
}
