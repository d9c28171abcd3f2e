#include "core/SystemError.h"
#include "platform/LocalFileError.h"
#include "platform/LocalFileTestSupport.h"
#include "platform/Trash.h"
#include "support/TestEnvironment.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using namespace LocalFileTest;

FileUrl infoFileOf(const FileUrl& trashed)
{
    return trashed.parent().parent().appending("info/" + trashed.nativeFileName() + ".trashinfo");
}

QByteArray uniqueName(const QByteArray& suffix)
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8().left(8) + suffix;
}

TEST(Trash, HomeTrashKeepsTheExactFormerPlaceAndGivesItBack)
{
    TempFolder folder;
    const QByteArray name = uniqueName(" caf\xe9%.txt");
    const FileUrl file = folder.write(name, "inhalt");
    const FileUrl trashed = Trash::moveToTrash(file);

    EXPECT_EQ(trashed, FileUrl::fromNativePath(qgetenv("XDG_DATA_HOME") + "/Trash/files/" + name));
    EXPECT_FALSE(exists(file));
    const QByteArray info = readBytes(infoFileOf(trashed));
    const QByteArray encodedPath = QByteArray(file.nativePath()).replace("%", "%25").replace(" ", "%20").replace("\xe9", "%E9");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\[Trash Info\\]\nPath=%1\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n$")
                                       .arg(QRegularExpression::escape(QString::fromLatin1(encodedPath))))
                    .match(QString::fromLatin1(info))
                    .hasMatch())
        << info.toStdString();

    Trash::restore(trashed, file);
    EXPECT_EQ(readBytes(file), QByteArray("inhalt"));
    EXPECT_FALSE(exists(trashed));
    EXPECT_FALSE(exists(infoFileOf(trashed)));
}

TEST(Trash, EqualNamesGetNumberedAndEachGoesBackToItsPlace)
{
    TempFolder folder;
    const QByteArray name = uniqueName(".txt");
    const FileUrl first = folder.write("eins/" + name, "1");
    const FileUrl second = folder.write("zwei/" + name, "2");
    const FileUrl firstTrashed = Trash::moveToTrash(first);
    const FileUrl secondTrashed = Trash::moveToTrash(second);
    EXPECT_EQ(secondTrashed.nativeFileName(), name.left(8) + " 2.txt");
    Trash::restore(firstTrashed, first);
    Trash::restore(secondTrashed, second);
    EXPECT_EQ(readBytes(first), QByteArray("1"));
    EXPECT_EQ(readBytes(second), QByteArray("2"));
}

TEST(Trash, NamesTooLongForTheirInfoFileAreShortenedOnlyInTheTrash)
{
    TempFolder folder;
    const QByteArray name = uniqueName(QByteArray(243, 'n') + ".txt"); // 255 bytes
    const FileUrl file = folder.write(name, "lang");
    const FileUrl trashed = Trash::moveToTrash(file);
    EXPECT_EQ(trashed.nativeFileName(), name.left(241) + ".txt");
    EXPECT_TRUE(readBytes(infoFileOf(trashed)).contains("\nPath=" + file.nativePath() + '\n'));
    Trash::restore(trashed, file);
    EXPECT_EQ(readBytes(file), QByteArray("lang"));
    EXPECT_FALSE(exists(infoFileOf(trashed)));
}

TEST(Trash, RestoreNeverReplacesWhatTookThePlace)
{
    TempFolder folder;
    const FileUrl file = folder.write(uniqueName(""), "alt");
    const FileUrl trashed = Trash::moveToTrash(file);
    folder.write(file.nativeFileName(), "neu");
    try {
        Trash::restore(trashed, file);
        ADD_FAILURE() << "restored over an existing entry";
    } catch (const SystemError& error) {
        EXPECT_EQ(error.code(), EEXIST);
        EXPECT_EQ(error.nativePath(), file.nativePath());
    }
    EXPECT_EQ(readBytes(file), QByteArray("neu"));
    EXPECT_EQ(readBytes(trashed), QByteArray("alt"));
    EXPECT_TRUE(exists(infoFileOf(trashed)));
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
    if (lstat(blocked.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        GTEST_SKIP() << "someone else's trash is there";
    const bool madeBlocker = lstat(blocked.constData(), &st) != 0;
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
                  try {
                      Trash::moveToTrash(file);
                  } catch (const LocalFileError& error) {
                      return error.description().contains(QStringLiteral("keinen nutzbaren Papierkorb")) ? 0 : 1;
                  }
                  return 2;
              }),
              0);
    EXPECT_EQ(readBytes(file), QByteArray("bleibt\n"));
    if (madeBlocker)
        unlink(blocked.constData());
}

} // namespace
