#include "preferences/SettingsFile.h"
#include "remote/RemoteProfileJson.h"
#include "remote/RemoteProfileStore.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(RemoteProfileStore, WrittenListSurvivesTheSettingsFileAnUndecodableValueReadsAsEmpty)
{
    const RemoteProfileStore& store = RemoteProfileStore::shared();
    RemoteProfile profile;
    profile.name = QStringLiteral("Eins ü");
    profile.host = QStringLiteral("host, mit; Sonderzeichen = \"x\"");
    const QList<RemoteProfile> written{profile, RemoteProfile()};
    store.setProfiles(written);
    // Read the file as the next start of the program would (QSettings caches
    // parsed files by name, so use a copy).
    const QString copy = brenvikSettings().fileName() + QStringLiteral(".copy");
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(brenvikSettings().fileName(), copy));
    EXPECT_EQ(decodeRemoteProfiles(QSettings(copy, QSettings::IniFormat).value(store.key()).toString().toUtf8()),
              written);

    QString stored = brenvikSettings().value(store.key()).toString();
    for (const QVariant& odd : {QVariant(stored.replace(QStringLiteral("\"SFTP\""), QStringLiteral("\"SCP\""))),
                                QVariant(QStringList{"[]", "[]"}), QVariant(42)}) {
        brenvikSettings().setValue(store.key(), odd);
        EXPECT_TRUE(store.profiles().isEmpty()) << odd.toString().toStdString();
    }
    store.setProfiles({profile});
    EXPECT_EQ(store.profiles(), QList<RemoteProfile>{profile});
    brenvikSettings().remove(store.key());
}

} // namespace
