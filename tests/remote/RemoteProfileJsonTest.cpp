#include "preferences/SettingsFile.h"
#include "remote/RemoteProfileJson.h"
#include "remote/RemoteProfileStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

RemoteProfile sampleProfile()
{
    RemoteProfile profile;
    profile.name = " Büro \"Nord\" ";
    profile.kind = RemoteProtocolKind::ftps;
    profile.host = "ftp.example.org";
    profile.port = 990;
    profile.username = "anna\\müller";
    profile.initialPath = "/srv/Daten";
    profile.timeout = 1;
    profile.keepAlive = 0;
    profile.passiveFTP = false;
    profile.expectedHostKey = "SHA256:abc+/=";
    profile.identityFile = "/home/anna/.ssh/id_ed25519";
    return profile;
}

QJsonObject sampleObject()
{
    return QJsonDocument::fromJson(encodeRemoteProfiles({sampleProfile()}, RemoteProfileJsonStyle::compact))[0].toObject();
}

// A list of a good profile and `object`.
std::optional<QList<RemoteProfile>> decodeWith(const QJsonObject& object)
{
    return decodeRemoteProfiles(QJsonDocument(QJsonArray{sampleObject(), object}).toJson());
}

TEST(RemoteProfile, CanonicalUuidTextIsUpperCaseAndParsingAcceptsOnlyThatShape)
{
    const QUuid id = QUuid::fromString(QStringLiteral("{3f2504e0-4f89-41d3-9a0c-0305e82c3301}"));
    EXPECT_EQ(canonicalUuidText(id), QStringLiteral("3F2504E0-4F89-41D3-9A0C-0305E82C3301"));
    EXPECT_EQ(parseCanonicalUuid("3f2504e0-4f89-41d3-9a0c-0305e82c3301"), id);
    for (const char* text : {"{3F2504E0-4F89-41D3-9A0C-0305E82C3301}", "3F2504E04F8941D39A0C0305E82C3301",
                             " 3F2504E0-4F89-41D3-9A0C-0305E82C3301", "3F2504E0-4F89-41D3-9A0C-0305E82C330G"})
        EXPECT_EQ(parseCanonicalUuid(text), std::nullopt) << text;
}

TEST(RemoteProfileJson, RoundTripKeepsEveryFieldUnknownKeysAndWholeDoublesAreTolerated)
{
    RemoteProfile withoutKey;
    withoutKey.port = -3; // stored profiles are not re-validated
    const QList<RemoteProfile> profiles{sampleProfile(), withoutKey};
    for (const auto style : {RemoteProfileJsonStyle::compact, RemoteProfileJsonStyle::pretty})
        EXPECT_EQ(decodeRemoteProfiles(encodeRemoteProfiles(profiles, style)), profiles);

    // What a later version may write.
    QJsonObject object = sampleObject();
    object.insert("future", QJsonObject{{"x", 1}});
    object.insert("port", 990.0);
    object.insert("identityFile", QJsonValue::Null);
    const std::optional<QList<RemoteProfile>> decoded = decodeWith(object);
    ASSERT_TRUE(decoded && decoded->size() == 2);
    EXPECT_EQ(decoded->at(1).port, 990);
    EXPECT_EQ(decoded->at(1).identityFile, std::nullopt);
}

TEST(RemoteProfileJson, AMissingKeyWrongTypeOrUnknownValueSpoilsTheWholeList)
{
    for (const char* key : {"id", "name", "kind", "host", "port", "username", "initialPath", "timeout", "keepAlive",
                            "passiveFTP", "expectedHostKey"}) {
        QJsonObject object = sampleObject();
        object.remove(key);
        EXPECT_EQ(decodeWith(object), std::nullopt) << key;
    }
    for (const auto& [key, value] : QList<std::pair<const char*, QJsonValue>>{
             {"id", "{3F2504E0-4F89-41D3-9A0C-0305E82C3301}"}, {"name", QJsonValue::Null}, {"kind", "sftp"},
             {"port", "22"}, {"port", 22.5}, {"port", 1e300}, {"passiveFTP", 1}, {"identityFile", 7}}) {
        QJsonObject object = sampleObject();
        object.insert(key, value);
        EXPECT_EQ(decodeWith(object), std::nullopt) << key;
    }
    for (const char* text : {"", "{}", "[1]", "[{}]", "nicht json"})
        EXPECT_EQ(decodeRemoteProfiles(text), std::nullopt) << text;
}

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
