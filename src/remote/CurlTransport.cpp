#include "remote/CurlTransport.h"

#include "core/SystemError.h"
#include "platform/ChildProcess.h"
#include "remote/CurlCommand.h"
#include "remote/FtpListing.h"
#include "remote/PartialDownload.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/RemoteTransportError.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

CurlTransport::CurlTransport(RemoteProfile profile, QString password, QByteArray curlPath)
    : m_profile(std::move(profile)), m_password(std::move(password)), m_curlPath(std::move(curlPath))
{
}

QByteArray CurlTransport::url(const QString& path, bool directory) const
{
    return CurlCommand::remoteURL(m_profile, path, directory).toUtf8();
}

QString CurlTransport::run(const QList<QByteArray>& operationArguments)
{
    ChildProcess curl(m_curlPath, CurlCommand::arguments(m_profile, operationArguments));
    const ChildProcessResult result =
        curl.runToCompletion(CurlCommand::credentialsLine(m_profile.username, m_password));
    const int status = result.terminationSignal != 0 ? result.terminationSignal : result.exitStatus;
    FTPDiagnostics& diagnostics = FTPDiagnostics::shared();
    diagnostics.record(QStringLiteral("Remote-Vorgang beendet: Status %1").arg(status));
    if (status != 0)
        throw RemoteTransportError::commandFailed(
            diagnostics.failureSummary(QString::fromUtf8(result.standardError), status));
    return QString::fromUtf8(result.standardOutput);
}

QList<RemoteEntry> CurlTransport::list(const QString& path)
{
    QList<RemoteEntry> entries = FtpListing::parse(run({url(path, true)}));
    if (!entries.isEmpty())
        return entries;
    // An empty folder, or a listing format the parser cannot read: the names at least.
    return FtpListing::parseNamesOnly(run({url(path, true), "--list-only"}));
}

bool CurlTransport::probeDirectory(const QString& path)
{
    try {
        run({url(path, true), "--list-only"});
        return true;
    } catch (const BrenvikError&) {
        return false;
    }
}

void CurlTransport::download(const QString& remotePath, const FileUrl& localFile)
{
    downloadThroughPartialFile(localFile, [&](const FileUrl& partial) {
        run({url(remotePath, false), "--output", partial.nativePath()});
    });
}

void CurlTransport::upload(const FileUrl& localFile, const QString& remotePath)
{
    run({url(remotePath, false), "--upload-file", localFile.nativePath()});
}

void CurlTransport::rename(const QString& path, const QString& newPath)
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
    quote(QStringLiteral("MKD ") + CurlCommand::commandPath(path));
}

void CurlTransport::deleteEntry(const QString& path, bool directory)
{
    quote((directory ? QStringLiteral("RMD ") : QStringLiteral("DELE ")) + CurlCommand::commandPath(path));
}
