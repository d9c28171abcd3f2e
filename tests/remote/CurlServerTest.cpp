// The provider with the real curl against the suite's FTP servers: plain and
// explicit FTPS, one whose listings the test crafts, and Debian's ProFTPD.
#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteTransportError.h"

#include "support/RemoteChecks.h"
#include "support/FtpServers.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QUuid>
#include <unistd.h>

namespace {

// A fresh folder `base` on a server and a provider logged in there.
class FtpServerTest : public ::testing::Test {
protected:
    void start(std::optional<FtpTestServer> found, RemoteProtocolKind kind = RemoteProtocolKind::ftp,
               const char* missing = FtpServers::missingMessage)
    {
        server = std::move(found);
        if (!server)
            GTEST_SKIP() << missing;
        base = QStringLiteral("/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        ASSERT_TRUE(QDir().mkpath(onServer(base)));
        provider.emplace(server->profile(kind), server->password);
    }

    QString onServer(const QString& remotePath) const { return QString::fromUtf8(server->root) + remotePath; }

    std::optional<FtpTestServer> server;
    QString base;
    std::optional<CurlRemoteProvider> provider;
    TempFolder local;
};

class CurlServerTest : public FtpServerTest, public ::testing::WithParamInterface<RemoteProtocolKind> {
protected:
    void SetUp() override
    {
        start(GetParam() == RemoteProtocolKind::ftps ? FtpServers::explicitTls() : FtpServers::plain(), GetParam());
    }
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

// A server whose listings the test crafts: what it lists must never make a tree
// operation act outside the folder it was given, nor grow without bound.
class CurlCraftedListing : public FtpServerTest {
protected:
    void SetUp() override { start(FtpServers::crafted()); }
};

QByteArray fileLine(const QByteArray& name)
{
    return "-rw-r--r--   1 owner    group           5 Jan 01 00:00 " + name + "\r\n";
}

TEST_F(CurlCraftedListing, NameLeadingOutOfTheFolderStopsDownloadAndDeleteBeforeAnything)
{
    // The file the crafted name points at exists, so that following it would work.
    putFile(onServer(base + "/entkommen.txt"), "boese");
    putFile(onServer(base + "/fall/harmlos.txt"), "harmlos");
    putFile(onServer(base + "/fall/.crafted-list"), fileLine("harmlos.txt") + fileLine("../entkommen.txt"));
    // One level down, so that "../x" would still land in the test's folder.
    EXPECT_EQ(failureKind<RemoteTransportError>(provider->downloadTree(base + QStringLiteral("/fall"), local.file("tief/ziel"))),
              RemoteTransportError::Kind::unsafeEntryName);
    EXPECT_EQ(treeOf(local.url().path()).keys(), (QStringList{QStringLiteral("/tief"), QStringLiteral("/tief/ziel")}));

    EXPECT_EQ(failureKind<RemoteTransportError>(provider->deleteTree(base + QStringLiteral("/fall"))), RemoteTransportError::Kind::unsafeEntryName);
    EXPECT_TRUE(QFileInfo::exists(onServer(base + "/entkommen.txt")));
    EXPECT_TRUE(QFileInfo::exists(onServer(base + "/fall/harmlos.txt")));
}

TEST_F(CurlCraftedListing, AFileGoneSinceTheListingEndsTheFolderWhatCameBeforeIsInPlaceAndLogged)
{
    const QString folder = base + QStringLiteral("/fall");
    for (const char* name : {"a b;type=a.txt", "leer", "z.txt"})
        putFile(onServer(folder + u'/' + name), name == QByteArray("leer") ? "" : name);
    putFile(onServer(folder + "/.crafted-list"), fileLine("a b;type=a.txt") + fileLine("leer") + fileLine("weg") + fileLine("z.txt"));
    const auto log = std::make_shared<RemoteTransferLog>();
    EXPECT_EQ(failureOf(provider->downloadTree(folder, local.file("d"), log)),
              "Remote-Vorgang fehlgeschlagen bei „" + folder + "/weg“: curl: (78) The file does not exist");
    EXPECT_EQ(log->files, QStringList({folder + "/a b;type=a.txt", folder + "/leer"}));
    EXPECT_TRUE(log->folders.isEmpty());
    EXPECT_EQ(treeOf(local.file("d").path()), (QMap<QString, QByteArray>{{"/a b;type=a.txt", "a b;type=a.txt"}, {"/leer", ""}}));
}

TEST_F(CurlCraftedListing, EndlessListingsEndWithAClearErrorLargeOnesStillList)
{
    QByteArray large;
    for (int i = 0; i < 100'000; ++i)
        large += fileLine("datei-" + QByteArray::number(i));
    putFile(onServer(base + "/gross/.crafted-list"), large);
    putFile(onServer(base + "/endlos/.crafted-list"), QByteArray(1'000'100, '\n'));
    EXPECT_EQ(provider->list(base + QStringLiteral("/gross")).result().size(), 100'000);
    EXPECT_EQ(failureKind<RemoteTransportError>(provider->list(base + QStringLiteral("/endlos"))), RemoteTransportError::Kind::listingTooLarge);
}

// Debian's ProFTPD: a real server's listing format, links shown as "name -> target",
// hidden names listed only on request.
class Proftpd : public FtpServerTest {
protected:
    void SetUp() override
    {
        start(FtpServers::proftpd(), RemoteProtocolKind::ftp, "ProFTPD läuft nicht: scripts/services/proftpd.sh startet ihn.");
    }
};

TEST_F(Proftpd, TreesKeepHiddenNamesCurlSyntaxAndNeverEnterLinks)
{
    const QString root = QString::fromUtf8(server->root);
    const QString outside = base + QStringLiteral("-aussen");
    const auto put = [&](const QString& path, const QByteArray& contents) { putFile(root + path, contents); };
    put(base + "/.env", "geheim");
    const QByteArray binary("A\0\1\r\n\xff", 6); // arrives only in binary mode
    put(base + "/a;type=i", binary);
    put(base + "/Fotos [2020]/x{a,b}.txt", "X");
    put(outside + "/bleibt.txt", "B");
    ASSERT_EQ(::symlink("Fotos [2020]/x{a,b}.txt", (root + base + "/zu-datei").toUtf8().constData()), 0);
    ASSERT_EQ(::symlink(("../" + outside.mid(1)).toUtf8().constData(), (root + base + "/zu-ordner").toUtf8().constData()), 0);
    // The server's sessions may run as another user: they own what they must delete.
    ASSERT_EQ(QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-hR"), "--reference=" + root, root + base}), 0);

    QStringList names;
    for (const RemoteEntry& entry : provider->list(base).result())
        names.append(entry.name + (entry.isLink ? "@" : entry.isDirectory ? "/" : ""));
    EXPECT_EQ(names, QStringList({"Fotos [2020]/", ".env", "a;type=i", "zu-datei@", "zu-ordner@"}));

    const QString linksLeftOut = failureOf(provider->downloadTree(base, local.file("d")));
    EXPECT_TRUE(linksLeftOut.endsWith(u'\n' + base + "/zu-ordner")) << linksLeftOut.toStdString();
    const QString d = local.file("d").path();
    EXPECT_EQ(treeOf(d), (QMap<QString, QByteArray>{{"/.env", "geheim"}, {"/a;type=i", binary}, {"/Fotos [2020]", "<Ordner>"},
                                                    {"/Fotos [2020]/x{a,b}.txt", "X"}, {"/zu-datei", "X"}}));
    // A single file takes the same call.
    provider->downloadTree(base + "/.env", local.file("e")).waitForFinished();
    EXPECT_EQ(contentsOf(local.file("e").path()), "geheim");

    const QString uploaded = base + QStringLiteral("-hoch");
    local.makeFolder("d/leer");
    provider->uploadTree(local.file("d"), uploaded).waitForFinished();
    // Again, onto the folders that now exist: their failing creation is no error.
    local.write("d/Fotos [2020]/neu.txt", "neu");
    provider->uploadTree(local.file("d"), uploaded).waitForFinished();
    EXPECT_EQ(treeOf(root + uploaded), treeOf(d));

    provider->deleteTree(base).waitForFinished();
    provider->deleteTree(uploaded).waitForFinished();
    EXPECT_FALSE(QFileInfo::exists(root + base));
    EXPECT_FALSE(QFileInfo::exists(root + uploaded));
    EXPECT_EQ(contentsOf(root + outside + "/bleibt.txt"), "B");
}

} // namespace
