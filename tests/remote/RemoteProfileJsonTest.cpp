#include "remote/RemoteProfileJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

RemoteProfile sampleProfile()
{
    RemoteProfile profile;
    profile.id = QUuid::fromString(QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301"));
    profile.name = QStringLiteral(" Büro \"Nord\" ");
    profile.kind = RemoteProtocolKind::ftps;
    profile.host = QStringLiteral("ftp.example.org");
    profile.port = 990;
    profile.username = QStringLiteral("anna\\müller");
    profile.initialPath = QStringLiteral("/srv/Daten");
    profile.timeout = 1;
    profile.keepAlive = 0;
    profile.passiveFTP = false;
    profile.expectedHostKey = QStringLiteral("SHA256:abc+/=");
    profile.identityFile = QStringLiteral("/home/anna/.ssh/id_ed25519");
    return profile;
}

QJsonObject sampleObject()
{
    return QJsonDocument::fromJson(encodeRemoteProfiles({sampleProfile()}, RemoteProfileJsonStyle::compact))
        .array()
        .first()
        .toObject();
}

std::optional<QList<RemoteProfile>> decodeObject(const QJsonObject& object)
{
    return decodeRemoteProfiles(QJsonDocument(QJsonArray{object}).toJson());
}

} // namespace

TEST(RemoteProfile, CanonicalUuidTextIsUpperCaseAndParsingAcceptsOnlyThatShape)
{
    const QUuid id = QUuid::fromString(QStringLiteral("{3f2504e0-4f89-41d3-9a0c-0305e82c3301}"));
    EXPECT_EQ(canonicalUuidText(id), QStringLiteral("3F2504E0-4F89-41D3-9A0C-0305E82C3301"));
    EXPECT_EQ(parseCanonicalUuid(QStringLiteral("3F2504E0-4F89-41D3-9A0C-0305E82C3301")), id);
    EXPECT_EQ(parseCanonicalUuid(QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301")), id);
    EXPECT_EQ(parseCanonicalUuid(QStringLiteral("00000000-0000-0000-0000-000000000000")), QUuid());
    for (const char* text : {"{3F2504E0-4F89-41D3-9A0C-0305E82C3301}", "3F2504E04F8941D39A0C0305E82C3301",
                             "3F2504E0-4F89-41D3-9A0C-0305E82C3301\n", " 3F2504E0-4F89-41D3-9A0C-0305E82C3301",
                             "3F2504E0-4F89-41D3-9A0C-0305E82C330G", "3F2504E0-4F89-41D3-9A0C-0305E82C33011", ""})
        EXPECT_EQ(parseCanonicalUuid(QString::fromUtf8(text)), std::nullopt) << text;
}

TEST(RemoteProfileJson, RoundTripKeepsEveryFieldWithAndWithoutKeyFile)
{
    RemoteProfile withoutKey;
    withoutKey.name = QStringLiteral("Zweiter");
    withoutKey.kind = RemoteProtocolKind::ftp;
    withoutKey.port = -3; // stored profiles are not re-validated
    const QList<RemoteProfile> profiles{sampleProfile(), withoutKey, RemoteProfile()};
    for (const auto style : {RemoteProfileJsonStyle::compact, RemoteProfileJsonStyle::pretty})
        EXPECT_EQ(decodeRemoteProfiles(encodeRemoteProfiles(profiles, style)), profiles);
    EXPECT_EQ(decodeRemoteProfiles(encodeRemoteProfiles({}, RemoteProfileJsonStyle::compact)),
              QList<RemoteProfile>());
}

TEST(RemoteProfileJson, ObjectsHoldExactlyTheTabledKeysPrettyFormInAlphabeticalOrder)
{
    const QByteArray pretty = encodeRemoteProfiles({sampleProfile()}, RemoteProfileJsonStyle::pretty);
    EXPECT_TRUE(pretty.contains('\n'));
    const QStringList keys{"expectedHostKey", "host", "id",         "identityFile", "initialPath", "keepAlive",
                           "kind",            "name", "passiveFTP", "port",         "timeout",     "username"};
    EXPECT_EQ(QJsonDocument::fromJson(pretty).array().first().toObject().keys(), keys);
    RemoteProfile noKey = sampleProfile();
    noKey.identityFile.reset();
    const QByteArray compact = encodeRemoteProfiles({noKey}, RemoteProfileJsonStyle::compact);
    EXPECT_FALSE(compact.contains("identityFile")) << compact.toStdString();
    EXPECT_TRUE(compact.contains("\"port\":990,")) << compact.toStdString();
}

TEST(RemoteProfileJson, AnyMissingRequiredKeySpoilsTheWholeList)
{
    for (const char* key : {"id", "name", "kind", "host", "port", "username", "initialPath", "timeout", "keepAlive",
                            "passiveFTP", "expectedHostKey"}) {
        QJsonObject object = sampleObject();
        object.remove(QLatin1String(key));
        const QJsonArray array{sampleObject(), object};
        EXPECT_EQ(decodeRemoteProfiles(QJsonDocument(array).toJson()), std::nullopt) << key;
    }
}

TEST(RemoteProfileJson, WrongTypesAndUnknownValuesSpoilTheList)
{
    const QList<std::pair<const char*, QJsonValue>> wrong{
        {"id", 42},
        {"id", QStringLiteral("{3F2504E0-4F89-41D3-9A0C-0305E82C3301}")},
        {"name", QJsonValue::Null},
        {"kind", QStringLiteral("sftp")},
        {"kind", QStringLiteral("SCP")},
        {"host", true},
        {"port", QStringLiteral("22")},
        {"port", 22.5},
        {"port", 1e300},
        {"username", QJsonArray{}},
        {"initialPath", QJsonObject{}},
        {"timeout", QStringLiteral("30")},
        {"keepAlive", false},
        {"passiveFTP", 1},
        {"passiveFTP", QStringLiteral("true")},
        {"expectedHostKey", QJsonValue::Null},
        {"identityFile", 7},
    };
    for (const auto& [key, value] : wrong) {
        QJsonObject object = sampleObject();
        object.insert(QLatin1String(key), value);
        EXPECT_EQ(decodeObject(object), std::nullopt) << key << " = " << QJsonDocument(QJsonArray{value}).toJson().toStdString();
    }
    for (const char* text : {"", "{}", "{\"id\":1}", "[1]", "[[]]", "[{}]", "[", "nicht json"})
        EXPECT_EQ(decodeRemoteProfiles(QByteArray(text)), std::nullopt) << text;
}

TEST(RemoteProfileJson, ToleratesUnknownKeysLowerCaseIdsWholeDoublesAndNullKeyFile)
{
    QJsonObject object = sampleObject();
    object.insert(QStringLiteral("password"), QStringLiteral("wird ignoriert"));
    object.insert(QStringLiteral("future"), QJsonObject{{QStringLiteral("x"), 1}});
    object.insert(QStringLiteral("id"), QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301"));
    object.insert(QStringLiteral("port"), 990.0);
    object.insert(QStringLiteral("identityFile"), QJsonValue::Null);

    RemoteProfile expected = sampleProfile();
    expected.identityFile.reset();
    EXPECT_EQ(decodeObject(object), QList<RemoteProfile>{expected});

    QJsonObject bigNumbers = sampleObject();
    bigNumbers.insert(QStringLiteral("timeout"), QJsonValue(qint64(1) << 53));
    ASSERT_TRUE(decodeObject(bigNumbers).has_value());
    EXPECT_EQ(decodeObject(bigNumbers)->first().timeout, qint64(1) << 53);
}
