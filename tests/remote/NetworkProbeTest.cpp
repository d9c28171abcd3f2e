#include "remote/NetworkProbe.h"
#include "remote/NetworkProbeError.h"
#include "remote/NetworkProbeFlow.h"
#include "support/LoopbackListener.h"

#include <gtest/gtest.h>

namespace {

const QString loopback = QStringLiteral("127.0.0.1");

// The check's outcome: empty on success, else the error's description.
QString outcome(QFuture<void> check)
{
    try {
        check.waitForFinished();
        return {};
    } catch (const NetworkProbeError& error) {
        return error.description();
    }
}

TEST(NetworkProbe, TcpTestOnlyNeedsTheConnectionTheSshTestNeedsTheGreeting)
{
    for (const qint64 port : {qint64(70000), qint64(0), qint64(LoopbackListener::closedPort())}) {
        EXPECT_FALSE(outcome(NetworkProbe::test(loopback, port, 5)).isEmpty()) << port;
        EXPECT_FALSE(outcome(NetworkProbe::testSSH(loopback, port, 5)).isEmpty()) << port;
    }
    const LoopbackListener silent;
    const LoopbackListener ftp("220 Willkommen\r\n");
    const LoopbackListener ssh("SSH-2.0-Fake\r\n");
    EXPECT_EQ(outcome(NetworkProbe::test(loopback, silent.port(), 5)), QString());
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, ssh.port(), 5)), QString());
    const QString noBanner = outcome(NetworkProbe::testSSH(loopback, ftp.port(), 5));
    const QString timedOut = outcome(NetworkProbe::testSSH(loopback, silent.port(), 0.3));
    EXPECT_FALSE(noBanner.isEmpty() || timedOut.isEmpty());
    EXPECT_NE(timedOut, noBanner);
    // Fewer than four bytes and then silence: still waiting for a greeting.
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, LoopbackListener("SSH").port(), 0.3)), timedOut);
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, LoopbackListener("SSH-\xff\xfe").port(), 5)), noBanner);

    // The editor's check: an FTP greeting passes for FTPS, but is no SSH server.
    using Tone = EditorStatus::Tone;
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), RemoteProtocolKind::ftps).result().tone, Tone::success);
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), std::nullopt).result().tone, Tone::failure);
}

TEST(NetworkProbe, CancellingEndsTheCheckAsCancelled)
{
    const LoopbackListener silent;
    QFuture<void> check = NetworkProbe::testSSH(loopback, silent.port(), 600);
    check.cancel();
    check.waitForFinished();
    EXPECT_TRUE(check.isCanceled());
}

} // namespace
