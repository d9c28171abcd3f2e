#pragma once

#include "core/FileUrl.h"
#include "remote/CurlTransport.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteProfile.h"

#include <QFuture>
#include <QThreadPool>
#include <atomic>
#include <memory>

// The one object through which the program works on a remote server, whatever
// the protocol. A serial executor: operations run one at a time on the
// provider's own worker thread, never on the caller's, and return futures that
// fail with the typed error (RemoteTransportError, SFTPTransportError,
// ProcessStartError, a local SystemError). FTP and FTPS run curl once per
// operation; SFTP profiles go to an OpenSSHSFTPTransport (one lasting sftp
// process, the password from the keychain through the askpass mode).
//
// Destroying the provider waits for the running operation (curl ends at its
// time limit at the latest); queued operations and the remaining steps of a
// tree operation end with CancellationError.
class CurlRemoteProvider {
public:
    static constexpr const char* systemCurl = "/usr/bin/curl";

    // `curlPath` is the absolute path of the curl executable, `sftpTools` the
    // OpenSSH programs (tests substitute their own).
    CurlRemoteProvider(RemoteProfile profile, QString password, QByteArray curlPath = systemCurl,
                       SftpTools sftpTools = {});
    ~CurlRemoteProvider();
    CurlRemoteProvider(const CurlRemoteProvider&) = delete;
    CurlRemoteProvider& operator=(const CurlRemoteProvider&) = delete;

    const RemoteProfile& profile() const { return m_profile; }

    // Folders first, then names in natural order; a names-only listing when the
    // server's format cannot be read.
    QFuture<QList<RemoteEntry>> list(const QString& path);
    // True when the path can be listed as a folder; never fails.
    QFuture<bool> probeDirectory(const QString& path);
    QFuture<void> download(const QString& remotePath, const FileUrl& localFile);
    QFuture<void> upload(const FileUrl& localFile, const QString& remotePath);
    QFuture<void> downloadTree(const QString& remotePath, const FileUrl& local);
    QFuture<void> uploadTree(const FileUrl& local, const QString& remotePath);
    QFuture<void> deleteTree(const QString& path);
    QFuture<void> rename(const QString& path, const QString& newPath);
    QFuture<void> createDirectory(const QString& path);
    QFuture<void> deleteEntry(const QString& path, bool directory);
    // One raw FTP command after the log-in (FTP and FTPS only).
    QFuture<void> quote(const QString& command);
    // Ends a lasting connection; nothing to do for FTP and FTPS.
    QFuture<void> disconnect();

private:
    RemoteTransport& transport();
    CurlTransport& curl();
    template <typename T, typename Work>
    QFuture<T> submit(Work work);

    RemoteProfile m_profile;
    std::unique_ptr<CurlTransport> m_curl; // FTP and FTPS
    std::unique_ptr<OpenSSHSFTPTransport> m_sftp; // SFTP
    std::atomic_bool m_closing{false};
    QThreadPool m_pool;
};
