#include "remote/CurlTransport.h"

#include "core/CancellationToken.h"
#include "platform/ChildProcess.h"
#include "remote/CurlCommand.h"
#include "remote/FtpListing.h"
#include "remote/PartialDownload.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/RemoteTransportError.h"

namespace {

QString parentPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

CurlTransport::CurlTransport(RemoteProfile profile, QString password, QByteArray curlPath)
    : m_profile(std::move(profile)), m_password(std::move(password)), m_curlPath(std::move(curlPath))
{
}

QByteArray CurlTransport::url(const QString& path, bool directory) const
{
    return CurlCommand::remoteURL(m_profile, CurlCommand::commandPath(path), directory).toUtf8();
}

QString CurlTransport::run(const QList<QByteArray>& operationArguments, CurlCommand::Limit limit,
                           const std::function<void()>& onOutputLimit)
{
    ChildProcess curl(m_curlPath, CurlCommand::arguments(m_profile, operationArguments, limit));
    ChildProcessLimits limits;
    limits.stopRequested = [this] { return m_stop.isCancelled(); };
    if (onOutputLimit)
        limits.outputLimit = FtpListing::maximumBytes;
    const ChildProcessResult result =
        curl.runToCompletion(CurlCommand::credentialsLine(m_profile.username, m_password), std::nullopt, limits);
    const int status = result.terminationSignal != 0 ? result.terminationSignal : result.exitStatus;
    FTPDiagnostics& diagnostics = FTPDiagnostics::shared();
    diagnostics.record(QStringLiteral("Remote-Vorgang beendet: Status %1").arg(status));
    if (result.stopped)
        throw CancellationError();
    if (result.outputLimitReached)
        onOutputLimit();
    if (status != 0)
        throw RemoteTransportError::commandFailed(
            diagnostics.failureSummary(QString::fromUtf8(result.standardError), status));
    return QString::fromUtf8(result.standardOutput);
}

QString CurlTransport::runListing(const QString& path, const QList<QByteArray>& extraArguments)
{
    const QString text = run(QList<QByteArray>{url(path, true)} + extraArguments, CurlCommand::Limit::totalTime,
                             [&] { throw RemoteTransportError::listingTooLarge(path); });
    if (text.count(u'\n') > FtpListing::maximumEntries + 2) // "." and ".." may come on top
        throw RemoteTransportError::listingTooLarge(path);
    return text;
}

QList<RemoteEntry> CurlTransport::list(const QString& path)
{
    // Servers hide names starting with "." from a plain LIST; most show them
    // with "-a". One that refuses it, or reads it as a path and shows nothing,
    // gets the plain command.
    QList<RemoteEntry> entries;
    try {
        entries = FtpListing::parse(runListing(path, {"--request", "LIST -a"}));
    } catch (const RemoteTransportError& error) {
        if (error.kind() != RemoteTransportError::Kind::commandFailed)
            throw;
    }
    if (entries.isEmpty())
        entries = FtpListing::parse(runListing(path, {}));
    if (!entries.isEmpty())
        return entries;
    // An empty folder, or a listing format the parser cannot read: the names at least.
    return FtpListing::parseNamesOnly(runListing(path, {"--list-only"}));
}

bool CurlTransport::probeDirectory(const QString& path)
{
    try {
        run({url(path, true), "--list-only"});
        return true;
    } catch (const CancellationError&) {
        throw;
    } catch (const BrenvikError&) {
        return false;
    }
}

void CurlTransport::download(const QString& remotePath, const FileUrl& localFile)
{
    const QByteArray source = url(remotePath, false);
    downloadThroughPartialFile(localFile, [&](const FileUrl& partial) {
        run({source, "--output", partial.nativePath()}, CurlCommand::Limit::stall);
    });
}

void CurlTransport::upload(const FileUrl& localFile, const QString& remotePath)
{
    run({url(remotePath, false), "--upload-file", localFile.nativePath()}, CurlCommand::Limit::stall);
}

void CurlTransport::rename(const QString& path, const QString& newPath)
{
    // RNTO replaces an existing entry on most servers; a rename must not.
    const QString name = newPath.mid(newPath.lastIndexOf(u'/') + 1);
    for (const RemoteEntry& entry : list(parentPath(newPath)))
        if (entry.name == name)
            throw RemoteTransportError::commandFailed(QStringLiteral("„%1“ existiert bereits.").arg(newPath));
    replace(path, newPath);
}

void CurlTransport::replace(const QString& path, const QString& newPath)
{
    run({url(QStringLiteral("/"), false), "--quote", "RNFR " + CurlCommand::commandPath(path).toUtf8(), "--quote",
         "RNTO " + CurlCommand::commandPath(newPath).toUtf8(), "--list-only"});
}

void CurlTransport::quote(const QString& command)
{
    run({url(QStringLiteral("/"), false), "--quote", CurlCommand::commandPath(command).toUtf8(), "--list-only"});
}

void CurlTransport::createDirectory(const QString& path)
{
    quote(QStringLiteral("MKD ") + path);
}

void CurlTransport::deleteEntry(const QString& path, bool directory)
{
    quote((directory ? QStringLiteral("RMD ") : QStringLiteral("DELE ")) + path);
}
