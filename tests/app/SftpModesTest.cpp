#include "remote/CredentialStore.h"
#include "selftest/SftpIntegration.h"
#include "support/LoopbackListener.h"
#include "support/SecretService.h"
#include "support/SftpServer.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode;
    QString out;
    QString err;
};

ToolRun run(const QString& program, const QStringList& arguments, const TempFolder& temp)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temp.url().path());
    environment.insert(QStringLiteral("PATH"),
                       environment.value(QStringLiteral("PATH")) + QStringLiteral(":/usr/sbin:/sbin"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(300000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

ToolRun brenvik(const QStringList& arguments, const TempFolder& temp)
{
    return run(QStringLiteral(BRENVIK_EXECUTABLE), arguments, temp);
}

const QUuid integrationProfile(QStringLiteral("00000000-0000-4000-8000-000000004122"));

TEST(SftpModes, IntegrationTestRunsTheWholeStackAgainstTheLocalServer)
{
    const std::optional<SftpTestServer> server = SftpServer::local();
    if (!server)
        GTEST_SKIP() << SftpServer::missingMessage;
    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    TempFolder temp;

    const ToolRun passed = brenvik({QStringLiteral("--sftp-integration-test"), server->fingerprint}, temp);
    EXPECT_EQ(passed.exitCode, 0) << passed.out.toStdString() << passed.err.toStdString();
    EXPECT_EQ(passed.out, QStringLiteral("✓ SFTP Host-Key, Schlüsselbund-Anmeldung, Liste, Upload, Rename, Download, "
                                         "MKD, RM und RMD bestanden\n"));
    // Nothing stays behind: not on the server, not in the keychain, not in TMPDIR.
    for (const char* name : {"/upload.txt", "/renamed.txt", "/folder"})
        EXPECT_FALSE(QFile::exists(QString::fromUtf8(server->localPath(name)))) << name;
    EXPECT_FALSE(CredentialStore::forApplication().read(integrationProfile));
    EXPECT_TRUE(QDir(temp.url().path()).isEmpty());

    const ToolRun refused =
        brenvik({QStringLiteral("--sftp-integration-test"), QStringLiteral("SHA256:unbekannterSchluessel")}, temp);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.out.startsWith(QStringLiteral("✗ "))
                && refused.out.contains(QStringLiteral("SHA256:unbekannterSchluessel")))
        << refused.out.toStdString();
    EXPECT_TRUE(QDir(temp.url().path()).isEmpty());
}

TEST(SftpModes, TimingCheckReportsASilentHostInTime)
{
    // A loopback port that takes connections and never answers stands in for
    // the documentation address.
    const LoopbackListener silent;
    FILE* out = std::tmpfile();
    ASSERT_TRUE(out);
    const int32_t status = SftpIntegration::runTimeoutCheck(QStringLiteral("127.0.0.1"), silent.port(), out);
    std::rewind(out);
    char line[1024] = {};
    std::fgets(line, sizeof line, out);
    std::fclose(out);
    const QString printed = QString::fromUtf8(line);
    EXPECT_EQ(status, 0) << printed.toStdString();
    EXPECT_TRUE(printed.startsWith(QStringLiteral("✓ Unerreichbarer SFTP-Host meldet nach "))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QRegularExpression(QStringLiteral("nach \\d+\\.\\d s: Die SSH-Host-Key-Prüfung für "
                                                                   "127\\.0\\.0\\.1:\\d+ wurde nach 8 Sekunden"))))
        << printed.toStdString();
}

TEST(SftpModes, TimingCheckModeInsideAPrivateNetwork)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/unshare")))
        GTEST_SKIP() << "unshare fehlt; die Zeitprüfung gegen 192.0.2.1 wird übersprungen.";
    TempFolder temp;
    // The fixed address may only be tried where it leads nowhere: in a network
    // namespace of this test, where 192.0.2.0/24 is routed into its loopback.
    const QString script = QStringLiteral("ip link set lo up && ip route add 192.0.2.0/24 dev lo || exit 77\n"
                                          "exec \"$0\" --sftp-timeout-test");
    const ToolRun timed = run(QStringLiteral("/usr/bin/unshare"),
                          {QStringLiteral("--net"), QStringLiteral("/bin/sh"), QStringLiteral("-c"), script,
                           QStringLiteral(BRENVIK_EXECUTABLE)},
                          temp);
    if (timed.exitCode == 77 || timed.err.contains(QStringLiteral("unshare")))
        GTEST_SKIP() << "Kein eigener Netzwerk-Namensraum möglich; die Zeitprüfung gegen 192.0.2.1 wird "
                        "übersprungen, damit kein Verkehr den Rechner verlässt. "
                     << timed.err.toStdString();
    EXPECT_EQ(timed.exitCode, 0) << timed.out.toStdString() << timed.err.toStdString();
    EXPECT_TRUE(timed.out.startsWith(QStringLiteral("✓ Unerreichbarer SFTP-Host meldet nach ")));
    EXPECT_TRUE(timed.out.contains(QStringLiteral(" s: Die SSH-Host-Key-Prüfung für 192.0.2.1:22 wurde nach 8 ")))
        << timed.out.toStdString();
}

} // namespace
