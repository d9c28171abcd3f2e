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

TEST(NetworkProbeFlow, EndpointCheckTexts)
{
    using Tone = EditorStatus::Tone;
    EXPECT_EQ(NetworkProbeFlow::endpointCheckStarted(QStringLiteral(" h.example "), 21, RemoteProtocolKind::ftp),
              (EditorStatus{QStringLiteral("Prüfe genau eine TCP-Verbindung zu h.example:21 – maximal 5 Sekunden …"),
                            Tone::secondary}));
    EXPECT_EQ(NetworkProbeFlow::endpointCheckStarted(QStringLiteral("h"), 22, std::nullopt).text,
              QStringLiteral("Prüfe eine Verbindung und die SSH-Begrüßung von h:22 – maximal 5 Sekunden …"));

    const LoopbackListener ftp("220 bereit\r\n");
    const QString target = QStringLiteral("127.0.0.1:%1").arg(ftp.port());
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), RemoteProtocolKind::ftps).result(),
              (EditorStatus{target + QStringLiteral(" ist per TCP erreichbar. Anmeldung und Protokoll wurden noch "
                                                    "nicht geprüft."),
                            Tone::success}));
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ftp.port(), std::nullopt).result(),
              (EditorStatus{target + QStringLiteral(": Der Port ist erreichbar, liefert aber keine SSH/SFTP-Begrüßung. "
                                                    "Prüfe den SFTP-Port oder eine serverseitige Freigabe."),
                            Tone::failure}));
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(QStringLiteral("   "), 22, RemoteProtocolKind::sftp).result(),
              (EditorStatus{QStringLiteral(":22: Server oder Port ist ungültig."), Tone::failure}));

    const LoopbackListener ssh("SSH-2.0-Fake\r\n");
    EXPECT_EQ(NetworkProbeFlow::runEndpointCheck(loopback, ssh.port(), RemoteProtocolKind::sftp).result().text,
              QStringLiteral("127.0.0.1:%1 antwortet als SSH/SFTP-Server.").arg(ssh.port()));
}

TEST(NetworkProbeFlow, HostKeyCheckNeedsHostAndPort)
{
    for (const auto& [host, port] : {std::pair{QStringLiteral("  "), qint64(22)}, std::pair{QStringLiteral("h"), qint64(0)}}) {
        const NetworkProbeFlow::HostKeyCheck refused = NetworkProbeFlow::hostKeyCheckStarted(host, port);
        EXPECT_FALSE(refused.runs);
        EXPECT_EQ(refused.status.text, QStringLiteral("Server und Port zuerst eingeben."));
        EXPECT_EQ(refused.buttonTitle, QStringLiteral("Host-Key vorab prüfen …"));
    }
    const NetworkProbeFlow::HostKeyCheck running = NetworkProbeFlow::hostKeyCheckStarted(QStringLiteral(" srv "), 2222);
    EXPECT_TRUE(running.runs);
    EXPECT_EQ(running.host, QStringLiteral("srv"));
    EXPECT_EQ(running.buttonTitle, QStringLiteral("Prüfe srv:2222 …"));
    EXPECT_EQ(running.status,
              (EditorStatus{QStringLiteral("SSH-Host-Key-Prüfung läuft – spätestens nach 8 Sekunden erfolgt eine "
                                           "Rückmeldung."),
                            EditorStatus::Tone::secondary}));
}

} // namespace
