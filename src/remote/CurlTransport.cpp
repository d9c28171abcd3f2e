#include "remote/CurlTransport.h"

#include "core/CancellationToken.h"
#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "remote/CurlCommand.h"
#include "remote/FtpListing.h"
#include "remote/PartialDownload.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/RemoteTransportError.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

// One curl's share of a batch download: enough files that its log-in hardly
// counts, few enough argument bytes that any system takes the command line.
constexpr qsizetype batchFiles = 200;
constexpr qsizetype batchArgumentBytes = 256 * 1024;
// What curl prints after each transfer: its index among the URLs and its own
// exit code. Names never appear in it, so no name can forge a line.
constexpr char transferReport[] = "%{urlnum} %{exitcode}\n";
constexpr qsizetype reportBytesPerFile = 32;

// How many files from the first on curl reported complete, in order.
qsizetype completedTransfers(const QByteArray& reports, qsizetype count)
{
    QList<bool> complete(count, false);
    for (const QByteArray& line : reports.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        bool indexRead = false, codeRead = false;
        const qsizetype index = fields.size() == 2 ? fields[0].toLongLong(&indexRead) : -1;
        const int code = fields.size() == 2 ? fields[1].toInt(&codeRead) : -1;
        if (indexRead && codeRead && index >= 0 && index < count)
            complete[index] = code == 0;
    }
    return complete.indexOf(false) < 0 ? count : complete.indexOf(false);
}

int statusOf(const ChildProcessResult& result)
{
    return result.terminationSignal != 0 ? result.terminationSignal : result.exitStatus;
}

void removeFiles(const QList<QByteArray>& paths, qsizetype from)
{
    for (qsizetype i = from; i < paths.size(); ++i)
        ::unlink(paths[i].constData());
}

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

ChildProcessResult CurlTransport::execute(const QList<QByteArray>& operationArguments, CurlCommand::Limit limit,
                                          qsizetype outputLimit)
{
    ChildProcess curl(m_curlPath, CurlCommand::arguments(m_profile, operationArguments, limit));
    ChildProcessLimits limits;
    limits.stopRequested = [this] { return m_stop.isCancelled(); };
    limits.outputLimit = outputLimit;
    ChildProcessResult result =
        curl.runToCompletion(CurlCommand::credentialsLine(m_profile.username, m_password), std::nullopt, limits);
    FTPDiagnostics::shared().record(QStringLiteral("Remote-Vorgang beendet: Status %1").arg(statusOf(result)));
    if (result.stopped)
        throw CancellationError();
    return result;
}

QString CurlTransport::run(const QList<QByteArray>& operationArguments, CurlCommand::Limit limit,
                           const std::function<void()>& onOutputLimit)
{
    const ChildProcessResult result = execute(operationArguments, limit, onOutputLimit ? FtpListing::maximumBytes : -1);
    if (result.outputLimitReached)
        onOutputLimit();
    if (const int status = statusOf(result); status != 0)
        throw RemoteTransportError::commandFailed(
            FTPDiagnostics::shared().failureSummary(QString::fromUtf8(result.standardError), status));
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

void CurlTransport::downloadFiles(const QList<FileDownload>& files, const std::function<void(qsizetype)>& arrived)
{
    for (qsizetype first = 0; first < files.size();) {
        m_stop.throwIfCancelled();
        QList<QByteArray> urls;
        qsizetype bytes = 0;
        for (qsizetype i = first; i < files.size() && urls.size() < batchFiles; ++i) {
            QByteArray source = url(files[i].remotePath, false);
            bytes += source.size() + files[i].localFile.nativePath().size() + 64; // the ".brvk-" name on top
            if (!urls.isEmpty() && bytes > batchArgumentBytes)
                break;
            urls.append(std::move(source));
        }
        downloadBatch(files.mid(first, urls.size()), urls, [&, offset = first](qsizetype i) { arrived(offset + i); });
        first += urls.size();
    }
}

void CurlTransport::downloadBatch(const QList<FileDownload>& files, const QList<QByteArray>& urls,
                                  const std::function<void(qsizetype)>& arrived)
{
    // The first failure ends curl, as it would end a walk fetching file by file.
    // A command before each transfer: when a server answers the EPSV of a reused
    // connection at once, curl 7.88 waits a whole second before it opens the data
    // connection, and the answer to an earlier command takes it past that path.
    QList<QByteArray> arguments{"--fail-early", "--write-out", transferReport, "--quote", "NOOP"};
    QList<QByteArray> partials;
    for (qsizetype i = 0; i < files.size(); ++i) {
        partials.append(files[i].localFile.parent().appending(FileSystemCore::temporaryName()).nativePath());
        arguments += {urls[i], "--output", partials.last()};
    }
    ChildProcessResult result;
    try {
        result = execute(arguments, CurlCommand::Limit::stall, reportBytesPerFile * files.size());
    } catch (...) {
        removeFiles(partials, 0);
        throw;
    }
    // A curl that was killed may not have written out a file it reported; an
    // orderly exit has closed them all.
    const bool orderly = result.terminationSignal == 0 && !result.outputLimitReached;
    const qsizetype completed = orderly ? completedTransfers(result.standardOutput, files.size()) : 0;
    for (qsizetype i = 0; i < completed; ++i) {
        const QByteArray& local = files[i].localFile.nativePath();
        if (std::rename(partials[i].constData(), local.constData()) != 0) {
            const int error = errno;
            removeFiles(partials, i);
            throw SystemError(error, local);
        }
        arrived(i);
    }
    removeFiles(partials, completed);
    if (completed < files.size())
        throw RemoteTransportError::fileFailed(
            files[completed].remotePath,
            FTPDiagnostics::shared().failureSummary(QString::fromUtf8(result.standardError), statusOf(result)));
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
