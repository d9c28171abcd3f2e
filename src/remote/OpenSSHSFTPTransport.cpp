#include "remote/OpenSSHSFTPTransport.h"

#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "platform/FileWriting.h"
#include "platform/TemporaryDirectory.h"
#include "platform/UniqueFd.h"
#include "remote/FtpListing.h"
#include "remote/PartialDownload.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/SftpCommand.h"
#include "remote/RemoteTransportError.h"
#include "remote/SftpTransportError.h"

#include <QCoreApplication>
#include <QPromise>
#include <QThreadPool>
#include <QUuid>
#include <QtConcurrent/QtConcurrentRun>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using std::chrono::milliseconds;

// The least a working line moves during an upload, which sftp does not report
// on: the wait for a put grows by one second per this many bytes.
constexpr qint64 slowestUploadBytesPerSecond = 64 * 1024;
// Enough to cover the way from sftp to this program and back, even while
// this program waits a moment for a processor.
constexpr qsizetype commandsAhead = 64;

QByteArray ownExecutable()
{
    if (!QCoreApplication::instance())
        return {};
    QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        path = QCoreApplication::arguments().value(0);
    return path.toUtf8();
}

// Created with owner-only permissions from the first byte on, under a name
// nobody else can have chosen.
QByteArray writeKnownHostsFile(const QString& line)
{
    const QByteArray path = temporaryDirectory() + "/Brenvik-known-host-"
                            + canonicalUuidText(QUuid::createUuid()).toUtf8();
    UniqueFd fd(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.isValid())
        throw SystemError(errno, path);
    if (!writeAll(fd.get(), line.toUtf8() + '\n') || ::fchmod(fd.get(), 0600) != 0 || ::close(fd.release()) != 0) {
        const int error = errno;
        ::unlink(path.constData());
        throw SystemError(error, path);
    }
    return path;
}

qint64 fileSize(const QByteArray& path)
{
    struct stat status {};
    return ::stat(path.constData(), &status) == 0 ? qint64(status.st_size) : -1;
}

QByteArray firstWord(const QByteArray& commands)
{
    const QByteArray word = commands.trimmed().split(' ').value(0);
    return word.isEmpty() ? QByteArrayLiteral("unbekannt") : word;
}

} // namespace

OpenSSHSFTPTransport::OpenSSHSFTPTransport(RemoteProfile profile, SftpTools tools)
    : m_profile(std::move(profile)), m_tools(std::move(tools))
{
    if (m_tools.askpass.isEmpty())
        m_tools.askpass = ownExecutable();
}

OpenSSHSFTPTransport::~OpenSSHSFTPTransport()
{
    disconnect();
}

