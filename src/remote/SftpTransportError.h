#pragma once

#include "core/BrenvikError.h"

#include <QStringList>

// The errors of the OpenSSH transport and of the host-key scan.
class SFTPTransportError : public BrenvikError {
public:
    enum class Kind { hostKeyMismatch, unavailable, timeout, command, missingHostKey, noServerKey };

    // The server offered keys, none of them the pinned one.
    static SFTPTransportError hostKeyMismatch(const QString& expected, const QStringList& offered);
    // No host key could be read at all.
    static SFTPTransportError unavailable(const QString& host, qint64 port);
    // Every time-out of the transport: key scan, log-in and command alike.
    static SFTPTransportError timeout(const QString& host, qint64 port);
    static SFTPTransportError command(const QString& message);
    // The profile pins no "SHA256:" fingerprint.
    static SFTPTransportError missingHostKey();
    static SFTPTransportError noServerKey();

    Kind kind() const noexcept { return m_kind; }

private:
    SFTPTransportError(Kind kind, const QString& description);
    Kind m_kind;
};
