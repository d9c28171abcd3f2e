#pragma once

#include "platform/ChildProcess.h"
#include "remote/CurlCommand.h"
#include "remote/RemoteProfile.h"
#include "remote/RemoteTransport.h"

#include <QByteArray>

// FTP and explicit FTPS through curl: one curl process per operation, each
// logging in anew, so there is no connection to keep or to end.
class CurlTransport : public RemoteTransport {
public:
    // `curlPath` is the absolute path of the curl executable (tests substitute one).
    CurlTransport(RemoteProfile profile, QString password, QByteArray curlPath);

    // Hidden entries included ("LIST -a" where the server takes it). Fails with
    // RemoteTransportError::listingTooLarge beyond FtpListing's limits.
    QList<RemoteEntry> list(const QString& path) override;
    bool probeDirectory(const QString& path) override;
    // Written beside the destination under a ".brvk-" name and moved into place
    // when complete: a failed transfer leaves an existing file as it was.
    void download(const QString& remotePath, const FileUrl& localFile) override;
    // Several files through one curl, which logs in once for them all (a new
    // log-in per file costs more than a small file's transfer). Each file has its
    // own ".brvk-" file, moved into place once curl has ended and reported that
    // file's transfer complete; a batch is bounded in files and argument bytes.
    void downloadFiles(const QList<FileDownload>& files, const std::function<void(qsizetype)>& arrived) override;
    void upload(const FileUrl& localFile, const QString& remotePath) override;
    // Refuses a target the parent's listing shows (RNTO itself would replace it).
    void rename(const QString& path, const QString& newPath) override;
    void replace(const QString& path, const QString& newPath) override;
    void createDirectory(const QString& path) override;
    void deleteEntry(const QString& path, bool directory) override;
    void disconnect() override {}

    // Sends one raw FTP command after the log-in. A command with a carriage
    // return, line feed or NUL is refused: one call is always exactly one command.
    void quote(const QString& command);

    // Runs curl with the common arguments and `operationArguments`; its standard
    // output. Throws ProcessStartError, CancellationError when the stop check
    // said stop, or RemoteTransportError::commandFailed with the failure summary
    // when curl exits with an error. With `onOutputLimit`, more output than a
    // listing may have ends curl and calls it (it throws).
    QString run(const QList<QByteArray>& operationArguments, CurlCommand::Limit limit = CurlCommand::Limit::totalTime,
                const std::function<void()>& onOutputLimit = {});

private:
    // Runs curl as `run` does and returns how it ended, whatever its exit status;
    // throws only when it could not start or the stop check said stop.
    ChildProcessResult execute(const QList<QByteArray>& operationArguments, CurlCommand::Limit limit,
                               qsizetype outputLimit = -1);
    void downloadBatch(const QList<FileDownload>& files, const QList<QByteArray>& urls,
                       const std::function<void(qsizetype)>& arrived);
    QString runListing(const QString& path, const QList<QByteArray>& extraArguments);
    QByteArray url(const QString& path, bool directory) const;

    RemoteProfile m_profile;
    QString m_password;
    QByteArray m_curlPath;
};
