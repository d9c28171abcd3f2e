#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "platform/LocalFileTestSupport.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray freeName(const FileUrl& folder, const QByteArray& sourceName)
{
    const FileUrl source = FileUrl::fromNativePath(QByteArray("/anderswo/") + sourceName);
    return FileSystemCore::uniqueDestination(source, folder).nativeFileName();
}

// Each row's name is taken (the dangling link too) before its free name is asked for.
TEST(UniqueDestination, NumbersBeforeTheLastExtension)
{
    TempFolder folder;
    EXPECT_EQ(freeName(folder.url(), "Bericht.pdf"), QByteArray("Bericht.pdf"));
    folder.write("Bericht 2.pdf");
    ASSERT_EQ(symlink("nirgendwo", folder.file("notiz.txt").nativePath().constData()), 0);
    folder.makeFolder("Fotos");
    const QByteArray name255 = QString(125, u'ä').toUtf8() + "y.txt";
    const QByteArray longExtension = "a." + QByteArray(252, 'e');
    for (const auto& [name, expected] :
         {std::pair{QByteArray("Bericht.pdf"), QByteArray("Bericht 3.pdf")}, {"Fotos", "Fotos 2"},
          {"archiv.tar.gz", "archiv.tar 2.gz"}, {".env", ".env 2"}, {"notiz.txt", "notiz 2.txt"},
          {"caf\xe9.txt", "caf\xe9 2.txt"},
          // Names of the full length lose the end of their base at a character boundary.
          {name255, QString(124, u'ä').toUtf8() + " 2.txt"},
          // An extension too long to keep counts as part of the name.
          {longExtension, longExtension.left(253) + " 2"}}) {
        if (name != "notiz.txt" && name != "Fotos")
            folder.write(name);
        EXPECT_EQ(freeName(folder.url(), name), expected) << name.constData();
    }
    EXPECT_EQ(freeName(folder.url(), "caf\xe8.txt"), QByteArray("caf\xe8.txt"));
    folder.write(QString(124, u'ä').toUtf8() + " 2.txt");
    EXPECT_EQ(freeName(folder.url(), name255), QString(124, u'ä').toUtf8() + " 3.txt");
}

TEST(UniqueDestination, AFolderThatCannotBeLookedIntoEndsWithTheSystemsError)
{
    TempFolder folder;
    const FileUrl file = folder.write("datei");
    const FileUrl closed = folder.makeFolder("verschlossen");
    ASSERT_EQ(chmod(closed.nativePath().constData(), 0700), 0);
    for (const auto& [where, code] : {std::pair{file, ENOTDIR}, {closed, EACCES}})
        EXPECT_EQ(runUnprivileged([&] {
                      const auto error = LocalFileTest::thrown<SystemError>([&] { freeName(where, "x"); });
                      return error && error->code() == code ? 0 : 1;
                  }),
                  0);
}

} // namespace