QFuture<QStringList> OpenSSHSFTPTransport::scanFingerprints(const QString& host, qint64 port, double /*timeout*/,
                                                            const HostKeyTools& tools)
{
    // The scan keeps its own fixed limit; a caller's longer wish cannot stretch it.
    return QtConcurrent::run(QThreadPool::globalInstance(), [host, port, tools](QPromise<QStringList>& promise) {
        // The typed error itself travels to the caller, not a wrapper around it.
        try {
            promise.addResult(HostKeyScanner::fetchFingerprints(host, port, tools));
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

QString OpenSSHSFTPTransport::pinnedFingerprint() const
{
    const QString expected = m_profile.expectedHostKey.trimmed();
    if (!expected.startsWith(u"SHA256:"))
        throw SFTPTransportError::missingHostKey();
    return expected;
}

const QByteArray& OpenSSHSFTPTransport::knownHosts()
{
    if (!m_knownHosts) {
        const HostKeyScanner::PinnedLine pinned =
            HostKeyScanner::verifiedLine(m_profile.host, m_profile.port, pinnedFingerprint(), m_tools.hostKeys);
        m_knownHosts = writeKnownHostsFile(pinned.line);
        m_lineUnchecked = pinned.remembered;
    }
    return *m_knownHosts;
}

SftpSession& OpenSSHSFTPTransport::session()
{
    const QByteArray& knownHostsPath = knownHosts();
    if (m_session && m_session->isRunning())
        return *m_session;
    m_session.reset();
    auto session = std::make_unique<SftpSession>(
        m_profile.host, m_profile.port, m_tools.sftp, SftpCommand::sessionArguments(m_profile, knownHostsPath),
        SftpCommand::sessionEnvironment(m_profile, m_tools.askpass, SftpCommand::inheritedCharacterLocale()));
    try {
        session->start(SftpCommand::readyWait(m_profile.timeout));
    } catch (const SFTPTransportError& error) {
        // ssh only says the key was refused; whether the server changed its
        // key is for a scan to tell, once per remembered line.
        if (m_lineUnchecked && error.kind() == SFTPTransportError::Kind::command) {
            m_lineUnchecked = false;
            try {
                HostKeyScanner::recheck(m_profile.host, m_profile.port, pinnedFingerprint(), m_tools.hostKeys);
            } catch (const SFTPTransportError&) {
                removeKnownHostsFile();
                throw;
            }
        }
        throw;
    }
    m_lineUnchecked = false;
    m_session = std::move(session);
    return *m_session;
}

QString OpenSSHSFTPTransport::batch(const QByteArray& commands, milliseconds extraWait,
                                    const std::function<qint64()>& progress)
{
    SftpSession& running = session();
    SFTPDiagnostics::shared().record(QStringLiteral("Aktion gestartet: ") + QString::fromUtf8(firstWord(commands)));
    SftpSession::Answer answer;
    try {
        answer =
            running.exchange(commands, SftpCommand::commandWait(m_profile.timeout) + extraWait, progress, m_stop);
    } catch (...) {
        m_session.reset();
        throw;
    }
    if (!answer.errors.isEmpty())
        throw SFTPTransportError::command(answer.errors);
    return answer.output;
}

QString OpenSSHSFTPTransport::listing(const QString& path, const char* options)
{
    const QByteArray command = "ls " + QByteArray(options) + ' ' + SftpCommand::remoteArgument(path) + '\n';
    try {
        return batch(command);
    } catch (const RemoteTransportError& error) {
        if (error.kind() == RemoteTransportError::Kind::listingTooLarge)
            throw RemoteTransportError::listingTooLarge(path);
        throw;
    }
}

QList<RemoteEntry> OpenSSHSFTPTransport::list(const QString& path)
{
    QList<RemoteEntry> entries = SftpCommand::parseListing(listing(path, "-la"), path);
    if (entries.size() > FtpListing::maximumEntries)
        throw RemoteTransportError::listingTooLarge(path);
    return entries;
}

QList<RemoteEntry> OpenSSHSFTPTransport::listExactly(const QString& path)
{
    const QString forward = listing(path, "-la");
    if (!SftpCommand::listingIsExact(forward, listing(path, "-lar")))
        throw RemoteTransportError::unreadableNames(path);
    QList<RemoteEntry> entries = SftpCommand::parseListing(forward, path);
    if (entries.size() > FtpListing::maximumEntries)
        throw RemoteTransportError::listingTooLarge(path);
    return entries;
}

bool OpenSSHSFTPTransport::probeDirectory(const QString& path)
{
    try {
        batch("cd " + SftpCommand::remoteArgument(path) + "\npwd\n");
        return true;
    } catch (const CancellationError&) {
        throw;
    } catch (const BrenvikError&) {
        return false;
    }
}

void OpenSSHSFTPTransport::download(const QString& remotePath, const FileUrl& localFile)
{
    downloadThroughPartialFile(localFile, [&](const FileUrl& partial) {
        const QByteArray command =
            "get " + SftpCommand::remoteArgument(remotePath) + ' ' + SftpCommand::localArgument(partial) + '\n';
        batch(command, {}, [&partial] { return fileSize(partial.nativePath()); });
    });
}

void OpenSSHSFTPTransport::downloadFiles(const QList<FileDownload>& files,
                                         const std::function<void(qsizetype)>& arrived)
{
    if (files.isEmpty())
        return;
    SftpSession& running = session();
    SFTPDiagnostics::shared().record(QStringLiteral("Aktion gestartet: get (%1 Dateien)").arg(files.size()));
    const milliseconds wait = SftpCommand::commandWait(m_profile.timeout);
    QList<FileUrl> partials;
    QList<QByteArray> markers;
    qsizetype done = 0;
    try {
        while (done < files.size()) {
            m_stop.throwIfCancelled();
            // Commands go out ahead, so that sftp never waits for this program
            // between files; an answer tells which file it belongs to by its order.
            while (markers.size() < files.size() && markers.size() - done < commandsAhead) {
                const FileDownload& file = files[markers.size()];
                partials.append(file.localFile.parent().appending(FileSystemCore::temporaryName()));
                markers.append(running.send("get " + SftpCommand::remoteArgument(file.remotePath) + ' '
                                                + SftpCommand::localArgument(partials.last()) + '\n',
                                            wait));
            }
            const FileUrl& partial = partials[done];
            const SftpSession::Answer answer =
                running.receive(markers[done], wait, [&partial] { return fileSize(partial.nativePath()); }, m_stop);
            if (!answer.errors.isEmpty())
                throw SFTPTransportError::command(answer.errors);
            movePartialIntoPlace(partial, files[done].localFile);
            arrived(done++);
        }
    } catch (...) {
        // The commands sent ahead would still write: sftp ends before their
        // files go.
        m_session.reset();
        for (qsizetype i = done; i < partials.size(); ++i)
            ::unlink(partials[i].nativePath().constData());
        throw;
    }
}

void OpenSSHSFTPTransport::upload(const FileUrl& localFile, const QString& remotePath)
{
    const QByteArray command =
        "put " + SftpCommand::localArgument(localFile) + ' ' + SftpCommand::remoteArgument(remotePath) + '\n';
    const qint64 size = std::max<qint64>(fileSize(localFile.nativePath()), 0);
    batch(command, std::chrono::seconds(size / slowestUploadBytesPerSecond));
}

void OpenSSHSFTPTransport::rename(const QString& path, const QString& newPath)
{
    // The protocol's plain rename fails on an existing target; sftp's default
    // (the POSIX extension) would silently replace it.
    batch("rename -l " + SftpCommand::remoteArgument(path) + ' ' + SftpCommand::remoteArgument(newPath) + '\n');
}

void OpenSSHSFTPTransport::replace(const QString& path, const QString& newPath)
{
    // sftp's default rename (the POSIX extension) replaces the target at once.
    batch("rename " + SftpCommand::remoteArgument(path) + ' ' + SftpCommand::remoteArgument(newPath) + '\n');
}

void OpenSSHSFTPTransport::createDirectory(const QString& path)
{
    batch("mkdir " + SftpCommand::remoteArgument(path) + '\n');
}

void OpenSSHSFTPTransport::deleteEntry(const QString& path, bool directory)
{
    batch((directory ? "rmdir " : "rm ") + SftpCommand::remoteArgument(path) + '\n');
}

void OpenSSHSFTPTransport::disconnect()
{
    m_session.reset();
    removeKnownHostsFile();
}

void OpenSSHSFTPTransport::removeKnownHostsFile()
{
    if (m_knownHosts) {
        ::unlink(m_knownHosts->constData());
        m_knownHosts.reset();
    }
}
