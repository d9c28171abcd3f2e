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

ToolRun brenvik(const QStringList& arguments, const TempFolder& temp)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temp.url().path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BRENVIK_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(300000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

const QUuid integrationProfile(QStringLiteral("00000000-0000-4000-8000-000000004122"));

TEST(SftpModes, IntegrationTestRunsTheWholeStackAgainstTheLocalServer)
{
    const std::optional<SftpTestServer> server = SftpServer::local();
    if (!server)
        GTEST_SKIP() << SftpServer::missingMessage;
    if (server->port != 42122)
        GTEST_SKIP() << "Der Modus prüft den Server auf Port 42122; der Testserver läuft auf " << server->port << ".";
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
    EXPECT_EQ(status, 0) << line;
    EXPECT_TRUE(QString::fromUtf8(line).contains(QRegularExpression(
        QStringLiteral("^✓ .* nach \\d+\\.\\d s: .* 127\\.0\\.0\\.1:\\d+ wurde nach 8 Sekunden"))))
        << line;
}

} // namespace
