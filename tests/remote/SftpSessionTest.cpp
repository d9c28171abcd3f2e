#include "SftpFixture.h"

#include "platform/ChildProcess.h"
#include "remote/HostKeyLineCache.h"
#include "remote/HostKeyScanner.h"
#include "remote/SftpTransportError.h"
#include "support/LoopbackListener.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <csignal>
#include <future>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

const QString closedByServer = QStringLiteral("SFTP-Vorgang fehlgeschlagen: Die SFTP-Sitzung wurde vom Server geschlossen.");

SFTPTransportError sftpError(const std::function<void()>& body)
{
    try {
        body();
    } catch (const SFTPTransportError& error) {
        return error;
    }
    ADD_FAILURE() << "no SFTPTransportError";
    return SFTPTransportError::noServerKey();
}

QByteArray procFile(pid_t pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 bytesRead(pid_t pid)
{
    for (const QByteArray& line : procFile(pid, "io").split('\n'))
        if (line.startsWith("rchar: "))
            return line.mid(7).toLongLong();
    return -1;
}

void signalAll(const QList<pid_t>& pids, int signal)
{
    for (const pid_t pid : pids)
        ::kill(pid, signal);
}

class SftpSessionLifecycle : public SftpFixture {};

TEST_F(SftpSessionLifecycle, PinsAreCheckedBeforeAnyProcessStarts)
{
    // Tools that cannot start: reaching any of them would be ProcessStartError.
    SftpTools unusable = tools();
    unusable.sftp = "/nonexistent/sftp";
    unusable.hostKeys.keyscan = "/nonexistent/ssh-keyscan";
    for (const QString& pin : {QString(), QStringLiteral("  "), QStringLiteral("AAAAC3NzaC1lZDI1NTE5")}) {
        RemoteProfile unpinned = profile;
        unpinned.expectedHostKey = pin;
        OpenSSHSFTPTransport sftp(unpinned, unusable);
        EXPECT_EQ(sftpError([&] { sftp.list(QStringLiteral("/")); }).kind(), SFTPTransportError::Kind::missingHostKey);
        EXPECT_FALSE(sftp.knownHostsFile());
    }

    // The server offers other keys: refused with what it offered, sftp never runs.
    SftpTools noSftp = tools();
    noSftp.sftp = "/nonexistent/sftp";
    RemoteProfile wrong = profile;
    wrong.expectedHostKey = QStringLiteral("SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
    OpenSSHSFTPTransport mismatched(wrong, noSftp);
    const SFTPTransportError mismatch = sftpError([&] { mismatched.list(QStringLiteral("/")); });
    EXPECT_EQ(mismatch.kind(), SFTPTransportError::Kind::hostKeyMismatch);
    EXPECT_TRUE(mismatch.description().contains(QStringLiteral("Vom Server angeboten: ") + server.fingerprint));
    EXPECT_FALSE(mismatched.knownHostsFile());

    // A pin copied with blanks and a line break around it is the same pin.
    profile.expectedHostKey = QStringLiteral("  ") + server.fingerprint + QStringLiteral(" \n");
    EXPECT_FALSE(transport()->list(QStringLiteral("/")).isEmpty());
}

TEST_F(SftpSessionLifecycle, OneProcessServesAllOperationsUntilDisconnect)
{
    auto sftp = transport();
    sftp->list(QStringLiteral("/"));
    const pid_t first = sftp->sessionProcessId();
    ASSERT_GT(first, 0);
    const std::optional<QByteArray> knownHosts = sftp->knownHostsFile();
    ASSERT_TRUE(knownHosts);
    EXPECT_TRUE(knownHosts->startsWith(qgetenv("TMPDIR") + "/Brenvik-known-host-")) << knownHosts->constData();
    struct stat status {};
    ASSERT_EQ(::stat(knownHosts->constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    sftp->probeDirectory(QStringLiteral("/"));
    sftp->list(QStringLiteral("/home"));
    EXPECT_EQ(sftp->sessionProcessId(), first);

    sftp->disconnect();
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(*knownHosts)));
    EXPECT_EQ(sftp->sessionProcessId(), -1);
    EXPECT_EQ(::kill(first, 0), -1);

    sftp->list(QStringLiteral("/"));
    EXPECT_GT(sftp->sessionProcessId(), 0);
    EXPECT_NE(sftp->sessionProcessId(), first);
    const QByteArray second = *sftp->knownHostsFile();
    EXPECT_NE(second, *knownHosts);
    // Dropping the transport also cleans up.
    sftp.reset();
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(second)));
}

TEST_F(SftpSessionLifecycle, PasswordAppearsInNoArgumentEnvironmentOrFile)
{
    auto sftp = transport();
    sftp->list(QStringLiteral("/"));
    const pid_t session = sftp->sessionProcessId();
    QList<pid_t> processes = SftpServer::childrenOf(session);
    ASSERT_FALSE(processes.isEmpty()) << "sftp runs ssh";
    processes.append(session);
    const QByteArray password = server.password.toUtf8();
    for (const pid_t pid : processes) {
        const QByteArray arguments = procFile(pid, "cmdline");
        const QByteArray environment = procFile(pid, "environ");
        ASSERT_FALSE(arguments.isEmpty());
        EXPECT_FALSE(arguments.contains(password)) << arguments.constData();
        EXPECT_FALSE(environment.contains(password));
        EXPECT_TRUE(environment.contains("BRVK_SFTP_ASKPASS_PROFILE=" + canonicalUuidText(profile.id).toUtf8()));
    }
    for (QDirIterator files(qEnvironmentVariable("TMPDIR"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         files.hasNext();) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly)) {
            EXPECT_FALSE(file.readAll().contains(password)) << file.fileName().toStdString();
        }
    }
}

