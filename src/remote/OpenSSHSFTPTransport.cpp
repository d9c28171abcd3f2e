#include "remote/OpenSSHSFTPTransport.h"

#include "core/SystemError.h"
#include "platform/FileWriting.h"
#include "platform/TemporaryDirectory.h"
#include "platform/UniqueFd.h"
#include "remote/FtpListing.h"
#include "remote/PartialDownload.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/RemoteTransportError.h"
#include "remote/SftpCommand.h"
#include "remote/SftpFetch.h"
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
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

using std::chrono::milliseconds;

// The least a working line moves during an upload, which sftp does not report
// on: the wait for a put grows by one second per this many bytes.
constexpr qint64 slowestUploadBytesPerSecond = 64 * 1024;
// Small files wait on round trips between the processes, not on a
// processor: from this many files on, a second session fetches alongside.
constexpr qsizetype filesForSecondSession = 32;
// A second connection counts against the server's limits: it goes at the
// next operation once batches have stopped coming for this long.
constexpr std::chrono::seconds secondSessionIdle{10};

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

std::unique_ptr<SftpSession> OpenSSHSFTPTransport::newSession(const QByteArray& knownHostsPath) const
{
    return std::make_unique<SftpSession>(
        m_profile.host, m_profile.port, m_tools.sftp, SftpCommand::sessionArguments(m_profile, knownHostsPath),
        SftpCommand::sessionEnvironment(m_profile, m_tools.askpass, SftpCommand::inheritedCharacterLocale()));
}

SftpSession& OpenSSHSFTPTransport::session()
{
    if (m_second && SftpSession::Clock::now() - m_secondLastUsed > secondSessionIdle)
        endSecondSession();
    const QByteArray& knownHostsPath = knownHosts();
    if (m_session && m_session->isRunning())
        return *m_session;
    m_session.reset();
    std::unique_ptr<SftpSession> session = newSession(knownHostsPath);
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
        batch(command, {}, [&partial] { return currentFileSize(partial); });
    });
}

void OpenSSHSFTPTransport::downloadFiles(const QList<FileDownload>& files,
                                         const std::function<void(qsizetype)>& arrived)
{
    if (files.isEmpty())
        return;
    SftpSession& first = session();
    SFTPDiagnostics::shared().record(QStringLiteral("Aktion gestartet: get (%1 Dateien)").arg(files.size()));
    if (files.size() >= filesForSecondSession)
        startSecondSession();
    SftpFetch fetch(files, arrived, m_stop, SftpCommand::commandWait(m_profile.timeout));
    std::thread helper;
    std::exception_ptr firstFailure;
    std::exception_ptr helperFailure;
    // The second session joins as soon as it has logged in, even mid-batch.
    const auto joinIn = [&] {
        if (helper.joinable())
            return;
        SftpSession* second = readySecondSession();
        if (!second)
            return;
        try {
            helper = std::thread([&fetch, &helperFailure, second] {
                try {
                    fetch.run(*second);
                } catch (...) {
                    helperFailure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to spare: the first session fetches alone.
        }
    };
    try {
        fetch.run(first, joinIn);
    } catch (...) {
        firstFailure = std::current_exception();
    }
    if (helper.joinable())
        helper.join();
    m_secondLastUsed = SftpSession::Clock::now();
    if (helperFailure)
        m_second.reset();
    if (firstFailure)
        m_session.reset();
    if (const std::exception_ptr cause = causeOf(firstFailure, helperFailure))
        std::rethrow_exception(cause);
}

void OpenSSHSFTPTransport::startSecondSession()
{
    if (m_second || m_secondRefused)
        return;
    m_second = newSession(knownHosts());
    m_secondLastUsed = SftpSession::Clock::now();
    try {
        m_secondStart = std::async(std::launch::async, [session = m_second.get(), this] {
            session->start(SftpCommand::readyWait(m_profile.timeout), CancellationToken::fromFlag(m_abandonSecond));
        });
    } catch (const std::system_error&) {
        m_second.reset();
        m_secondRefused = true;
    }
}

SftpSession* OpenSSHSFTPTransport::readySecondSession()
{
    if (!m_second)
        return nullptr;
    if (m_secondStart.valid()) {
        if (m_secondStart.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return nullptr;
        try {
            std::exchange(m_secondStart, {}).get();
        } catch (...) {
            // Many servers allow a user one connection: the batches go on in the first.
            SFTPDiagnostics::shared().record(QStringLiteral("Zweite SFTP-Sitzung nicht möglich"));
            m_second.reset();
            m_secondRefused = true;
            return nullptr;
        }
    }
    if (!m_second->isRunning()) {
        m_second.reset();
        return nullptr;
    }
    return m_second.get();
}

void OpenSSHSFTPTransport::endSecondSession()
{
    m_abandonSecond = true;
    if (m_secondStart.valid())
        m_secondStart.wait();
    m_secondStart = {};
    m_second.reset();
    m_abandonSecond = false;
    m_secondRefused = false;
}

void OpenSSHSFTPTransport::upload(const FileUrl& localFile, const QString& remotePath)
{
    const QByteArray command =
        "put " + SftpCommand::localArgument(localFile) + ' ' + SftpCommand::remoteArgument(remotePath) + '\n';
    const qint64 size = std::max<qint64>(currentFileSize(localFile), 0);
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
    endSecondSession();
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
