// Reaching hosts: the host-key scan and the connection checks, against the
// loopback OpenSSH server and listeners that answer as the test wants.
#include "platform/ChildProcess.h"
#include "remote/HostKeyLineCache.h"
#include "remote/HostKeyScanner.h"
#include "remote/NetworkProbe.h"
#include "remote/NetworkProbeError.h"
#include "remote/NetworkProbeFlow.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/SftpTransportError.h"
#include "support/RemoteChecks.h"
#include "support/LoopbackListener.h"
#include "support/SftpServer.h"

namespace {

const QString loopback = QStringLiteral("127.0.0.1");

TEST(HostKeyScanner, ScansOnUntilThePinnedKeyAndAConfirmedOneNeedsNoSecondScan)
{
    const std::optional<SftpTestServer> server = SftpServer::local();
    if (!server)
        GTEST_SKIP() << SftpServer::missingMessage;
    // Without a match every key comes back, in the order ed25519, ecdsa, rsa.
    const QList<ScannedHostKey> all = HostKeyScanner::scan(loopback, server->port, QStringLiteral("SHA256:none"));
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0].fingerprint, server->fingerprint);
    // A pin on the ecdsa key: the ed25519 key does not match, the scan goes on.
    EXPECT_EQ(HostKeyScanner::scan(loopback, server->port, all[1].fingerprint).size(), 2);
    EXPECT_EQ(HostKeyScanner::verifiedLine(loopback, server->port, all[2].fingerprint).line, all[2].line);
    // A later run finds the line in the file, for that host, port and key only.
    HostKeyLineCache later(HostKeyLineCache::shared().file());
    EXPECT_EQ(later.line(loopback, server->port, all[2].fingerprint), all[2].line);
    EXPECT_FALSE(later.line(QStringLiteral("localhost"), server->port, all[2].fingerprint));
    EXPECT_FALSE(later.line(loopback, server->port + 1, all[2].fingerprint));
    EXPECT_FALSE(later.line(loopback, server->port, all[1].fingerprint)) << "scanned, never used";
    const auto mismatch = [&] { HostKeyScanner::verifiedLine(loopback, server->port, QStringLiteral("SHA256:falsch")); };
    EXPECT_EQ(failureKind<SFTPTransportError>(mismatch), SFTPTransportError::Kind::hostKeyMismatch);
    EXPECT_TRUE(failureOf(mismatch).contains(all[2].fingerprint)) << "names every key offered";

    const QStringList confirmed = OpenSSHSFTPTransport::scanFingerprints(loopback, server->port, 30).result();
    EXPECT_EQ(confirmed, QStringList{server->fingerprint});
    // Tools that cannot start: any scan would fail with ProcessStartError.
    const HostKeyTools missing{"/nonexistent/ssh-keyscan"};
    EXPECT_TRUE(HostKeyScanner::verifiedLine(loopback, server->port, confirmed.value(0), missing).remembered);
    EXPECT_THROW(HostKeyScanner::verifiedLine(loopback, server->port, QStringLiteral("SHA256:anders"), missing),
                 ProcessStartError);
    // A name the tools would take for an option never reaches them.
    EXPECT_EQ(failureKind<SFTPTransportError>([&] { HostKeyScanner::scan(QStringLiteral("-oProxyCommand=x"), 22, std::nullopt, missing); }),
              SFTPTransportError::Kind::command);
}

TEST(HostKeyScanner, RefusingAndSilentHostsEndTheScanEachInItsOwnWay)
{
    EXPECT_EQ(failureKind<SFTPTransportError>([&] { HostKeyScanner::fetchFingerprints(loopback, LoopbackListener::closedPort()); }),
              SFTPTransportError::Kind::unavailable);
    // A host that accepts and never says a word ends the whole scan at its limit.
    const LoopbackListener silent;
    QFuture<QStringList> scan = OpenSSHSFTPTransport::scanFingerprints(loopback, silent.port(), 60);
    EXPECT_EQ(failureKind<SFTPTransportError>([&] { scan.waitForFinished(); }), SFTPTransportError::Kind::timeout);
}

const QString passed = QStringLiteral("<kein Fehler>");

TEST(NetworkProbe, TcpTestOnlyNeedsTheConnectionTheSshTestNeedsTheGreeting)
{
    for (const qint64 port : {qint64(70000), qint64(0), qint64(LoopbackListener::closedPort())}) {
        EXPECT_NE(failureOf(NetworkProbe::test(loopback, port, 5)), passed) << port;
        EXPECT_NE(failureOf(NetworkProbe::testSSH(loopback, port, 5)), passed) << port;
    }
    const LoopbackListener silent;
    const LoopbackListener ftp("220 Willkommen\r\n");
    const LoopbackListener ssh("SSH-2.0-Fake\r\n");
    EXPECT_EQ(failureOf(NetworkProbe::test(loopback, silent.port(), 5)), passed);
    EXPECT_EQ(failureOf(NetworkProbe::testSSH(loopback, ssh.port(), 5)), passed);
    const QString noBanner = failureOf(NetworkProbe::testSSH(loopback, ftp.port(), 5));
    const QString timedOut = failureOf(NetworkProbe::testSSH(loopback, silent.port(), 0.3));
    EXPECT_TRUE(noBanner != passed && timedOut != passed && timedOut != noBanner);
    // Fewer than four bytes and then silence: still waiting for a greeting.
    EXPECT_EQ(failureOf(NetworkProbe::testSSH(loopback, LoopbackListener("SSH").port(), 0.3)), timedOut);
    EXPECT_EQ(failureOf(NetworkProbe::testSSH(loopback, LoopbackListener("SSH-\xff\xfe").port(), 5)), noBanner);

    // The editor's check: an FTP greeting passes for FTPS, but is no SSH server.
    using Tone = EditorStatus::Tone;
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), RemoteProtocolKind::ftps).result().tone, Tone::success);
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), std::nullopt).result().tone, Tone::failure);

    QFuture<void> cancelled = NetworkProbe::testSSH(loopback, silent.port(), 600);
    cancelled.cancel();
    cancelled.waitForFinished();
    EXPECT_TRUE(cancelled.isCanceled());
}

} // namespace
