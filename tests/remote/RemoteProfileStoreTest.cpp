#include "preferences/SettingsFile.h"
#include "remote/RemoteProfileJson.h"
#include "remote/RemoteProfileStore.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

class RemoteProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override { brenvikSettings().remove(store.key()); }
    void TearDown() override { brenvikSettings().remove(store.key()); }

    const RemoteProfileStore& store = RemoteProfileStore::shared();
};

RemoteProfile profileNamed(const QString& name, RemoteProtocolKind kind)
{
    RemoteProfile profile;
    profile.name = name;
    profile.kind = kind;
    profile.host = QStringLiteral("host, mit; Sonderzeichen = \"x\"");
    return profile;
}

} // namespace

TEST_F(RemoteProfileStoreTest, WrittenListSurvivesTheSettingsFile)
{
    const QList<RemoteProfile> written{profileNamed(QStringLiteral("Eins ü"), RemoteProtocolKind::ftp),
                                       profileNamed(QStringLiteral("Zwei"), RemoteProtocolKind::sftp)};
    store.setProfiles(written);
    // Read the file as the next start of the program would (QSettings caches
    // parsed files by name, so use a copy).
    const QString copy = brenvikSettings().fileName() + QStringLiteral(".copy");
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(brenvikSettings().fileName(), copy));
    const QSettings reread(copy, QSettings::IniFormat);
    EXPECT_EQ(decodeRemoteProfiles(reread.value(store.key()).toString().toUtf8()), written);
}

TEST_F(RemoteProfileStoreTest, UndecodableValueReadsAsEmptyAndTheNextWriteReplacesIt)
{
    store.setProfiles({profileNamed(QStringLiteral("Alt"), RemoteProtocolKind::sftp)});
    QString stored = brenvikSettings().value(store.key()).toString();
    brenvikSettings().setValue(store.key(), stored.replace(QStringLiteral("\"SFTP\""), QStringLiteral("\"SCP\"")));
    EXPECT_TRUE(store.profiles().isEmpty());

    for (const QVariant& odd : {QVariant(QStringList{"[]", "[]"}), QVariant(42)}) {
        brenvikSettings().setValue(store.key(), odd);
        EXPECT_TRUE(store.profiles().isEmpty()) << odd.toString().toStdString();
    }

    const QList<RemoteProfile> fresh{profileNamed(QStringLiteral("Neu"), RemoteProtocolKind::ftp)};
    store.setProfiles(fresh);
    EXPECT_EQ(store.profiles(), fresh);
}
