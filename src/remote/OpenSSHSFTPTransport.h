#pragma once

#include "remote/HostKeyScanner.h"
#include "remote/RemoteProfile.h"
#include "remote/RemoteTransport.h"
#include "remote/SftpSession.h"

#include <QFuture>
#include <QStringList>
#include <atomic>
#include <future>
#include <memory>
#include <optional>

// SFTP through the system's OpenSSH client: one long-lived sftp process per
// transport, started on the first operation and reused until disconnect(). A
// batch download of many files starts a second one, logging in off the
// caller's thread, which then shares the batches' files with the first until
// batches stop coming.
//
// Before sftp starts, the server's host keys are scanned and one must match the
// fingerprint pinned in the profile; sftp then checks strictly against a private
// one-line known-hosts file (mode 600, removed on disconnect). Passwords never
// go to sftp: OpenSSH asks this program, started in its askpass mode, which
// reads the keychain.
//
// sftp reports a failed command on its standard error only, so each command's
// error output is read too and turns into SFTPTransportError::command with
// sftp's own words. A session that ends or stops answering is dropped; the next
// operation connects anew. Not thread-safe: its owner (the provider's serial
// executor) calls one operation at a time.
// The programs an SFTP transport runs (tests substitute their own).
struct SftpTools {
    QByteArray sftp = "/usr/bin/sftp";
    HostKeyTools hostKeys;
    // The askpass program; empty means this program's own executable.
    QByteArray askpass;
};

class OpenSSHSFTPTransport : public RemoteTransport {
public:
    explicit OpenSSHSFTPTransport(RemoteProfile profile, SftpTools tools = {});
    // Also ends sftp and removes the known-hosts file.
    ~OpenSSHSFTPTransport() override;
    OpenSSHSFTPTransport(const OpenSSHSFTPTransport&) = delete;
    OpenSSHSFTPTransport& operator=(const OpenSSHSFTPTransport&) = delete;

    // The fingerprint of the server's first host key for the user to confirm,
    // scanned off the caller's thread; ends within 8 seconds however many
    // seconds `timeout` says. Its line waits in the HostKeyLineCache for the
    // connection right after.
    static QFuture<QStringList> scanFingerprints(const QString& host, qint64 port, double timeout,
                                                 const HostKeyTools& tools = {});

    const RemoteProfile& profile() const { return m_profile; }

    QList<RemoteEntry> list(const QString& path) override;
    // Two listings, by name and in reverse, that must mirror each other
    // (SftpCommand::listingIsExact).
    QList<RemoteEntry> listExactly(const QString& path) override;
    bool probeDirectory(const QString& path) override;
    // Written beside the destination under a ".brvk-" name and moved into place
    // when complete: a failed transfer leaves an existing file as it was.
    void download(const QString& remotePath, const FileUrl& localFile) override;
    // Several commands on their way at once, in one session or two (SftpFetch).
    void downloadFiles(const QList<FileDownload>& files, const std::function<void(qsizetype)>& arrived) override;
    void upload(const FileUrl& localFile, const QString& remotePath) override;
    // Refuses to replace an existing entry (sftp's own rename would).
    void rename(const QString& path, const QString& newPath) override;
    void replace(const QString& path, const QString& newPath) override;
    void createDirectory(const QString& path) override;
    void deleteEntry(const QString& path, bool directory) override;
    void disconnect() override;

    // The known-hosts file while there is one; the running sftp's process id or -1.
    std::optional<QByteArray> knownHostsFile() const { return m_knownHosts; }
    pid_t sessionProcessId() const { return m_session ? m_session->processId() : -1; }
    // The second session's process id once it has logged in, else -1.
    pid_t secondSessionProcessId()
    {
        const SftpSession* second = readySecondSession();
        return second ? second->processId() : -1;
    }

private:
    // Runs command lines in the session (starting one when needed); sftp's
    // standard output. Throws SFTPTransportError::command with sftp's error output.
    QString batch(const QByteArray& commands, std::chrono::milliseconds extraWait = {},
                  const std::function<qint64()>& progress = {});
    QString listing(const QString& path, const char* options);
    QString pinnedFingerprint() const;
    const QByteArray& knownHosts();
    void removeKnownHostsFile();
    SftpSession& session();
    std::unique_ptr<SftpSession> newSession(const QByteArray& knownHostsPath) const;
    void startSecondSession();
    // The second session once it has logged in, else null.
    SftpSession* readySecondSession();
    void endSecondSession();

    RemoteProfile m_profile;
    SftpTools m_tools;
    std::optional<QByteArray> m_knownHosts;
    // The line came from the cache and no session has started with it yet.
    bool m_lineUnchecked = false;
    std::unique_ptr<SftpSession> m_session;
    std::unique_ptr<SftpSession> m_second;
    std::future<void> m_secondStart;
    SftpSession::Clock::time_point m_secondLastUsed;
    std::atomic_bool m_abandonSecond{false};
    // It failed to log in; tried again only after a disconnect.
    bool m_secondRefused = false;
};
