#include "remote/RemoteProfile.h"

#include <QRegularExpression>

QString rawValue(RemoteProtocolKind kind)
{
    switch (kind) {
    case RemoteProtocolKind::sftp:
        return QStringLiteral("SFTP");
    case RemoteProtocolKind::ftps:
        return QStringLiteral("FTPS");
    case RemoteProtocolKind::ftp:
        return QStringLiteral("FTP (unverschlüsselt)");
    }
    return {};
}

std::optional<RemoteProtocolKind> remoteProtocolKindFromRawValue(const QString& text)
{
    for (const RemoteProtocolKind kind : allRemoteProtocolKinds()) {
        if (rawValue(kind) == text)
            return kind;
    }
    return std::nullopt;
}

qint64 defaultPort(RemoteProtocolKind kind)
{
    return kind == RemoteProtocolKind::sftp ? 22 : 21;
}

const QList<RemoteProtocolKind>& allRemoteProtocolKinds()
{
    static const QList<RemoteProtocolKind> kinds{RemoteProtocolKind::sftp, RemoteProtocolKind::ftps,
                                                 RemoteProtocolKind::ftp};
    return kinds;
}

QString canonicalUuidText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> parseCanonicalUuid(const QString& text)
{
    static const QRegularExpression canonical(QStringLiteral(
        "\\A[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\z"));
    if (!canonical.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}
