#pragma once

#include "panels/FilePanelController.h"
#include "panels/RemotePanelSession.h"
#include "remote/CredentialStore.h"
#include "remote/CurlRemoteProvider.h"
#include "support/FtpServers.h"
#include "support/SecretService.h"
#include "support/SftpServer.h"

#include <QDir>
#include <QProcess>
#include <QFile>
#include <QSignalSpy>
#include <QUuid>
#include <gtest/gtest.h>
#include <sys/stat.h>

// A server of the suite as a panel reaches it (for tests that define
// BRENVIK_EXECUTABLE): a fresh folder for the test,
// files put there as the server's account owns them, and panels whose
// providers log in as the program does (SFTP through the real executable's
// askpass mode, the password in the private keychain).
class RemoteTestServer {
public:
    static std::optional<RemoteTestServer> start(RemoteProtocolKind kind)
    {
        RemotePanelProviders::setFactory([](const RemoteProfile& profile, const QString& password) {
            SftpTools tools;
            tools.askpass = BRENVIK_EXECUTABLE;
            return std::make_shared<CurlRemoteProvider>(profile, password, CurlRemoteProvider::systemCurl, tools);
        });
        RemoteTestServer server;
        const QByteArray name = "panel-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
        if (kind == RemoteProtocolKind::sftp) {
            server.m_sftp = SftpServer::local();
            if (!server.m_sftp || !privateSecretServiceReachable())
                return std::nullopt;
            server.profile = server.m_sftp->profile();
            server.root = server.m_sftp->root;
            server.folder = server.m_sftp->makeFolder(name);
            CredentialStore::forApplication().save(server.m_sftp->password, server.profile.id);
            return server;
        }
        const std::optional<FtpTestServer> ftp =
            kind == RemoteProtocolKind::ftps ? FtpServers::explicitTls() : FtpServers::plain();
        if (!ftp)
            return std::nullopt;
        server.profile = ftp->profile(kind);
        server.password = ftp->password;
        server.root = ftp->root;
        server.folder = u'/' + QString::fromUtf8(name);
        QDir().mkpath(QString::fromUtf8(server.local(server.folder)));
        return server;
    }

    // A profile of its own (another id) that opens `path`.
    RemoteProfile profileAt(const QString& path) const
    {
        RemoteProfile opened = profile;
        opened.initialPath = path;
        return opened;
    }

    QByteArray local(const QString& serverPath) const { return root + serverPath.toUtf8(); }
    // Below the test's folder, owned by the server's account; parents are made as needed.
    void write(const QString& relative, const QByteArray& contents) const
    {
        const QString path = folder + u'/' + relative;
        makeFolder(relative.section(u'/', 0, -2));
        if (m_sftp)
            return m_sftp->writeFile(path.toUtf8(), contents);
        QFile file(QString::fromUtf8(local(path)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    void makeFolder(const QString& relative) const
    {
        QString path = folder;
        for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
            path += u'/' + part;
            ::mkdir(local(path).constData(), 0755);
            if (m_sftp)
                QProcess::execute(QStringLiteral("chown"), {m_sftp->user, QString::fromUtf8(local(path))});
        }
    }
    QByteArray read(const QString& relative) const
    {
        QFile file(QString::fromUtf8(local(folder + u'/' + relative)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
    }
    QStringList entries(const QString& relative = {}) const
    {
        return QDir(QString::fromUtf8(local(folder + u'/' + relative)))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    }

    void forget() const
    {
        if (m_sftp)
            CredentialStore::forApplication().remove(profile.id);
    }

    RemoteProfile profile;
    QString password; // FTP only: SFTP reads the keychain
    QByteArray root;
    QString folder;

private:
    std::optional<SftpTestServer> m_sftp;
};

// Opens the profile in the panel and waits for its first listing.
inline void openRemoteAndWait(FilePanelController& panel, const RemoteTestServer& server, const QString& path)
{
    QSignalSpy listed(&panel, &FilePanelController::listingFinished);
    panel.openRemote(server.profileAt(path), server.password);
    ASSERT_TRUE(listed.wait(20000)) << "no remote listing";
}

// Waits until the panel's remote work (transfer, deletion, download) has ended.
inline void waitForRemoteWork(FilePanelController& panel)
{
    QSignalSpy ended(&panel, &FilePanelController::remoteWorkFinished);
    ASSERT_TRUE(ended.wait(30000)) << "the remote work did not end";
}
