#pragma once

#include "remote/RemoteProfile.h"
#include "remote/RemoteTransport.h"

#include <QByteArray>

// FTP and explicit FTPS through curl: one curl process per operation, each
// logging in anew, so there is no connection to keep or to end.
class CurlTransport : public RemoteTransport {
public:
    // `curlPath` is the absolute path of the curl executable (tests substitute one).
    CurlTransport(RemoteProfile profile, QString password, QByteArray curlPath);

    QList<RemoteEntry> list(const QString& path) override;
    bool probeDirectory(const QString& path) override;
    // Written beside the destination under a ".brvk-" name and moved into place
    // when complete: a failed transfer leaves an existing file as it was.
    void download(const QString& remotePath, const FileUrl& localFile) override;
    void upload(const FileUrl& localFile, const QString& remotePath) override;
    void rename(const QString& path, const QString& newPath) override;
    void createDirectory(const QString& path) override;
    void deleteEntry(const QString& path, bool directory) override;
    void disconnect() override {}

    // Sends one raw FTP command after the log-in. Carriage returns and line feeds
    // are dropped: one call is always exactly one command.
    void quote(const QString& command);

    // Runs curl with the common arguments and `operationArguments`; its standard
    // output. Throws ProcessStartError, or RemoteTransportError::commandFailed
    // with the failure summary when curl exits with an error.
    QString run(const QList<QByteArray>& operationArguments);

private:
    QByteArray url(const QString& path, bool directory) const;

    RemoteProfile m_profile;
    QString m_password;
    QByteArray m_curlPath;
};
