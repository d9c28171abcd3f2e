#include "remote/CredentialStore.h"
#include "remote/RemoteProfile.h"
#include "support/SecretService.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct AskpassRun {
    int exitCode;
    QByteArray out;
};

// Starts the real executable as sftp would, with every other mode's switch
// given too: the askpass mode must win over all of them.
AskpassRun runAskpass(const QString& value, QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
{
    environment.insert(QStringLiteral("BRVK_SFTP_ASKPASS_PROFILE"), value);
    // A display that does not exist: any attempt at a window would end the process.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4711"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BRENVIK_EXECUTABLE),
                  {QStringLiteral("--self-test"), QStringLiteral("--performance-test"),
                   QStringLiteral("--sftp-integration-test"), QStringLiteral("SHA256:x")});
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput()};
}

} // namespace

TEST(Askpass, PrintsExactlyTheStoredPasswordAndNothingForAnyOtherValue)
{
    const QUuid id = QUuid::createUuid();
    const QString text = canonicalUuidText(id);
    // Values that are no canonical UUID give nothing.
    for (const QString& value : {QString(), QStringLiteral("profil"), QLatin1Char('{') + text + QLatin1Char('}'),
                                 text + QLatin1Char('\n'), QString(text).remove(QLatin1Char('-')), text.left(35)}) {
        const AskpassRun run = runAskpass(value);
        EXPECT_EQ(run.exitCode, 1) << value.toStdString();
        EXPECT_EQ(run.out, QByteArray()) << value.toStdString();
    }

    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    const CredentialStore store = CredentialStore::forApplication();
    const QString password = QStringLiteral(" Pässwört \"mit\" \\ und 🙂 ");
    store.save(password, id);
    for (const QString& value : {text, text.toLower()}) {
        const AskpassRun run = runAskpass(value);
        EXPECT_EQ(run.exitCode, 0) << value.toStdString();
        EXPECT_EQ(run.out, password.toUtf8() + '\n') << value.toStdString();
    }
    const AskpassRun unreachable = runAskpass(text, environmentWithoutSecretService());
    store.remove(id);
    EXPECT_EQ(unreachable.exitCode, 1);
    EXPECT_EQ(unreachable.out, QByteArray()) << "a stored password with the keychain out of reach";
    const AskpassRun removed = runAskpass(text);
    EXPECT_EQ(removed.exitCode, 1);
    EXPECT_EQ(removed.out, QByteArray());
}
