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
    QList<RemoteProfile> list;
    for (int i = 0; i < count; ++i) {
        RemoteProfile profile;
        profile.name = QStringLiteral("Server %1").arg(i);
        profile.host = QStringLiteral("host%1.example.org").arg(i);
        profile.kind = allRemoteProtocolKinds().at(i % 3);
        list.append(profile);
    }
    return list;
}

QString pathIn(const TempFolder& folder, const char* name)
{
    return QString::fromUtf8(folder.path() + '/' + name);
}

QStringList entriesOf(const TempFolder& folder)
{
    return QDir(QString::fromUtf8(folder.path())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(RemoteProfileExport, ReplacingAFileKeepsItsPermissions)
{
    TempFolder folder;
    const QString path = pathIn(folder, "alt.json");
    folder.write("alt.json", "alter Inhalt, viel länger als die neue Liste ........................................");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);

    exportRemoteProfiles({}, path);

    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(decodeRemoteProfiles(contentsOf(path)), QList<RemoteProfile>());
    EXPECT_EQ(entriesOf(folder), QStringList{QStringLiteral("alt.json")});
}

TEST(RemoteProfileExport, FailureThrowsAndLeavesTheOldFileAndNoTemporaryFile)
{
    TempFolder folder;
    const QString missingFolder = pathIn(folder, "fehlt/Brenvik-Verbindungen.json");
    EXPECT_THROW(exportRemoteProfiles(profiles(1), missingFolder), SystemError);

    // A folder where the file should go: the rename fails after the temporary file was written.
    folder.makeFolder("ordner.json");
    folder.write("ordner.json/inhalt", "bleibt");
    try {
        exportRemoteProfiles(profiles(2), pathIn(folder, "ordner.json"));
        ADD_FAILURE() << "exporting onto a folder succeeded";
    } catch (const SystemError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("ordner.json"))) << error.description().toStdString();
    }
    EXPECT_EQ(entriesOf(folder), QStringList{QStringLiteral("ordner.json")});
    EXPECT_EQ(contentsOf(pathIn(folder, "ordner.json/inhalt")), QByteArray("bleibt"));
}

TEST(RemoteProfileImport, ReimportingAnExportGivesCopiesWithFreshIdsAndMarkedNames)
{
    TempFolder folder;
    const QString path = pathIn(folder, remoteProfileExportFileName);
    const QList<RemoteProfile> original = profiles(4);
    exportRemoteProfiles(original, path);

    EXPECT_EQ(entriesOf(folder), QStringList{QString::fromUtf8(remoteProfileExportFileName)}) << "no temporary file";
    const QList<RemoteProfile> imported = readImportedRemoteProfiles(path);
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
    EXPECT_EQ(readImportedRemoteProfiles(pathIn(folder, "500.json")).size(), 500);

    folder.write("501.json", encodeRemoteProfiles(profiles(501), RemoteProfileJsonStyle::compact));
    QFile huge(pathIn(folder, "riesig.json"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(8) << 30)); // sparse: 8 GiB of nothing, never to be read whole
    huge.close();
    QByteArray unknownKind = encodeRemoteProfiles(profiles(3), RemoteProfileJsonStyle::compact);
    folder.write("kaputt.json", unknownKind.replace("\"FTPS\"", "\"SCP\""));
    ASSERT_EQ(::mkfifo((folder.path() + "/fifo.json").constData(), 0600), 0); // reading it would wait for a writer
    using Reason = RemoteProfileFileError::Reason;
    for (const auto& [name, reason] : {std::pair{"501.json", Reason::tooManyProfiles},
                                       std::pair{"riesig.json", Reason::tooManyProfiles},
                                       std::pair{"kaputt.json", Reason::unreadableFormat},
                                       std::pair{"fifo.json", Reason::unreadableFormat}}) {
        try {
            readImportedRemoteProfiles(pathIn(folder, name));
            ADD_FAILURE() << name << " was imported";
        } catch (const RemoteProfileFileError& error) {
            EXPECT_EQ(error.reason(), reason) << name;
        }
    }
    EXPECT_THROW(readImportedRemoteProfiles(pathIn(folder, "fehlt.json")), SystemError);
}
