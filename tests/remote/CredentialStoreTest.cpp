#include "remote/CredentialStore.h"
#include "remote/RemoteProfile.h"
#include "remote/RemoteProfileForm.h"
#include "support/SecretService.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <qt6keychain/keychain.h>

namespace {

// A service of its own per test, so that no test sees another's items.
CredentialStore freshStore()
{
    return CredentialStore(QStringLiteral("de.brenvik.Test.") + QUuid::createUuid().toString(QUuid::WithoutBraces)
                           + QStringLiteral(".RemoteCredentials"));
}

// What secret-tool finds for one account under the service (empty when nothing).
QByteArray lookUpWithSecretTool(const QString& service, const QString& account)
{
    QProcess tool;
    tool.start(QStringLiteral("/usr/bin/secret-tool"),
               {QStringLiteral("lookup"), QStringLiteral("server"), service, QStringLiteral("user"), account});
    tool.waitForFinished(-1);
    return tool.readAllStandardOutput();
}

} // namespace

TEST(CredentialStore, SavesReplacesReadsAndRemovesOnePasswordPerProfile)
{
    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    const CredentialStore store = freshStore();
    const QUuid first = QUuid::createUuid();
    const QUuid second = QUuid::createUuid();

    EXPECT_EQ(store.read(first), std::nullopt);
    store.save(QStringLiteral("erstes"), first);
    store.save(QStringLiteral("zweites"), second);
    EXPECT_EQ(store.read(first), QStringLiteral("erstes"));
    EXPECT_EQ(store.read(second), QStringLiteral("zweites"));

    store.save(QStringLiteral("ersetzt"), first);
    EXPECT_EQ(store.read(first), QStringLiteral("ersetzt"));

    store.remove(first);
    EXPECT_EQ(store.read(first), std::nullopt);
    EXPECT_EQ(store.read(second), QStringLiteral("zweites"));
    store.remove(first); // already gone: ignored
    EXPECT_EQ(store.read(second), QStringLiteral("zweites"));
}

TEST(CredentialStore, PasswordsKeepEveryCharacter)
{
    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    const CredentialStore store = freshStore();
    const QUuid id = QUuid::createUuid();
    for (const QString& password : {QStringLiteral(" ä\"\\'$(x)` \t"), QStringLiteral("zwei\r\nZeilen\n"),
                                    QStringLiteral("𝄞 Emoji 🙂"), QString(4096, QLatin1Char('x'))}) {
        store.save(password, id);
        EXPECT_EQ(store.read(id), password);
    }
}

TEST(CredentialStore, ItemIsKeyedByServiceAndUpperCaseProfileId)
{
    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    const CredentialStore store = freshStore();
    const QUuid id = QUuid::createUuid();
    store.save(QStringLiteral("geheim"), id);

    EXPECT_EQ(lookUpWithSecretTool(store.service(), canonicalUuidText(id)), QByteArray("geheim"));
    EXPECT_TRUE(lookUpWithSecretTool(store.service(), id.toString(QUuid::WithoutBraces).toLower()).isEmpty());
    EXPECT_EQ(CredentialStore(store.service() + QStringLiteral("X")).read(id), std::nullopt);
}

TEST(CredentialStore, StoredBytesThatAreNotUtf8ReadAsNoPassword)
{
    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    const CredentialStore store = freshStore();
    const QUuid id = QUuid::createUuid();
    // Another program may have left such an item under our service.
    QKeychain::WritePasswordJob job(store.service());
    job.setAutoDelete(false);
    job.setKey(canonicalUuidText(id));
    job.setBinaryData(QByteArray("\xff\xfe kaputt", 9));
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    ASSERT_EQ(job.error(), QKeychain::NoError) << job.errorString().toStdString();

    EXPECT_EQ(store.read(id), std::nullopt);
}

// Runs in a child of this test executable whose session bus leads nowhere: the
// keychain library keeps its first bus connection for the life of a process.
TEST(CredentialStoreWithoutSecretService, SavingFailsWithTheKeychainTextReadingFindsNothingNoFileIsWritten)
{
    if (qEnvironmentVariableIsSet("BRENVIK_TEST_WITHOUT_SECRET_SERVICE")) {
        const QString processRoot = QFileInfo(qEnvironmentVariable("HOME")).absolutePath();
        const auto filesBelowRoot = [&] {
            QStringList files;
            QDirIterator it(processRoot, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
            while (it.hasNext())
                files.append(it.next());
            files.sort();
            return files;
        };
        const QStringList before = filesBelowRoot();
        const CredentialStore store = CredentialStore::forApplication();
        const QUuid id = QUuid::createUuid();
        try {
            store.save(QStringLiteral("nirgendwohin"), id);
            ADD_FAILURE() << "saving without a Secret Service succeeded";
        } catch (const CredentialStoreError& error) {
            EXPECT_NE(error.status(), 0);
            EXPECT_EQ(error.description(), QStringLiteral("Der macOS-Schlüsselbund meldet Fehler %1.").arg(error.status()));
        }
        EXPECT_EQ(store.read(id), std::nullopt);
        store.remove(id);

        RemoteProfileForm form;
        form.name = QStringLiteral("Server");
        form.host = QStringLiteral("example.org");
        form.port = QStringLiteral("22");
        form.password = QStringLiteral("nirgendwohin");
        const RemoteProfileFormResult result = saveRemoteProfileForm(RemoteProfile(), form, store);
        EXPECT_EQ(result.profile, std::nullopt);
        EXPECT_TRUE(result.warning.startsWith(QStringLiteral("Der macOS-Schlüsselbund meldet Fehler ")))
            << result.warning.toStdString();
        QCoreApplication::processEvents();
        EXPECT_EQ(filesBelowRoot(), before);
        return;
    }

    QProcessEnvironment environment = environmentWithoutSecretService();
    environment.insert(QStringLiteral("BRENVIK_TEST_WITHOUT_SECRET_SERVICE"), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=CredentialStoreWithoutSecretService.*")});
    ASSERT_TRUE(child.waitForFinished(-1));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
}
