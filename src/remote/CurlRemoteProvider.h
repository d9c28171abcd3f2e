#pragma once

#include "core/FileUrl.h"
#include "remote/CurlTransport.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteProfile.h"
#include "remote/RemoteTree.h"

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
// Every operation can be cancelled through its future: a running curl or sftp
// is ended within moments, a tree operation stops between commands, and the
// future ends with CancellationError. Destroying the provider never blocks:
// it cancels everything, and its worker finishes and is released off the
// caller's thread.
class CurlRemoteProvider {
public:
    static constexpr const char* systemCurl = "/usr/bin/curl";

    // How a tree upload treats a file of the same name on the server: `direct`
    // writes over it as the transfer goes, `throughTemporary` sends each file
    // under a ".brvk-" name beside it and puts it in place only when complete.
    enum class UploadMode { direct, throughTemporary };

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
    // One file sent under a ".brvk-" name beside `remotePath` and put in its
    // place, replacing what is there, only once complete; the temporary file is
    // removed when anything fails.
    QFuture<void> uploadReplacing(const FileUrl& localFile, const QString& remotePath);
    // The tree rules of RemoteTree (links never entered, left out and named in
    // a final error). `log`, when given, receives what was transferred, also
    // when the operation fails; read it once the future has finished.
    QFuture<void> downloadTree(const QString& remotePath, const FileUrl& local,
                               std::shared_ptr<RemoteTransferLog> log = {});
    QFuture<void> uploadTree(const FileUrl& local, const QString& remotePath,
                             std::shared_ptr<RemoteTransferLog> log = {}, UploadMode mode = UploadMode::direct);
    QFuture<void> deleteTree(const QString& path);
    // Refuses to replace an existing entry.
    QFuture<void> rename(const QString& path, const QString& newPath);
    QFuture<void> createDirectory(const QString& path);
    QFuture<void> deleteEntry(const QString& path, bool directory);
    // One raw FTP command after the log-in (FTP and FTPS only).
    QFuture<void> quote(const QString& command);
    // Ends a lasting connection; nothing to do for FTP and FTPS.
    QFuture<void> disconnect();

private:
    struct Core;
    template <typename T, typename Work>
    QFuture<T> submit(Work work);

    RemoteProfile m_profile;
    std::shared_ptr<Core> m_core;
};
