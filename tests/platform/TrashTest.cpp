#include "platform/LocalFileError.h"
#include "platform/LocalFileTestSupport.h"
#include "platform/Trash.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using namespace LocalFileTest;

FileUrl infoFileOf(const FileUrl& trashed)
{
    return trashed.parent().parent().appending("info/" + trashed.nativeFileName() + ".trashinfo");
}

// The trash is shared by all tests of the run: names of their own keep them apart.
QByteArray uniqueName(const QByteArray& suffix)
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8().left(8) + suffix;
}

// The exact former place, encoded; equal names numbered; names too long for
// their info file shortened only in the trash; each goes back to its place.
TEST(Trash, HomeTrashKeepsTheExactFormerPlaceAndGivesItBack)
{
    TempFolder folder;
    const QByteArray name = uniqueName(" caf\xe9%.txt");
    const QByteArray longName = uniqueName(QByteArray(243, 'n') + ".txt"); // 255 bytes
    const QList<FileUrl> files{folder.write(name, "1"), folder.write("zwei/" + name, "2"), folder.write(longName, "3")};
    QList<FileUrl> trashed;
    for (const FileUrl& file : files)
        trashed.append(Trash::moveToTrash(file));

    EXPECT_EQ(trashed[0], FileUrl::fromNativePath(qgetenv("XDG_DATA_HOME") + "/Trash/files/" + name));
    EXPECT_EQ(trashed[1].nativeFileName(), name.left(14) + " 2.txt");
    EXPECT_EQ(trashed[2].nativeFileName(), longName.left(241) + ".txt");
    const QByteArray info = readBytes(infoFileOf(trashed[0]));
    const QByteArray encodedPath = QByteArray(files[0].nativePath()).replace("%", "%25").replace(" ", "%20").replace("\xe9", "%E9");
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=" + encodedPath + "\nDeletionDate=20")) << info.toStdString();
    EXPECT_TRUE(readBytes(infoFileOf(trashed[2])).contains("\nPath=" + files[2].nativePath() + '\n'));
    for (qsizetype i = 0; i < files.size(); ++i) {
        EXPECT_FALSE(exists(files[i]));
        Trash::restore(trashed[i], files[i]);
        EXPECT_EQ(readBytes(files[i]), QByteArray::number(i + 1));
        EXPECT_FALSE(exists(trashed[i]) || exists(infoFileOf(trashed[i])));
    }
}

TEST(Trash, OtherFileSystemsUseTheirOwnTrashWithRelativePaths)
{
    ShmFolder folder;
    const FileUrl file = folder.file("weg.txt");
    ASSERT_EQ(system(("echo weg > " + file.nativePath()).constData()), 0);
    const FileUrl trashed = Trash::moveToTrash(file);
    const QByteArray trash = "/dev/shm/.Trash-" + QByteArray::number(getuid());
    EXPECT_TRUE(trashed.isInside(FileUrl::fromNativePath(trash + "/files")));
    EXPECT_TRUE(readBytes(infoFileOf(trashed)).contains("\nPath=" + file.nativePath().mid(9) + '\n'));
    EXPECT_EQ(lstatOf(FileUrl::fromNativePath(trash)).st_mode & 0777, 0700u);

    Trash::restore(trashed, file);
    EXPECT_EQ(readBytes(file), QByteArray("weg\n"));
    EXPECT_FALSE(exists(infoFileOf(trashed)));
    for (const QByteArray& folder : {trash + "/files", trash + "/info", trash})
        rmdir(folder.constData()); // only when no one else has anything in it
}

TEST(Trash, VolumeWithoutAUsableTrashIsRefusedAndNothingMoves)
{
    // The unprivileged user's trash name on /dev/shm is taken by a plain file of root's.
    const QByteArray blocked = "/dev/shm/.Trash-65534";
    struct stat st;
    const bool madeBlocker = lstat(blocked.constData(), &st) != 0;
    if (!madeBlocker && !S_ISREG(st.st_mode))
        GTEST_SKIP() << "someone else's trash is there";
    if (madeBlocker) {
        ASSERT_EQ(system(("touch " + blocked).constData()), 0);
    }
    ShmFolder folder;
    ASSERT_EQ(chmod(folder.url().nativePath().constData(), 0777), 0);
    TempFolder home;
    ASSERT_EQ(chmod(home.path().constData(), 0777), 0);

    const FileUrl file = folder.file("bleibt.txt");
    EXPECT_EQ(runUnprivileged([&] {
                  setenv("XDG_DATA_HOME", home.path().constData(), 1);
                  if (system(("echo bleibt > " + file.nativePath()).constData()) != 0)
                      return 3;
                  const auto error = thrown<LocalFileError>([&] { Trash::moveToTrash(file); });
                  return error && error->description().contains(QStringLiteral("keinen nutzbaren Papierkorb")) ? 0 : 1;
              }),
              0);
    EXPECT_EQ(readBytes(file), QByteArray("bleibt\n"));
    if (madeBlocker)
        unlink(blocked.constData());
}

} // namespace
