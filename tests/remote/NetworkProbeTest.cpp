#include "remote/NetworkProbe.h"
#include "remote/NetworkProbeError.h"
#include "remote/NetworkProbeFlow.h"
#include "support/LoopbackListener.h"
#include "support/SftpServer.h"

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

TEST(NetworkProbe, InvalidEndpointsFailBeforeAnythingIsOpened)
{
    for (const auto& [host, port] : {std::pair{QString(), qint64(22)}, std::pair{loopback, qint64(70000)},
                                     std::pair{loopback, qint64(0)}, std::pair{loopback, qint64(-1)}}) {
        EXPECT_EQ(outcome(NetworkProbe::test(host, port, 5)), QStringLiteral("Server oder Port ist ungültig."));
        EXPECT_EQ(outcome(NetworkProbe::testSSH(host, port, 5)), QStringLiteral("Server oder Port ist ungültig."));
    }
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

    const QString noBanner = QStringLiteral("Der Port ist erreichbar, liefert aber keine SSH/SFTP-Begrüßung. Prüfe den "
                                            "SFTP-Port oder eine serverseitige Freigabe.");
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, ftp.port(), 5)), noBanner);
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, notUtf8.port(), 5)), noBanner);
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, ssh.port(), 5)), QString());
    // Fewer than four bytes and then silence: still waiting for a greeting.
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, tooShort.port(), 0.3)),
              QStringLiteral("Der Server hat innerhalb des Timeouts nicht geantwortet."));
    EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, silent.port(), 0.3)),
              QStringLiteral("Der Server hat innerhalb des Timeouts nicht geantwortet."));

    if (const std::optional<SftpTestServer> server = SftpServer::local()) {
        EXPECT_EQ(outcome(NetworkProbe::testSSH(loopback, server->port, 5)), QString());
    }
}

TEST(NetworkProbe, RefusedConnectionFailsWithTheSystemsWords)
{
    const QString refused = outcome(NetworkProbe::testSSH(loopback, LoopbackListener::closedPort(), 5));
    EXPECT_TRUE(refused.startsWith(QStringLiteral("Verbindungstest fehlgeschlagen: "))) << refused.toStdString();
    EXPECT_GT(refused.size(), 32);
}

TEST(NetworkProbe, CancellingEndsTheCheckAsCancelled)
{
    const LoopbackListener silent;
    QFuture<void> check = NetworkProbe::testSSH(loopback, silent.port(), 600);
    check.cancel();
    check.waitForFinished();
    EXPECT_TRUE(check.isCanceled());
}

TEST(NetworkProbeFlow, EndpointCheckToneFollowsWhatAnsweredAndHostKeyCheckNeedsHostAndPort)
{
    using Tone = EditorStatus::Tone;
    const LoopbackListener ftp("220 bereit\r\n");
    const LoopbackListener ssh("SSH-2.0-Fake\r\n");
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), RemoteProtocolKind::ftps).result().tone, Tone::success);
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), std::nullopt).result().tone, Tone::failure)
        << "an FTP greeting is no SSH server";
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(QStringLiteral("   "), 22, RemoteProtocolKind::sftp).result().tone,
              Tone::failure);
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ssh.port(), RemoteProtocolKind::sftp).result().tone,
              Tone::success);

    for (const auto& [host, port] : {std::pair{QStringLiteral("  "), qint64(22)}, std::pair{QStringLiteral("h"), qint64(0)}})
        EXPECT_FALSE(NetworkProbeFlow::hostKeyCheckStarted(host, port).runs);
    const NetworkProbeFlow::HostKeyCheck running = NetworkProbeFlow::hostKeyCheckStarted(QStringLiteral(" srv "), 2222);
    EXPECT_TRUE(running.runs);
    EXPECT_EQ(running.host, QStringLiteral("srv"));
}

} // namespace
