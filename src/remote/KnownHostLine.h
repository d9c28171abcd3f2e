#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// One line of a known-hosts file as ssh-keyscan prints it: the host field
// ("name" on port 22, "[name]:port" otherwise), the key type and the key. Read
// and fingerprinted here rather than by ssh-keygen, which would cost a process
// per key.
struct KnownHostLine {
    QString hostField;
    QString keyType;
    QByteArray key; // the decoded key blob

    // Nothing for a line that is not exactly those three fields, or whose key is
    // no well-formed blob of the named type.
    static std::optional<KnownHostLine> parse(QStringView line);
    static QString hostFieldFor(const QString& host, qint64 port);

    QString text() const;
    // "SHA256:" and the unpadded Base64 of the key's SHA-256, as ssh prints it.
    QString fingerprint() const;
    bool isFor(const QString& host, qint64 port) const;
};
