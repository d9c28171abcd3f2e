#include "platform/ChildProcess.h"
#include "remote/HostKeyScanner.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/SftpTransportError.h"
#include "support/LoopbackListener.h"
#include "support/SftpServer.h"

#include <gtest/gtest.h>

namespace {

const QString loopback = QStringLiteral("127.0.0.1");

#define REQUIRE_SFTP_SERVER(server)                                                                            \
    const std::optional<SftpTestServer> server = SftpServer::local();                                          \
    if (!server)                                                                                               \
    GTEST_SKIP() << SftpServer::missingMessage

template <typename Body>
SFTPTransportError expectSftpError(Body body)
{
    try {
        body();
    } catch (const SFTPTransportError& error) {
        return error;
    }
    ADD_FAILURE() << "no SFTPTransportError";
    return SFTPTransportError::noServerKey();
}

TEST(HostKeyScanner, FetchesTheFirstKeyAndScansOnUntilThePinnedOne)
{
    REQUIRE_SFTP_SERVER(server);
    EXPECT_EQ(HostKeyScanner::fetchFingerprints(loopback, server->port), QStringList{server->fingerprint});

    // Without a match every key comes back, in the order ed25519, ecdsa, rsa.
    const QList<ScannedHostKey> all = HostKeyScanner::scan(loopback, server->port, QStringLiteral("SHA256:none"));
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0].fingerprint, server->fingerprint);
    EXPECT_TRUE(all[1].line.contains(QStringLiteral(" ecdsa-sha2-nistp256 "))) << all[1].line.toStdString();
    EXPECT_TRUE(all[2].line.contains(QStringLiteral(" ssh-rsa "))) << all[2].line.toStdString();
    EXPECT_TRUE(all[0].line.startsWith(QStringLiteral("[127.0.0.1]:%1 ssh-ed25519 ").arg(server->port)));

    // A pin on the ecdsa key: the ed25519 key does not match, the scan goes on.
    const QList<ScannedHostKey> untilEcdsa = HostKeyScanner::scan(loopback, server->port, all[1].fingerprint);
    ASSERT_EQ(untilEcdsa.size(), 2);
    EXPECT_EQ(untilEcdsa[1].line, all[1].line);
    EXPECT_EQ(HostKeyScanner::verifiedLine(loopback, server->port, all[2].fingerprint), all[2].line);

    const SFTPTransportError mismatch = expectSftpError(
        [&] { HostKeyScanner::verifiedLine(loopback, server->port, QStringLiteral("SHA256:falsch")); });
    EXPECT_EQ(mismatch.kind(), SFTPTransportError::Kind::hostKeyMismatch);
    EXPECT_TRUE(mismatch.description().endsWith(all[0].fingerprint + QStringLiteral(", ") + all[1].fingerprint + QStringLiteral(", ")
                                                + all[2].fingerprint));
}

TEST(HostKeyScanner, ConfirmedFingerprintIsConnectedWithoutASecondScan)
{
    REQUIRE_SFTP_SERVER(server);
    const QStringList fingerprints =
        OpenSSHSFTPTransport::scanFingerprints(loopback, server->port, 30).result();
    ASSERT_EQ(fingerprints.size(), 1);

    // Tools that cannot start: any scan would fail with ProcessStartError.
    HostKeyTools missing;
    missing.keyscan = "/nonexistent/ssh-keyscan";
    missing.keygen = "/nonexistent/ssh-keygen";
    const QString line = HostKeyScanner::verifiedLine(loopback, server->port, fingerprints.first(), missing);
    EXPECT_TRUE(line.contains(QStringLiteral(" ssh-ed25519 ")));
    EXPECT_THROW(HostKeyScanner::verifiedLine(loopback, server->port, QStringLiteral("SHA256:anders"), missing),
                 ProcessStartError);
}

TEST(HostKeyScanner, HostsWithoutKeysFailWithTheirOwnTexts)
{
    const quint16 closed = LoopbackListener::closedPort();
    const SFTPTransportError unavailable =
        expectSftpError([&] { HostKeyScanner::fetchFingerprints(loopback, closed); });
    EXPECT_EQ(unavailable.kind(), SFTPTransportError::Kind::unavailable);

    // A name the tools would take for an option never reaches them.
    HostKeyTools missing;
    missing.keyscan = "/nonexistent/ssh-keyscan";
    const SFTPTransportError option =
        expectSftpError([&] { HostKeyScanner::scan(QStringLiteral("-oProxyCommand=x"), 22, std::nullopt, missing); });
    EXPECT_EQ(option.kind(), SFTPTransportError::Kind::command);
}

TEST(HostKeyScanner, SilentHostEndsTheWholeScanWithTheTimeOut)
{
    // Accepts and never says a word: each ssh-keyscan gives up by itself, and
    // the scan as a whole stops at its limit instead of trying every key type.
    const LoopbackListener silent;
    QFuture<QStringList> scan = OpenSSHSFTPTransport::scanFingerprints(loopback, silent.port(), 60);
    const SFTPTransportError timeout = expectSftpError([&] { scan.waitForFinished(); });
    EXPECT_EQ(timeout.kind(), SFTPTransportError::Kind::timeout);
}

} // namespace
