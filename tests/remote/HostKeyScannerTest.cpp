#include "platform/ChildProcess.h"
#include "remote/HostKeyScanner.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/SftpTransportError.h"
#include "support/RemoteChecks.h"
#include "support/LoopbackListener.h"
#include "support/SftpServer.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(HostKeyScanner::verifiedLine(loopback, server->port, all[2].fingerprint), all[2].line);
    const auto mismatch = [&] { HostKeyScanner::verifiedLine(loopback, server->port, QStringLiteral("SHA256:falsch")); };
    EXPECT_EQ(failureKind<SFTPTransportError>(mismatch), SFTPTransportError::Kind::hostKeyMismatch);
    EXPECT_TRUE(failureOf(mismatch).contains(all[2].fingerprint)) << "names every key offered";

    const QStringList confirmed = OpenSSHSFTPTransport::scanFingerprints(loopback, server->port, 30).result();
    EXPECT_EQ(confirmed, QStringList{server->fingerprint});
    // Tools that cannot start: any scan would fail with ProcessStartError.
    const HostKeyTools missing{"/nonexistent/ssh-keyscan", "/nonexistent/ssh-keygen"};
    EXPECT_FALSE(HostKeyScanner::verifiedLine(loopback, server->port, confirmed.value(0), missing).isEmpty());
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

} // namespace
