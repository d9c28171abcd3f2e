#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

// The OpenSSH tool that reads a server's host keys (tests substitute their own).
struct HostKeyTools {
    QByteArray keyscan = "/usr/bin/ssh-keyscan";
};

struct ScannedHostKey {
    QString line;        // as in a known-hosts file
    QString fingerprint; // "SHA256:…"
};

// Reads a server's host keys with ssh-keyscan, key type after key type
// (ed25519, ecdsa, rsa), and fingerprints each.
namespace HostKeyScanner {

// The whole scan ends within this time, however many key types it tries: a host
// that never answers costs 8 seconds, not 8 per key type.
inline constexpr std::chrono::seconds limit{8};

// Stops at the first key whose fingerprint equals `expected` (without one: at
// the first key) and returns everything found up to it; otherwise every key
// found, none of them the expected one. Throws SFTPTransportError::timeout
// when the limit passes, ::unavailable when no key could be read at all,
// ::command for a host the tools would misread, ProcessStartError when a tool
// cannot be started.
QList<ScannedHostKey> scan(const QString& host, qint64 port, const std::optional<QString>& expected,
                           const HostKeyTools& tools = {});

// The fingerprint of the server's first key, for the user to confirm; its line
// goes into the HostKeyLineCache, so that connecting with that fingerprint
// right afterwards needs no second scan. Blocks; errors as for scan(), and
// SFTPTransportError::noServerKey when nothing had a fingerprint.
QStringList fetchFingerprints(const QString& host, qint64 port, const HostKeyTools& tools = {});

struct PinnedLine {
    QString line;
    bool remembered = false; // from the HostKeyLineCache rather than a scan just now
};

// The known-hosts line of the pinned key: from the cache, else from a scan that
// stops at that key; kept in the cache for later runs. Throws
// SFTPTransportError::hostKeyMismatch listing every fingerprint offered when
// the server has no such key, and scan()'s errors.
PinnedLine verifiedLine(const QString& host, qint64 port, const QString& expected, const HostKeyTools& tools = {});

// After a connection with a remembered line failed: scans again, and when the
// server no longer offers the pinned key forgets the line and throws
// hostKeyMismatch, so that a changed key is named as such. Returns when the key
// is still offered or the scan itself fails: then the connection's own error
// tells more.
void recheck(const QString& host, qint64 port, const QString& expected, const HostKeyTools& tools = {});

} // namespace HostKeyScanner
