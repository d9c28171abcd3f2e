#include "remote/RemoteProfileJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonObject encode(const RemoteProfile& profile)
{
    QJsonObject object{
        {QStringLiteral("id"), canonicalUuidText(profile.id)},
        {QStringLiteral("name"), profile.name},
        {QStringLiteral("kind"), rawValue(profile.kind)},
        {QStringLiteral("host"), profile.host},
        {QStringLiteral("port"), profile.port},
        {QStringLiteral("username"), profile.username},
        {QStringLiteral("initialPath"), profile.initialPath},
        {QStringLiteral("timeout"), profile.timeout},
        {QStringLiteral("keepAlive"), profile.keepAlive},
        {QStringLiteral("passiveFTP"), profile.passiveFTP},
        {QStringLiteral("expectedHostKey"), profile.expectedHostKey},
    };
    if (profile.identityFile)
        object.insert(QStringLiteral("identityFile"), *profile.identityFile);
    return object;
}

// Reads the typed values of one object; the first failure marks it unreadable.
class ObjectReader {
public:
    explicit ObjectReader(const QJsonObject& object) : m_object(object) {}

    bool ok() const { return m_ok; }

    QString string(const char* key)
    {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (!value.isString())
            m_ok = false;
        return value.toString();
    }

    qint64 integer(const char* key)
    {
        const QJsonValue value = m_object.value(QLatin1String(key));
        // toInteger falls back to its default for fractions and out-of-range
        // numbers, so two different defaults reveal those.
        const qint64 number = value.toInteger(0);
        if (!value.isDouble() || number != value.toInteger(1))
            m_ok = false;
        return number;
    }

    bool boolean(const char* key)
    {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (!value.isBool())
            m_ok = false;
        return value.toBool();
    }

    std::optional<QString> optionalString(const char* key)
    {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (value.isUndefined() || value.isNull())
            return std::nullopt;
        return string(key);
    }

    void fail() { m_ok = false; }

private:
    const QJsonObject& m_object;
    bool m_ok = true;
};

std::optional<RemoteProfile> decode(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    ObjectReader reader(object);
    RemoteProfile profile;
    const std::optional<QUuid> id = parseCanonicalUuid(reader.string("id"));
    const std::optional<RemoteProtocolKind> kind = remoteProtocolKindFromRawValue(reader.string("kind"));
    if (!id || !kind)
        reader.fail();
    profile.id = id.value_or(QUuid());
    profile.kind = kind.value_or(RemoteProtocolKind::sftp);
    profile.name = reader.string("name");
    profile.host = reader.string("host");
    profile.port = reader.integer("port");
    profile.username = reader.string("username");
    profile.initialPath = reader.string("initialPath");
    profile.timeout = reader.integer("timeout");
    profile.keepAlive = reader.integer("keepAlive");
    profile.passiveFTP = reader.boolean("passiveFTP");
    profile.expectedHostKey = reader.string("expectedHostKey");
    profile.identityFile = reader.optionalString("identityFile");
    if (!reader.ok())
        return std::nullopt;
    return profile;
}

} // namespace

QByteArray encodeRemoteProfiles(const QList<RemoteProfile>& profiles, RemoteProfileJsonStyle style)
{
    QJsonArray array;
    for (const RemoteProfile& profile : profiles)
        array.append(encode(profile));
    // QJsonObject keeps its keys sorted, so both styles list them alphabetically.
    return QJsonDocument(array).toJson(style == RemoteProfileJsonStyle::pretty ? QJsonDocument::Indented
                                                                               : QJsonDocument::Compact);
}

std::optional<QList<RemoteProfile>> decodeRemoteProfiles(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<RemoteProfile> profiles;
    for (const QJsonValue& value : document.array()) {
        std::optional<RemoteProfile> profile = decode(value);
        if (!profile)
            return std::nullopt;
        profiles.append(std::move(*profile));
    }
    return profiles;
}
