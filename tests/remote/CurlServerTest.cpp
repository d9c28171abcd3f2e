// The provider with the real curl against real FTP and explicit-FTPS servers.
#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/RemoteTransportError.h"

#include "support/FtpServers.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QUuid>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
}

// Relative path → contents, "<Ordner>" for folders; links read as what they point to.
QMap<QString, QByteArray> treeOf(const QString& root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree.insert(path.mid(root.size() + 1),
                    QFileInfo(path).isDir() ? QByteArray("<Ordner>") : contentsOf(path));
    }
    return tree;
}

template <typename Future>
QString failureOf(Future future)
{
    try {
        future.waitForFinished();
    } catch (const BrenvikError& error) {
        return error.description();
    }
    return QStringLiteral("<kein Fehler>");
}

class CurlServerTest : public ::testing::TestWithParam<RemoteProtocolKind> {
protected:
    void SetUp() override
    {
        server = GetParam() == RemoteProtocolKind::ftps ? FtpServers::explicitTls() : FtpServers::plain();
        if (!server)
            GTEST_SKIP() << FtpServers::missingMessage;
        base = QStringLiteral("/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        ASSERT_TRUE(QDir().mkpath(onServer(base)));
        provider = std::make_unique<CurlRemoteProvider>(server->profile(GetParam()), server->password);
    }

    QString onServer(const QString& remotePath) const { return QString::fromUtf8(server->root) + remotePath; }

    std::optional<FtpTestServer> server;
    QString base;
    std::unique_ptr<CurlRemoteProvider> provider;
    TempFolder local;
};

TEST_P(CurlServerTest, SingleEntriesRoundTrip)
{
    const QString folder = base + QStringLiteral("/Ordner #1 100%");
    const QString remoteFile = folder + QStringLiteral("/a b#?%.txt");
    const QByteArray data("Inhalt mit\0Null und \r\n Zeilen", 29);
    const FileUrl source = local.write("quelle.txt", data);

    provider->createDirectory(folder).waitForFinished();
    EXPECT_TRUE(QFileInfo(onServer(folder)).isDir());
    provider->upload(source, remoteFile).waitForFinished();
    EXPECT_EQ(contentsOf(onServer(remoteFile)), data);
    // Missing parent folders are not created.
    EXPECT_TRUE(failureOf(provider->upload(source, base + QStringLiteral("/fehlt/x.txt")))
                    .startsWith(QStringLiteral("Remote-Vorgang fehlgeschlagen: curl: (")));

    const QList<RemoteEntry> inBase = provider->list(base).result();
    ASSERT_EQ(inBase.size(), 1);
    EXPECT_EQ(inBase[0].name, QStringLiteral("Ordner #1 100%"));
    EXPECT_TRUE(inBase[0].isDirectory);
    const QList<RemoteEntry> inFolder = provider->list(folder).result();
    ASSERT_EQ(inFolder.size(), 1);
    EXPECT_EQ(inFolder[0].name, QStringLiteral("a b#?%.txt"));
    EXPECT_FALSE(inFolder[0].isDirectory);
    EXPECT_EQ(inFolder[0].size, data.size());
    EXPECT_FALSE(inFolder[0].modified.isEmpty());

    EXPECT_TRUE(provider->probeDirectory(folder).result());
    EXPECT_FALSE(provider->probeDirectory(remoteFile).result());
    EXPECT_FALSE(provider->probeDirectory(base + QStringLiteral("/gibt es nicht")).result());

    const FileUrl back = local.file("zurück.txt");
    provider->download(remoteFile, back).waitForFinished();
    EXPECT_EQ(contentsOf(back.path()), data);

    const QString renamed = base + QStringLiteral("/umbenannt äö.txt");
    provider->rename(remoteFile, renamed).waitForFinished();
    EXPECT_FALSE(QFileInfo::exists(onServer(remoteFile)));
    EXPECT_EQ(contentsOf(onServer(renamed)), data);

    provider->deleteEntry(renamed, false).waitForFinished();
    provider->deleteEntry(folder, true).waitForFinished();
    EXPECT_TRUE(QDir(onServer(base)).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_P(CurlServerTest, WholeTreesTravelBothWaysAndAreDeleted)
{
    local.write("baum/a.txt", "a");
    local.write("baum/.versteckt", "still");
    local.write("baum/unter ordner/b #%.bin", QByteArray("\0\1\r\n\xff", 5));
    local.write("baum/unter ordner/tief/c.txt", "c");
    local.makeFolder("baum/leer");
    const QString tree = base + QStringLiteral("/baum");

    provider->uploadTree(local.file("baum"), tree).waitForFinished();
    QMap<QString, QByteArray> expected = treeOf(local.file("baum").path());
    EXPECT_EQ(treeOf(onServer(tree)), expected);

    // Again, onto the folders that now exist: the failing folder creations are ignored.
    local.write("baum/unter ordner/neu.txt", "neu");
    provider->uploadTree(local.file("baum"), tree).waitForFinished();
    expected = treeOf(local.file("baum").path());
    EXPECT_EQ(treeOf(onServer(tree)), expected);

    const FileUrl back = local.file("zurück/baum");
    provider->downloadTree(tree, back).waitForFinished();
    EXPECT_EQ(treeOf(back.path()), expected);

    // Single files take the same calls.
    provider->downloadTree(tree + QStringLiteral("/a.txt"), local.file("einzeln.txt")).waitForFinished();
    EXPECT_EQ(contentsOf(local.file("einzeln.txt").path()), "a");
    provider->deleteTree(tree + QStringLiteral("/a.txt")).waitForFinished();
    EXPECT_FALSE(QFileInfo::exists(onServer(tree + QStringLiteral("/a.txt"))));

    provider->deleteTree(tree).waitForFinished();
    EXPECT_FALSE(QFileInfo::exists(onServer(tree)));
    EXPECT_TRUE(QFileInfo(onServer(base)).isDir());
}

TEST_P(CurlServerTest, LogInWithAnyCharactersAndWrongPasswordsSayWhy)
{
    // The account's name and password hold quotes, a backslash and blanks; the line
    // breaks added here are dropped on the way to curl.
    RemoteProfile profile = server->profile(GetParam());
    profile.username.insert(2, QStringLiteral("\r\n"));
    CurlRemoteProvider broken(profile, server->password + QStringLiteral("\n"));
    EXPECT_TRUE(broken.list(base).result().isEmpty());

    CurlRemoteProvider wrong(server->profile(GetParam()), QStringLiteral("falsch"));
    EXPECT_EQ(failureOf(wrong.list(base)), QStringLiteral("Remote-Vorgang fehlgeschlagen: curl: (67) Access denied: 530"));
}

INSTANTIATE_TEST_SUITE_P(Servers, CurlServerTest,
                         ::testing::Values(RemoteProtocolKind::ftp, RemoteProtocolKind::ftps),
                         [](const auto& info) {
                             return info.param == RemoteProtocolKind::ftps ? std::string("FTPS") : std::string("FTP");
                         });

TEST(CurlFtps, TlsIsRequiredAndVerified)
{
    const auto secure = FtpServers::explicitTls();
    const auto plain = FtpServers::plain();
    if (!secure || !plain)
        GTEST_SKIP() << FtpServers::missingMessage;

    // An FTPS profile never falls back to plain FTP.
    CurlRemoteProvider downgraded(plain->profile(RemoteProtocolKind::ftps), plain->password);
    EXPECT_TRUE(failureOf(downgraded.list(QStringLiteral("/")))
                    .startsWith(QStringLiteral("Remote-Vorgang fehlgeschlagen: curl: (64)")));

    // A certificate nobody vouches for is refused.
    const QByteArray trusted = qgetenv("CURL_CA_BUNDLE");
    qputenv("CURL_CA_BUNDLE", "/etc/ssl/certs/ca-certificates.crt");
    CurlRemoteProvider untrusted(secure->profile(RemoteProtocolKind::ftps), secure->password);
    const QString failure = failureOf(untrusted.list(QStringLiteral("/")));
    qputenv("CURL_CA_BUNDLE", trusted);
    EXPECT_EQ(failure, QStringLiteral("Remote-Vorgang fehlgeschlagen: curl: (60) SSL certificate problem: "
                                      "self-signed certificate"));

    // Without TLS the FTPS server lets nobody log in.
    CurlRemoteProvider clear(secure->profile(RemoteProtocolKind::ftp), secure->password);
    EXPECT_TRUE(failureOf(clear.list(QStringLiteral("/")))
                    .startsWith(QStringLiteral("Remote-Vorgang fehlgeschlagen: curl: (67)")));
}

} // namespace
