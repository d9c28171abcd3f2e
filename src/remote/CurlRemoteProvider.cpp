#include "remote/CurlRemoteProvider.h"

#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "core/FileSystemCore.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/RemoteTransportError.h"

#include <QPromise>

// What the worker needs; it outlives the provider until the last operation ended.
struct CurlRemoteProvider::Core {
    std::unique_ptr<CurlTransport> curl;          // FTP and FTPS
    std::unique_ptr<OpenSSHSFTPTransport> sftp;  // SFTP
    std::atomic_bool closing{false};
    QThreadPool pool;

    RemoteTransport& transport()
    {
        if (sftp)
            return *sftp;
        return ftp();
    }

    CurlTransport& ftp()
    {
        if (!curl)
            throw RemoteTransportError::commandFailed(
                QStringLiteral("Rohe FTP-Befehle gibt es nur bei FTP und FTPS."));
        return *curl;
    }
};

namespace {

void uploadThroughTemporary(RemoteTransport& transport, const FileUrl& localFile, const QString& remotePath)
{
    const qsizetype slash = remotePath.lastIndexOf(u'/');
    const QString temporary = remotePath.left(slash + 1) + FileSystemCore::temporaryName();
    try {
        transport.upload(localFile, temporary);
        transport.replace(temporary, remotePath);
    } catch (...) {
        const CancellationToken stop; // the clean-up runs also after a cancel
        transport.setStopCheck(stop);
        try {
            transport.deleteEntry(temporary, false);
        } catch (const BrenvikError&) {
            // Nothing was left, or the connection is gone; the real error matters.
        }
        throw;
    }
}

} // namespace

CurlRemoteProvider::CurlRemoteProvider(RemoteProfile profile, QString password, QByteArray curlPath,
                                       SftpTools sftpTools)
    : m_profile(std::move(profile)), m_core(std::make_shared<Core>())
{
    m_core->pool.setMaxThreadCount(1);
    m_core->pool.setExpiryTimeout(-1);
    if (m_profile.kind == RemoteProtocolKind::sftp) {
        m_core->sftp = std::make_unique<OpenSSHSFTPTransport>(m_profile, std::move(sftpTools));
    } else {
        m_core->curl = std::make_unique<CurlTransport>(m_profile, std::move(password), std::move(curlPath));
        FTPDiagnostics::shared().record(QStringLiteral("Remote-Transport angelegt: ") + rawValue(m_profile.kind));
    }
}

CurlRemoteProvider::~CurlRemoteProvider()
{
    // The running command sees the stop at once and ends its curl or sftp; the
    // worker is waited for, and the transports released, on another thread.
    m_core->closing = true;
    // While the program shuts down there is no shared pool left, and no window to keep responsive.
    if (QThreadPool* shared = QThreadPool::globalInstance())
        shared->start([core = std::move(m_core)] { core->pool.waitForDone(); });
    else
        m_core->pool.waitForDone();
}

// Not QtConcurrent::run: Qt lets a caller that waits on such a future run the
// task on its own thread when it has not started yet, and a transfer waiting on
// one command would then drive the transport beside the command running on the
// pool's thread. Started by hand, a task can only ever run on that one thread.
template <typename T, typename Work>
QFuture<T> CurlRemoteProvider::submit(Work work)
{
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    promise->start();
    m_core->pool.start([core = m_core, work = std::move(work), promise] {
        const CancellationToken token([&core, &promise] { return core->closing || promise->isCanceled(); });
        RemoteTransport* transport = nullptr;
        // The original exception travels to the caller, not a wrapper around it.
        try {
            token.throwIfCancelled();
            transport = &core->transport();
            transport->setStopCheck(token);
            if constexpr (std::is_void_v<T>)
                work(*core, token);
            else
                promise->addResult(work(*core, token));
        } catch (...) {
            promise->setException(std::current_exception());
        }
        if (transport)
            transport->setStopCheck({});
        promise->finish();
    });
    return future;
}

QFuture<QList<RemoteEntry>> CurlRemoteProvider::list(const QString& path)
{
    return submit<QList<RemoteEntry>>([path](Core& core, const CancellationToken&) {
        return core.transport().list(path);
    });
}

QFuture<bool> CurlRemoteProvider::probeDirectory(const QString& path)
{
    return submit<bool>(
        [path](Core& core, const CancellationToken&) { return core.transport().probeDirectory(path); });
}

QFuture<void> CurlRemoteProvider::download(const QString& remotePath, const FileUrl& localFile)
{
    return submit<void>([remotePath, localFile](Core& core, const CancellationToken&) {
        core.transport().download(remotePath, localFile);
    });
}

QFuture<void> CurlRemoteProvider::upload(const FileUrl& localFile, const QString& remotePath)
{
    return submit<void>([localFile, remotePath](Core& core, const CancellationToken&) {
        core.transport().upload(localFile, remotePath);
    });
}

QFuture<void> CurlRemoteProvider::uploadReplacing(const FileUrl& localFile, const QString& remotePath)
{
    return submit<void>([localFile, remotePath](Core& core, const CancellationToken&) {
        uploadThroughTemporary(core.transport(), localFile, remotePath);
    });
}

QFuture<void> CurlRemoteProvider::downloadTree(const QString& remotePath, const FileUrl& local,
                                               std::shared_ptr<RemoteTransferLog> log)
{
    return submit<void>([remotePath, local, log](Core& core, const CancellationToken& token) {
        RemoteTree::download(core.transport(), remotePath, local, token, log.get());
    });
}

QFuture<void> CurlRemoteProvider::uploadTree(const FileUrl& local, const QString& remotePath,
                                             std::shared_ptr<RemoteTransferLog> log, UploadMode mode)
{
    return submit<void>([local, remotePath, log, mode](Core& core, const CancellationToken& token) {
        RemoteTree::FileUpload send;
        if (mode == UploadMode::throughTemporary)
            send = uploadThroughTemporary;
        RemoteTree::upload(core.transport(), local, remotePath, token, log.get(), send);
    });
}

QFuture<void> CurlRemoteProvider::deleteTree(const QString& path)
{
    return submit<void>(
        [path](Core& core, const CancellationToken& token) { RemoteTree::remove(core.transport(), path, token); });
}

QFuture<void> CurlRemoteProvider::rename(const QString& path, const QString& newPath)
{
    return submit<void>(
        [path, newPath](Core& core, const CancellationToken&) { core.transport().rename(path, newPath); });
}

QFuture<void> CurlRemoteProvider::createDirectory(const QString& path)
{
    return submit<void>([path](Core& core, const CancellationToken&) { core.transport().createDirectory(path); });
}

QFuture<void> CurlRemoteProvider::deleteEntry(const QString& path, bool directory)
{
    return submit<void>([path, directory](Core& core, const CancellationToken&) {
        core.transport().deleteEntry(path, directory);
    });
}

QFuture<void> CurlRemoteProvider::quote(const QString& command)
{
    return submit<void>([command](Core& core, const CancellationToken&) { core.ftp().quote(command); });
}

QFuture<void> CurlRemoteProvider::disconnect()
{
    return submit<void>([](Core& core, const CancellationToken&) { core.transport().disconnect(); });
}
