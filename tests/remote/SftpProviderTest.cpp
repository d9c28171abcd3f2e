// The remote provider with SFTP profiles: every operation goes to the OpenSSH
// transport, so the tree operations work over SFTP as they do over FTP.
#include "SftpFixture.h"

#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteTransportError.h"
#include "remote/SftpTransportError.h"
#include "support/CurlStandIn.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QUuid>

namespace {

template <typename Future>
QString failureOf(Future future)
{
    try {
        future.waitForFinished();
    } catch (const BrenvikError& error) {
        return error.typeName() + QStringLiteral(": ") + error.description();
    }
    return QStringLiteral("<kein Fehler>");
}

// Relative path -> contents ("/" for folders) of everything below `root`.
QMap<QString, QByteArray> treeOf(const QByteArray& root)
{
    QMap<QString, QByteArray> tree;
    const QString base = QString::fromUtf8(root);
    for (QDirIterator entries(base, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         entries.hasNext();) {
        const QString path = entries.next();
        QFile file(path);
        tree.insert(path.mid(base.size()),
                    entries.fileInfo().isDir() ? QByteArray("/") : (file.open(QIODevice::ReadOnly) ? file.readAll() : "?"));
    }
    return tree;
}

TEST(SftpProvider, SftpProfilesNeverRunCurl)
{
    CurlStandIn curl;
    RemoteProfile profile;
    profile.kind = RemoteProtocolKind::sftp;
    profile.host = QStringLiteral("127.0.0.1");
    CurlRemoteProvider provider(profile, QStringLiteral("ungenutzt"), curl.path());
    // The transport's own errors come through unchanged.
    EXPECT_EQ(failureOf(provider.list(QStringLiteral("/"))),
              QStringLiteral("SFTPTransportError: ") + SFTPTransportError::missingHostKey().description());
    EXPECT_EQ(failureOf(provider.quote(QStringLiteral("NOOP"))),
              QStringLiteral("RemoteTransportError: Remote-Vorgang fehlgeschlagen: Rohe FTP-Befehle gibt es nur bei "
                             "FTP und FTPS."));
    EXPECT_FALSE(provider.probeDirectory(QStringLiteral("/")).result());
    EXPECT_EQ(failureOf(provider.disconnect()), QStringLiteral("<kein Fehler>"));
    EXPECT_TRUE(curl.calls().isEmpty());
}

class SftpProviderOnServer : public SftpFixture {};

TEST_F(SftpProviderOnServer, TreesTravelBothWaysAndAreDeleted)
{
    const QString folder = server.makeFolder("tree-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces));
    TempFolder local;
    local.write("quelle/a b.txt", "eins");
    local.write("quelle/.versteckt", "zwei");
    local.write("quelle/unter/-tief \"q\".txt", "drei");
    local.makeFolder("quelle/leer");
    CurlRemoteProvider provider(profile, QString(), CurlRemoteProvider::systemCurl, tools());

    provider.uploadTree(local.file("quelle"), folder + QStringLiteral("/kopie")).waitForFinished();
    const QMap<QString, QByteArray> uploaded = treeOf(server.localPath(folder.toUtf8() + "/kopie"));
    EXPECT_EQ(uploaded, treeOf(local.file("quelle").nativePath()));

    provider.downloadTree(folder + QStringLiteral("/kopie"), local.file("zurueck")).waitForFinished();
    EXPECT_EQ(treeOf(local.file("zurueck").nativePath()), uploaded);

    // Replaced only once complete, no temporary name left behind.
    provider.uploadReplacing(local.write("neu.txt", "neu"), folder + QStringLiteral("/kopie/a b.txt")).waitForFinished();
    const QMap<QString, QByteArray> replaced = treeOf(server.localPath(folder.toUtf8() + "/kopie"));
    EXPECT_EQ(replaced.value(QStringLiteral("/a b.txt")), "neu");
    EXPECT_EQ(replaced.keys(), uploaded.keys());

    provider.deleteTree(folder + QStringLiteral("/kopie")).waitForFinished();
    EXPECT_TRUE(provider.list(folder).result().isEmpty());
    provider.disconnect().waitForFinished();
}

} // namespace
