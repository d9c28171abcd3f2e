#include "remote/CurlRemoteProvider.h"

#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/RemoteTransportError.h"
#include "remote/RemoteTree.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

CurlRemoteProvider::CurlRemoteProvider(RemoteProfile profile, QString password, QByteArray curlPath,
                                       SftpTools sftpTools)
    : m_profile(std::move(profile))
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
    if (m_profile.kind == RemoteProtocolKind::sftp) {
        m_sftp = std::make_unique<OpenSSHSFTPTransport>(m_profile, std::move(sftpTools));
    } else {
        m_curl = std::make_unique<CurlTransport>(m_profile, std::move(password), std::move(curlPath));
        FTPDiagnostics::shared().record(QStringLiteral("Remote-Transport angelegt: ") + rawValue(m_profile.kind));
    }
}

CurlRemoteProvider::~CurlRemoteProvider()
{
    m_closing = true;
    m_pool.waitForDone();
}

RemoteTransport& CurlRemoteProvider::transport()
{
    if (m_sftp)
        return *m_sftp;
    return curl();
}

CurlTransport& CurlRemoteProvider::curl()
{
    if (!m_curl)
        throw RemoteTransportError::commandFailed(QStringLiteral("Rohe FTP-Befehle gibt es nur bei FTP und FTPS."));
    return *m_curl;
}

template <typename T, typename Work>
QFuture<T> CurlRemoteProvider::submit(Work work)
{
    return QtConcurrent::run(&m_pool, [this, work = std::move(work)](QPromise<T>& promise) {
        // The original exception travels to the caller, not a wrapper around it.
        try {
            if (m_closing)
                throw CancellationError();
            if constexpr (std::is_void_v<T>)
                work();
            else
                promise.addResult(work());
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

QFuture<QList<RemoteEntry>> CurlRemoteProvider::list(const QString& path)
{
    return submit<QList<RemoteEntry>>([this, path] { return transport().list(path); });
}

QFuture<bool> CurlRemoteProvider::probeDirectory(const QString& path)
{
    return submit<bool>([this, path] { return transport().probeDirectory(path); });
}

QFuture<void> CurlRemoteProvider::download(const QString& remotePath, const FileUrl& localFile)
{
    return submit<void>([this, remotePath, localFile] { transport().download(remotePath, localFile); });
}

QFuture<void> CurlRemoteProvider::upload(const FileUrl& localFile, const QString& remotePath)
{
    return submit<void>([this, localFile, remotePath] { transport().upload(localFile, remotePath); });
}

QFuture<void> CurlRemoteProvider::downloadTree(const QString& remotePath, const FileUrl& local)
{
    return submit<void>([this, remotePath, local] {
        RemoteTree::download(transport(), remotePath, local, CancellationToken::fromFlag(m_closing));
    });
}

QFuture<void> CurlRemoteProvider::uploadTree(const FileUrl& local, const QString& remotePath)
{
    return submit<void>([this, local, remotePath] {
        RemoteTree::upload(transport(), local, remotePath, CancellationToken::fromFlag(m_closing));
    });
}

QFuture<void> CurlRemoteProvider::deleteTree(const QString& path)
{
    return submit<void>(
        [this, path] { RemoteTree::remove(transport(), path, CancellationToken::fromFlag(m_closing)); });
}

QFuture<void> CurlRemoteProvider::rename(const QString& path, const QString& newPath)
{
    return submit<void>([this, path, newPath] { transport().rename(path, newPath); });
}

QFuture<void> CurlRemoteProvider::createDirectory(const QString& path)
{
    return submit<void>([this, path] { transport().createDirectory(path); });
}

QFuture<void> CurlRemoteProvider::deleteEntry(const QString& path, bool directory)
{
    return submit<void>([this, path, directory] { transport().deleteEntry(path, directory); });
}

QFuture<void> CurlRemoteProvider::quote(const QString& command)
{
    return submit<void>([this, command] { curl().quote(command); });
}

QFuture<void> CurlRemoteProvider::disconnect()
{
    return submit<void>([this] { transport().disconnect(); });
}
