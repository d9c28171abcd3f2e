#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "support/TestEnvironment.h"

#include <QUtf8StringView>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray freeName(const FileUrl& folder, const QByteArray& sourceName)
{
    const FileUrl source = FileUrl::fromNativePath(QByteArray("/anderswo/") + sourceName);
    return FileSystemCore::uniqueDestination(source, folder).nativeFileName();
}

TEST(UniqueDestination, NumbersBeforeTheLastExtension)
{
    TempFolder folder;
    EXPECT_EQ(freeName(folder.url(), "Bericht.pdf"), QByteArray("Bericht.pdf"));
    folder.write("Bericht.pdf");
    folder.write("Bericht 2.pdf");
    EXPECT_EQ(freeName(folder.url(), "Bericht.pdf"), QByteArray("Bericht 3.pdf"));
    folder.makeFolder("Fotos");
    EXPECT_EQ(freeName(folder.url(), "Fotos"), QByteArray("Fotos 2"));
    folder.write("archiv.tar.gz");
    EXPECT_EQ(freeName(folder.url(), "archiv.tar.gz"), QByteArray("archiv.tar 2.gz"));
    folder.write(".env");
    EXPECT_EQ(freeName(folder.url(), ".env"), QByteArray(".env 2"));
    ASSERT_EQ(symlink("nirgendwo", folder.file("notiz.txt").nativePath().constData()), 0);
    EXPECT_EQ(freeName(folder.url(), "notiz.txt"), QByteArray("notiz 2.txt"));
    folder.write("caf\xe9.txt");
    EXPECT_EQ(freeName(folder.url(), "caf\xe9.txt"), QByteArray("caf\xe9 2.txt"));
    EXPECT_EQ(freeName(folder.url(), "caf\xe8.txt"), QByteArray("caf\xe8.txt"));
}

TEST(UniqueDestination, NamesOfTheFullLengthLoseTheEndOfTheirBaseAtACharacterBoundary)
{
    TempFolder folder;
    const QByteArray name = QString(125, u'ä').toUtf8() + "y.txt"; // 255 bytes
    folder.write(name);
    const QByteArray second = freeName(folder.url(), name);
    EXPECT_EQ(second, QString(124, u'ä').toUtf8() + " 2.txt");
    folder.write(second);
    EXPECT_EQ(freeName(folder.url(), name), QString(124, u'ä').toUtf8() + " 3.txt");

    // An extension too long to keep counts as part of the name.
    const QByteArray longExtension = "a." + QByteArray(252, 'e');
    folder.write(longExtension);
    EXPECT_EQ(freeName(folder.url(), longExtension), longExtension.left(253) + " 2");
}

TEST(UniqueDestination, AFolderThatCannotBeLookedIntoEndsWithTheSystemsError)
{
    TempFolder folder;
    const FileUrl file = folder.write("datei");
    try {
        freeName(file, "x");
        ADD_FAILURE() << "a file served as a folder";
    } catch (const SystemError& error) {
        EXPECT_EQ(error.code(), ENOTDIR);
    }
    const FileUrl closed = folder.makeFolder("verschlossen");
    ASSERT_EQ(chmod(closed.nativePath().constData(), 0700), 0);
    EXPECT_EQ(runUnprivileged([&] {
                  try {
                      freeName(closed, "x");
                  } catch (const SystemError& error) {
                      return error.code() == EACCES ? 0 : 1;
                  }
                  return 2;
              }),
              0);
}

} // namespace
