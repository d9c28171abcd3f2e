#include "remote/CredentialStore.h"
#include "remote/RemoteProfile.h"
#include "support/SecretService.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct AskpassRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
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
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

} // namespace

TEST(Askpass, ValueThatIsNotACanonicalUuidPrintsNothingAndFails)
{
    const QString id = canonicalUuidText(QUuid::createUuid());
    for (const QString& value : {QString(), QStringLiteral("profil"), QLatin1Char('{') + id + QLatin1Char('}'),
                                 id + QLatin1Char('\n'), QString(id).remove(QLatin1Char('-')), id.left(35)}) {
        const AskpassRun run = runAskpass(value);
        EXPECT_EQ(run.exitCode, 1) << value.toStdString();
        EXPECT_EQ(run.out, QByteArray()) << value.toStdString();
    }
}

TEST(Askpass, PrintsExactlyTheStoredPasswordAndOneLineFeed)
{
    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    const CredentialStore store = CredentialStore::forApplication();
    const QUuid id = QUuid::createUuid();
    const QString password = QStringLiteral(" Pässwört \"mit\" \\ und 🙂 ");
    store.save(password, id);

    for (const QString& value : {canonicalUuidText(id), canonicalUuidText(id).toLower()}) {
        const AskpassRun run = runAskpass(value);
        EXPECT_EQ(run.exitCode, 0) << value.toStdString() << ": " << run.err.toStdString();
        EXPECT_EQ(run.out, password.toUtf8() + '\n') << value.toStdString();
    }

    // A profile without a stored password.
    store.remove(id);
    const AskpassRun removed = runAskpass(canonicalUuidText(id));
    EXPECT_EQ(removed.exitCode, 1);
    EXPECT_EQ(removed.out, QByteArray());
}

TEST(Askpass, UnreachableKeychainPrintsNothingAndFails)
{
    const QUuid id = QUuid::createUuid();
    if (privateSecretServiceReachable())
        CredentialStore::forApplication().save(QStringLiteral("unerreichbar"), id);

    const AskpassRun run = runAskpass(canonicalUuidText(id), environmentWithoutSecretService());
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray());

    if (privateSecretServiceReachable())
        CredentialStore::forApplication().remove(id);
}
