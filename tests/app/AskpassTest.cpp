#include "remote/CredentialStore.h"
#include "remote/RemoteProfile.h"
#include "support/SecretService.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Exit code and output of the real executable started as sftp would, with every
// other mode's switch given too: the askpass mode must win over all of them.
std::pair<int, QByteArray> askpass(const QString& value,
                                   QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
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

const std::pair<int, QByteArray> refused{1, QByteArray()};

} // namespace

// Which texts are a profile's id is the parser's business; here the mode's answers.
TEST(Askpass, PrintsExactlyTheStoredPasswordAndNothingForAnyOtherValue)
{
    const QUuid id = QUuid::createUuid();
    const QString text = canonicalUuidText(id);
    for (const QString& value : {QString(), QLatin1Char('{') + text + QLatin1Char('}')})
        EXPECT_EQ(askpass(value), refused) << value.toStdString();

    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    const CredentialStore store = CredentialStore::forApplication();
    const QString password = QStringLiteral(" Pässwört \"mit\" \\ und 🙂 ");
    store.save(password, id);
    for (const QString& value : {text, text.toLower()})
        EXPECT_EQ(askpass(value), (std::pair<int, QByteArray>(0, password.toUtf8() + '\n'))) << value.toStdString();
    EXPECT_EQ(askpass(text, environmentWithoutSecretService()), refused) << "the keychain out of reach";
    store.remove(id);
    EXPECT_EQ(askpass(text), refused);
}
