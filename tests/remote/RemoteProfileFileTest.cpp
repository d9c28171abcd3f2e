#include "core/SystemError.h"
#include "remote/RemoteProfileFile.h"
#include "remote/RemoteProfileJson.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
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
    QSet<QUuid> ids;
    for (const RemoteProfile& profile : original)
        ids.insert(profile.id);
    for (qsizetype i = 0; i < imported.size(); ++i) {
        EXPECT_FALSE(ids.contains(imported[i].id));
        ids.insert(imported[i].id);
        EXPECT_EQ(imported[i].name, original[i].name + QStringLiteral(" (importiert)"));
        RemoteProfile sameButIdAndName = imported[i];
        sameButIdAndName.id = original[i].id;
        sameButIdAndName.name = original[i].name;
        EXPECT_EQ(sameButIdAndName, original[i]);
    }
    EXPECT_EQ(ids.size(), 2 * original.size());
}

TEST(RemoteProfileImport, AcceptsFiveHundredProfilesAndRefusesFiveHundredAndOne)
{
    TempFolder folder;
    const QString fiveHundred = pathIn(folder, "500.json");
    const QString fiveHundredOne = pathIn(folder, "501.json");
    folder.write("500.json", encodeRemoteProfiles(profiles(500), RemoteProfileJsonStyle::pretty));
    folder.write("501.json", encodeRemoteProfiles(profiles(501), RemoteProfileJsonStyle::compact));

    EXPECT_EQ(readImportedRemoteProfiles(fiveHundred).size(), 500);
    try {
        readImportedRemoteProfiles(fiveHundredOne);
        ADD_FAILURE() << "501 profiles were imported";
    } catch (const RemoteProfileFileError& error) {
        EXPECT_EQ(error.reason(), RemoteProfileFileError::Reason::tooManyProfiles);
    }
}

TEST(RemoteProfileImport, UnreadableFilesImportNothing)
{
    TempFolder folder;
    folder.write("leer.json", "[]");
    EXPECT_TRUE(readImportedRemoteProfiles(pathIn(folder, "leer.json")).isEmpty());

    QJsonArray array = QJsonDocument::fromJson(encodeRemoteProfiles(profiles(3), RemoteProfileJsonStyle::compact)).array();
    QJsonObject last = array.last().toObject();
    last.insert(QStringLiteral("kind"), QStringLiteral("SCP"));
    array.replace(2, last);
    folder.write("kaputt.json", QJsonDocument(array).toJson());
    try {
        readImportedRemoteProfiles(pathIn(folder, "kaputt.json"));
        ADD_FAILURE() << "a list with an unknown kind was imported";
    } catch (const RemoteProfileFileError& error) {
        EXPECT_EQ(error.reason(), RemoteProfileFileError::Reason::unreadableFormat);
    }

    EXPECT_THROW(readImportedRemoteProfiles(pathIn(folder, "fehlt.json")), SystemError);
    folder.makeFolder("ordner.json");
    EXPECT_THROW(readImportedRemoteProfiles(pathIn(folder, "ordner.json")), SystemError);
}

TEST(RemoteProfileImport, HugeFileIsRefusedWithoutReadingItAll)
{
    TempFolder folder;
    const QString path = pathIn(folder, "riesig.json");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(8) << 30)); // sparse: 8 GiB of nothing
    }
    try {
        readImportedRemoteProfiles(path);
        ADD_FAILURE() << "an 8 GiB file was accepted";
    } catch (const RemoteProfileFileError& error) {
        EXPECT_EQ(error.reason(), RemoteProfileFileError::Reason::tooManyProfiles);
    }
}
