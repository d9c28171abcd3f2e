#include "core/SystemError.h"
#include "remote/RemoteProfileFile.h"
#include "remote/RemoteProfileJson.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QList<RemoteProfile> profiles(int count)
{
    QList<RemoteProfile> list(count);
    for (int i = 0; i < count; ++i) {
        list[i].name = QStringLiteral("Server %1").arg(i);
        list[i].kind = allRemoteProtocolKinds().at(i % 3);
    }
    return list;
}

QStringList entriesOf(const TempFolder& folder)
{
    return QDir(folder.url().path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(RemoteProfileExport, ReplacesAFileWholeKeepingItsPermissionsOrLeavesItAsItWas)
{
    TempFolder folder;
    const FileUrl old = folder.write("alt.json", "alter Inhalt, viel länger als die neue Liste ......................");
    ASSERT_EQ(::chmod(old.nativePath().constData(), 0640), 0);
    exportRemoteProfiles({}, old.path());
    struct stat status {};
    ASSERT_EQ(::stat(old.nativePath().constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    QFile written(old.path());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(decodeRemoteProfiles(written.readAll()), QList<RemoteProfile>());

    EXPECT_THROW(exportRemoteProfiles(profiles(1), folder.file("fehlt/x.json").path()), SystemError);
    // A folder where the file should go: the rename fails after the temporary file was written.
    folder.write("ordner.json/inhalt", "bleibt");
    EXPECT_THROW(exportRemoteProfiles(profiles(2), folder.file("ordner.json").path()), SystemError);
    EXPECT_EQ(entriesOf(folder), (QStringList{QStringLiteral("alt.json"), QStringLiteral("ordner.json")}));
    EXPECT_EQ(QDir(folder.file("ordner.json").path()).entryList(QDir::Files), QStringList{QStringLiteral("inhalt")});
}

TEST(RemoteProfileImport, ReimportingAnExportGivesCopiesWithFreshIdsAndMarkedNames)
{
    TempFolder folder;
    const QList<RemoteProfile> original = profiles(4);
    exportRemoteProfiles(original, folder.file("export.json").path());
    const QList<RemoteProfile> imported = readImportedRemoteProfiles(folder.file("export.json").path());
    ASSERT_EQ(imported.size(), original.size());
    for (qsizetype i = 0; i < imported.size(); ++i) {
        EXPECT_EQ(imported[i].name, original[i].name + QStringLiteral(" (importiert)"));
        RemoteProfile sameButIdAndName = imported[i];
        sameButIdAndName.id = original[i].id;
        sameButIdAndName.name = original[i].name;
        EXPECT_EQ(sameButIdAndName, original[i]);
        for (const RemoteProfile& other : original + imported.mid(0, i))
            EXPECT_NE(imported[i].id, other.id) << "an import never overwrites a profile";
    }
}

TEST(RemoteProfileImport, TooManyProfilesAndHugeOrUnknownContentImportNothing)
{
    TempFolder folder;
    folder.write("500.json", encodeRemoteProfiles(profiles(500), RemoteProfileJsonStyle::pretty));
    EXPECT_EQ(readImportedRemoteProfiles(folder.file("500.json").path()).size(), 500);

    folder.write("501.json", encodeRemoteProfiles(profiles(501), RemoteProfileJsonStyle::compact));
    QFile huge(folder.file("riesig.json").path());
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(8) << 30)); // sparse: 8 GiB of nothing, never to be read whole
    huge.close();
    folder.write("kaputt.json", encodeRemoteProfiles(profiles(3), RemoteProfileJsonStyle::compact).replace("\"FTPS\"", "\"SCP\""));
    ASSERT_EQ(::mkfifo(folder.file("fifo.json").nativePath().constData(), 0600), 0); // reading it would wait for a writer
    using Reason = RemoteProfileFileError::Reason;
    for (const auto& [name, reason] : {std::pair{"501.json", Reason::tooManyProfiles},
                                       std::pair{"riesig.json", Reason::tooManyProfiles},
                                       std::pair{"kaputt.json", Reason::unreadableFormat},
                                       std::pair{"fifo.json", Reason::unreadableFormat}}) {
        try {
            readImportedRemoteProfiles(folder.file(name).path());
            ADD_FAILURE() << name << " was imported";
        } catch (const RemoteProfileFileError& error) {
            EXPECT_EQ(error.reason(), reason) << name;
        }
    }
    EXPECT_THROW(readImportedRemoteProfiles(folder.file("fehlt.json").path()), SystemError);
}

} // namespace
