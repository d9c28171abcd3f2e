#include "remote/HostKeyScanner.h"

#include "core/TextLines.h"
#include "platform/ChildProcess.h"
#include "remote/HostKeyLineCache.h"
#include "remote/KnownHostLine.h"
#include "remote/SftpCommand.h"
#include "remote/SftpTransportError.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* keyTypes[] = {"ed25519", "ecdsa", "rsa"};

QStringList fingerprintsOf(const QList<ScannedHostKey>& keys)
{
    QStringList fingerprints;
    for (const ScannedHostKey& key : keys)
        fingerprints.append(key.fingerprint);
    return fingerprints;
}

} // namespace

namespace HostKeyScanner {

QList<ScannedHostKey> scan(const QString& host, qint64 port, const std::optional<QString>& expected,
                           const HostKeyTools& tools)
{
    if (!SftpCommand::isUsableHost(host))
        throw SFTPTransportError::command(QStringLiteral("Der Servername ist ungültig."));
    const Clock::time_point deadline = Clock::now() + limit;
    QList<ScannedHostKey> found;
    for (const char* type : keyTypes) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            throw SFTPTransportError::timeout(host, port);
        ChildProcess keyscan(tools.keyscan, {"-T", "4", "-t", type, "-p", QByteArray::number(port), host.toUtf8()});
        const ChildProcessResult result = keyscan.runToCompletion({}, left);
        if (result.timedOut)
            throw SFTPTransportError::timeout(host, port);
        // No key of this type, or no answer within ssh-keyscan's own limit.
        if (result.exitStatus != 0)
            continue;
        for (const QString& line : splitNonEmptyLines(QString::fromUtf8(result.standardOutput))) {
            const std::optional<KnownHostLine> key = KnownHostLine::parse(line);
            if (!key)
                continue;
            found.append({key->text(), key->fingerprint()});
            if (!expected || found.last().fingerprint == *expected)
                return found;
        }
    }
    if (found.isEmpty())
        throw SFTPTransportError::unavailable(host, port);
    return found;
}

QStringList fetchFingerprints(const QString& host, qint64 port, const HostKeyTools& tools)
{
    const QList<ScannedHostKey> keys = scan(host, port, std::nullopt, tools);
    if (keys.isEmpty())
        throw SFTPTransportError::noServerKey();
    HostKeyLineCache::shared().remember(host, port, keys.first().fingerprint, keys.first().line);
    return {keys.first().fingerprint};
}

PinnedLine verifiedLine(const QString& host, qint64 port, const QString& expected, const HostKeyTools& tools)
{
    HostKeyLineCache& cache = HostKeyLineCache::shared();
    PinnedLine pinned;
    if (const std::optional<QString> cached = cache.line(host, port, expected)) {
        pinned = {*cached, true};
    } else {
        const QList<ScannedHostKey> keys = scan(host, port, expected, tools);
        if (keys.last().fingerprint != expected)
            throw SFTPTransportError::hostKeyMismatch(expected, fingerprintsOf(keys));
        pinned = {keys.last().line, false};
    }
    cache.keep(host, port, expected, pinned.line);
    return pinned;
}

void recheck(const QString& host, qint64 port, const QString& expected, const HostKeyTools& tools)
{
    QList<ScannedHostKey> keys;
    try {
        keys = scan(host, port, expected, tools);
    } catch (const BrenvikError&) {
        return;
    }
    if (keys.last().fingerprint == expected)
        return;
    HostKeyLineCache::shared().forget(host, port, expected);
    throw SFTPTransportError::hostKeyMismatch(expected, fingerprintsOf(keys));
}

} // namespace HostKeyScanner
