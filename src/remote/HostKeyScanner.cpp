#include "remote/HostKeyScanner.h"

#include "core/TextLines.h"
#include "platform/ChildProcess.h"
#include "remote/HostKeyLineCache.h"
#include "remote/SftpCommand.h"
#include "remote/SftpTransportError.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* keyTypes[] = {"ed25519", "ecdsa", "rsa"};

// ssh-keygen's "256 SHA256:… host (ED25519)"; nothing for a line it rejects.
std::optional<QString> fingerprintOf(const QString& line, const HostKeyTools& tools)
{
    ChildProcess keygen(tools.keygen, {"-l", "-E", "sha256", "-f", "-"});
    const ChildProcessResult result = keygen.runToCompletion(line.toUtf8() + '\n');
    if (result.exitStatus != 0)
        return std::nullopt;
    for (const QString& word : QString::fromUtf8(result.standardOutput).split(QChar(u' '), Qt::SkipEmptyParts))
        if (word.startsWith(u"SHA256:"))
            return word.trimmed();
    return std::nullopt;
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
            if (line.startsWith(u'#'))
                continue;
            const std::optional<QString> fingerprint = fingerprintOf(line, tools);
            if (!fingerprint)
                continue;
            found.append({line, *fingerprint});
            if (!expected || *fingerprint == *expected)
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
    HostKeyLineCache::shared().store(host, port, keys.first().fingerprint, keys.first().line);
    return {keys.first().fingerprint};
}

QString verifiedLine(const QString& host, qint64 port, const QString& expected, const HostKeyTools& tools)
{
    if (const std::optional<QString> cached = HostKeyLineCache::shared().line(host, port, expected))
        return *cached;
    const QList<ScannedHostKey> keys = scan(host, port, expected, tools);
    QStringList offered;
    for (const ScannedHostKey& key : keys) {
        if (key.fingerprint == expected) {
            HostKeyLineCache::shared().store(host, port, expected, key.line);
            return key.line;
        }
        offered.append(key.fingerprint);
    }
    throw SFTPTransportError::hostKeyMismatch(expected, offered);
}

} // namespace HostKeyScanner