TEST_F(SftpSessionLifecycle, WrongPasswordIsAskedForOnceAndNamedAsTheReason)
{
    TempFolder folder;
    const FileUrl count = folder.file("askpass-calls");
    const FileUrl wrapper = folder.write("askpass", "#!/bin/sh\necho call >> '" + count.nativePath() + "'\nexec '"
                                                        + QByteArray(BRENVIK_EXECUTABLE) + "' \"$@\"\n");
    ::chmod(wrapper.nativePath().constData(), 0755);
    SftpTools counted = tools();
    counted.askpass = wrapper.nativePath();
    CredentialStore::forApplication().save(QStringLiteral("falschx"), profile.id);

    OpenSSHSFTPTransport sftp(profile, counted);
    const SFTPTransportError denied = sftpError([&] { sftp.list(QStringLiteral("/")); });
    EXPECT_EQ(denied.description(), closedByServer + QStringLiteral("\nLetzte Meldung: brvk@127.0.0.1: Permission "
                                                                    "denied (password)."));
    QFile calls(QString::fromUtf8(count.nativePath()));
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    EXPECT_EQ(calls.readAll(), "call\n");

    CredentialStore::forApplication().save(server.password, profile.id);
    EXPECT_FALSE(sftp.list(QStringLiteral("/")).isEmpty());
}

TEST_F(SftpSessionLifecycle, RefusedConnectionAndForeignHostKeyAreNamed)
{
    const QString line = HostKeyScanner::verifiedLine(QStringLiteral("127.0.0.1"), server.port, server.fingerprint);
    const quint16 closed = LoopbackListener::closedPort();
    // As if the key had been confirmed before the server went away.
    const QString portPrefix = QStringLiteral("[127.0.0.1]:%1 ");
    ASSERT_TRUE(line.startsWith(portPrefix.arg(server.port)));
    HostKeyLineCache::shared().store(QStringLiteral("127.0.0.1"), closed, server.fingerprint,
                                     portPrefix.arg(closed) + line.section(u' ', 1));
    profile.port = closed;
    EXPECT_EQ(sftpError([&] { transport()->list(QStringLiteral("/")); }).description(),
              closedByServer
                  + QStringLiteral("\nLetzte Meldung: ssh: connect to host 127.0.0.1 port %1: Connection refused")
                        .arg(closed));

}

TEST_F(SftpSessionLifecycle, ServerKilledDuringACommandIsReportedAndTheNextOperationReconnects)
{
    auto sftp = transport();
    sftp->list(QStringLiteral("/"));
    const pid_t session = sftp->sessionProcessId();
    const QList<pid_t> serving = SftpServer::serverProcessesOf(session);
    ASSERT_FALSE(serving.isEmpty());

    signalAll(serving, SIGSTOP);
    const qint64 readBefore = bytesRead(session);
    auto listing = std::async(std::launch::async, [&] { sftp->list(QStringLiteral("/")); });
    // Once sftp has read the command it waits for the frozen server.
    for (int i = 0; i < 1000 && bytesRead(session) == readBefore; ++i)
        std::this_thread::sleep_for(10ms);
    signalAll(serving, SIGKILL);

    const SFTPTransportError closed = sftpError([&] { listing.get(); });
    EXPECT_TRUE(closed.description().startsWith(closedByServer + QStringLiteral("\nLetzte Meldung: ")))
        << closed.description().toStdString();
    EXPECT_EQ(sftp->sessionProcessId(), -1);

    EXPECT_FALSE(sftp->list(QStringLiteral("/")).isEmpty());
    EXPECT_NE(sftp->sessionProcessId(), session);
}

TEST_F(SftpSessionLifecycle, UnansweredCommandTimesOutAndTheNextOperationReconnects)
{
    profile.timeout = 1; // the shortest wait for a command: 5 seconds
    auto sftp = transport();
    sftp->list(QStringLiteral("/"));
    const pid_t session = sftp->sessionProcessId();
    const QList<pid_t> serving = SftpServer::serverProcessesOf(session);
    ASSERT_FALSE(serving.isEmpty());

    signalAll(serving, SIGSTOP);
    const SFTPTransportError timeout = sftpError([&] { sftp->list(QStringLiteral("/")); });
    signalAll(serving, SIGKILL);
    EXPECT_EQ(timeout.kind(), SFTPTransportError::Kind::timeout);
    EXPECT_EQ(timeout.description(),
              QStringLiteral("Die SSH-Host-Key-Prüfung für 127.0.0.1:%1 wurde nach 8 Sekunden abgebrochen. Prüfe "
                             "Server, Port, Firewall und ob dort wirklich SSH/SFTP läuft.")
                  .arg(server.port));
    EXPECT_EQ(::kill(session, 0), -1) << "the unanswered sftp was ended";

    EXPECT_FALSE(sftp->list(QStringLiteral("/")).isEmpty());
}

} // namespace
