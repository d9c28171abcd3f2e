#pragma once

#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

// The three protocols, in the order of the protocol pop-up.
enum class RemoteProtocolKind { sftp, ftps, ftp };

// Display text and JSON value: "SFTP", "FTPS", "FTP (unverschlüsselt)".
QString rawValue(RemoteProtocolKind kind);
// Exact, case-sensitive; any other text yields nothing.
std::optional<RemoteProtocolKind> remoteProtocolKindFromRawValue(const QString& text);
qint64 defaultPort(RemoteProtocolKind kind);
const QList<RemoteProtocolKind>& allRemoteProtocolKinds();

// A saved connection. Passwords and passphrases are never part of it: they live
// in the credential store under the profile's id.
struct RemoteProfile {
    QUuid id = QUuid::createUuid();
    QString name;
    RemoteProtocolKind kind = RemoteProtocolKind::sftp;
    QString host;        // server name or address, no scheme
    qint64 port = 22;
    QString username;    // may be empty
    QString initialPath = QStringLiteral("/");
    qint64 timeout = 30;     // seconds one unanswered network action may wait
    qint64 keepAlive = 600;  // seconds between keep-alive signals on an idle SFTP connection
    bool passiveFTP = true;
    QString expectedHostKey;             // "SHA256:…" as ssh-keygen prints it; empty when none is pinned
    std::optional<QString> identityFile; // absolute path of a private SSH key (SFTP only)

    friend bool operator==(const RemoteProfile&, const RemoteProfile&) = default;
};

// The canonical textual form of a profile id: 36 characters, upper-case
// hexadecimal with hyphens, no braces. Also the keychain account.
QString canonicalUuidText(const QUuid& id);
// Accepts exactly the canonical form (hexadecimal digits of either case).
std::optional<QUuid> parseCanonicalUuid(const QString& text);
