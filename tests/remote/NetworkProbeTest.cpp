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

TEST(NetworkProbe, InvalidOrRefusedEndpointsFail)
{
    for (const auto& [host, port] : {std::pair{QString(), qint64(22)}, std::pair{loopback, qint64(70000)},
                                     std::pair{loopback, qint64(0)}}) {
        EXPECT_FALSE(outcome(NetworkProbe::test(host, port, 5)).isEmpty()) << port;
        EXPECT_FALSE(outcome(NetworkProbe::testSSH(host, port, 5)).isEmpty()) << port;
    }
    EXPECT_FALSE(outcome(NetworkProbe::test(loopback, LoopbackListener::closedPort(), 5)).isEmpty()) << "refused";
}

TEST(NetworkProbe, TcpTestOnlyNeedsTheConnectionTheSshTestNeedsTheGreeting)
{
    const LoopbackListener silent;
    const LoopbackListener ftp("220 Willkommen beim FTP-Server\r\n");
    const LoopbackListener tooShort("SSH");
    const LoopbackListener notUtf8("SSH-\xff\xfe");
    const LoopbackListener ssh("SSH-2.0-Fake\r\n");

    for (const LoopbackListener* server : {&silent, &ftp, &tooShort, &ssh})
        EXPECT_EQ(outcome(NetworkProbe::test(loopback, server->port(), 5)), QString());

    const QString noBanner = outcome(NetworkProbe::testSSH(loopback, ftp.port(), 5));
    EXPECT_FALSE(noBanner.isEmpty());
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, notUtf8.port(), 5)), noBanner);
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, ssh.port(), 5)), QString());
    // Fewer than four bytes and then silence: still waiting for a greeting.
    const QString timedOut = outcome(NetworkProbe::testSSH(loopback, silent.port(), 0.3));
    EXPECT_FALSE(timedOut.isEmpty());
    EXPECT_NE(timedOut, noBanner);
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, tooShort.port(), 0.3)), timedOut);
}

TEST(NetworkProbe, CancellingEndsTheCheckAsCancelled)
{
    const LoopbackListener silent;
    QFuture<void> check = NetworkProbe::testSSH(loopback, silent.port(), 600);
    check.cancel();
    check.waitForFinished();
    EXPECT_TRUE(check.isCanceled());
}

TEST(NetworkProbeFlow, EndpointCheckToneFollowsWhatAnswered)
{
    using Tone = EditorStatus::Tone;
    const LoopbackListener ftp("220 bereit\r\n");
    const LoopbackListener ssh("SSH-2.0-Fake\r\n");
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), RemoteProtocolKind::ftps).result().tone, Tone::success);
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), std::nullopt).result().tone, Tone::failure)
        << "an FTP greeting is no SSH server";
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ssh.port(), RemoteProtocolKind::sftp).result().tone,
              Tone::success);
}

} // namespace
