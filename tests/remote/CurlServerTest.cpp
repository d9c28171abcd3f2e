// The provider with the real curl against real FTP and explicit-FTPS servers.
#include "remote/CurlRemoteProvider.h"

#include "support/RemoteChecks.h"
#include "support/FtpServers.h"
#include "support/TestEnvironment.h"

#include <QUuid>

namespace {

class CurlServerTest : public ::testing::TestWithParam<RemoteProtocolKind> {
protected:
    void SetUp() override
    {
        server = GetParam() == RemoteProtocolKind::ftps ? FtpServers::explicitTls() : FtpServers::plain();
        if (!server)
            GTEST_SKIP() << FtpServers::missingMessage;
        base = QStringLiteral("/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        ASSERT_TRUE(QDir().mkpath(onServer(base)));
        provider.emplace(server->profile(GetParam()), server->password);
    }

    QString onServer(const QString& remotePath) const { return QString::fromUtf8(server->root) + remotePath; }

    std::optional<FtpTestServer> server;
    QString base;
    std::optional<CurlRemoteProvider> provider;
    TempFolder local;
};

TEST_P(CurlServerTest, SingleEntriesRoundTrip)
{
    const QString folder = base + QStringLiteral("/Ordner #1 100%");
    const QString remoteFile = folder + QStringLiteral("/a b#?%.txt");
    const QByteArray data("Inhalt mit\0Null und \r\n Zeilen", 29);
    const FileUrl source = local.write("quelle.txt", data);

    provider->createDirectory(folder).waitForFinished();
    provider->upload(source, remoteFile).waitForFinished();
    EXPECT_EQ(contentsOf(onServer(remoteFile)), data);
    // Missing parent folders are not created.
    EXPECT_NE(failureOf(provider->upload(source, base + QStringLiteral("/fehlt/x.txt"))), QStringLiteral("<kein Fehler>"));

    const QList<RemoteEntry> inFolder = provider->list(folder).result();
    ASSERT_EQ(inFolder.size(), 1);
    EXPECT_EQ(inFolder[0].name, QStringLiteral("a b#?%.txt"));
    EXPECT_EQ(inFolder[0].size, data.size());
    EXPECT_TRUE(provider->probeDirectory(folder).result());
    EXPECT_FALSE(provider->probeDirectory(remoteFile).result());

    const FileUrl back = local.file("zurück.txt");
    provider->download(remoteFile, back).waitForFinished();
    EXPECT_EQ(contentsOf(back.path()), data);

    const QString renamed = base + QStringLiteral("/umbenannt äö.txt");
    provider->rename(remoteFile, renamed).waitForFinished();
    EXPECT_EQ(contentsOf(onServer(renamed)), data);
    provider->deleteEntry(renamed, false).waitForFinished();
    provider->deleteEntry(folder, true).waitForFinished();
    EXPECT_TRUE(QDir(onServer(base)).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST_P(CurlServerTest, WholeTreesTravelBothWaysAndAreDeleted)
{
    local.write("baum/.versteckt", "still");
    local.write("baum/unter ordner/b #%.bin", QByteArray("\0\1\r\n\xff", 5));
    local.write("baum/unter ordner/tief/c.txt", "c");
    local.makeFolder("baum/leer");
    const QString tree = base + QStringLiteral("/baum");
    provider->uploadTree(local.file("baum"), tree).waitForFinished();
    // Again, onto the folders that now exist: the failing folder creations are ignored.
    local.write("baum/unter ordner/neu.txt", "neu");
    provider->uploadTree(local.file("baum"), tree).waitForFinished();
    const QMap<QString, QByteArray> expected = treeOf(local.file("baum").path());
    EXPECT_EQ(treeOf(onServer(tree)), expected);

    provider->downloadTree(tree, local.file("zurück/baum")).waitForFinished();
    EXPECT_EQ(treeOf(local.file("zurück/baum").path()), expected);
    // A single file takes the same call.
    provider->downloadTree(tree + QStringLiteral("/unter ordner/tief/c.txt"), local.file("c.txt")).waitForFinished();
    EXPECT_EQ(contentsOf(local.file("c.txt").path()), "c");

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

INSTANTIATE_TEST_SUITE_P(Servers, CurlServerTest, ::testing::Values(RemoteProtocolKind::ftp, RemoteProtocolKind::ftps),
                         [](const auto& info) { return info.param == RemoteProtocolKind::ftps ? "FTPS" : "FTP"; });

TEST(CurlFtps, TlsIsRequiredAndVerified)
{
    const auto secure = FtpServers::explicitTls();
    const auto plain = FtpServers::plain();
    if (!secure || !plain)
        GTEST_SKIP() << FtpServers::missingMessage;
    // An FTPS profile never falls back to plain FTP.
    CurlRemoteProvider downgraded(plain->profile(RemoteProtocolKind::ftps), plain->password);
    EXPECT_TRUE(failureOf(downgraded.list(QStringLiteral("/"))).contains(QStringLiteral("curl: (64)")));

    // A certificate nobody vouches for is refused.
    const QByteArray trusted = qgetenv("CURL_CA_BUNDLE");
    qputenv("CURL_CA_BUNDLE", "/etc/ssl/certs/ca-certificates.crt");
    CurlRemoteProvider untrusted(secure->profile(RemoteProtocolKind::ftps), secure->password);
    const QString failure = failureOf(untrusted.list(QStringLiteral("/")));
    qputenv("CURL_CA_BUNDLE", trusted);
    EXPECT_TRUE(failure.contains(QStringLiteral("curl: (60)"))) << failure.toStdString();

    // Without TLS the FTPS server lets nobody log in.
    CurlRemoteProvider clear(secure->profile(RemoteProtocolKind::ftp), secure->password);
    EXPECT_TRUE(failureOf(clear.list(QStringLiteral("/"))).contains(QStringLiteral("curl: (67)")));
}

} // namespace
