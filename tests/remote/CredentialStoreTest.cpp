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

TEST(CredentialStore, OnePasswordPerProfileUnderTheUpperCaseIdKeepsEveryCharacter)
{
    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    // A service of its own, so that no other test sees these items.
    const CredentialStore store(QStringLiteral("de.brenvik.Test.") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    const QUuid first = QUuid::createUuid();
    const QUuid second = QUuid::createUuid();
    store.save(QStringLiteral("zweites"), second);
    for (const QString& password : {QString(" ä\"\\'$(x)` \t"), QString("zwei\r\nZeilen\n🙂"), QString(4096, u'x')}) {
        store.save(password, first);
        EXPECT_EQ(store.read(first), password);
    }
    // Other programs find the item by the service and the upper-case id.
    QProcess tool;
    tool.start("/usr/bin/secret-tool", {"lookup", "server", store.service(), "user", canonicalUuidText(second)});
    tool.waitForFinished(-1);
    EXPECT_EQ(tool.readAllStandardOutput(), QByteArray("zweites"));
    EXPECT_EQ(CredentialStore(store.service() + u'X').read(second), std::nullopt);

    store.remove(first);
    store.remove(first); // already gone: ignored
    EXPECT_EQ(store.read(first), std::nullopt);
    EXPECT_EQ(store.read(second), QStringLiteral("zweites"));

    // Another program may leave bytes that are no UTF-8 under our service.
    QKeychain::WritePasswordJob job(store.service());
    job.setAutoDelete(false);
    job.setKey(canonicalUuidText(first));
    job.setBinaryData(QByteArray("\xff\xfe kaputt", 9));
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    ASSERT_EQ(job.error(), QKeychain::NoError) << job.errorString().toStdString();
    EXPECT_EQ(store.read(first), std::nullopt);
    store.remove(second);
}

// Without a keychain a password is lost, never written to a file instead.
TEST(CredentialStoreWithoutSecretService, SavingFailsAndTheFormKeepsNoProfileNoFileIsWritten)
{
    if (!insideRunWithoutSecretService())
        return runTestWithoutSecretService(QStringLiteral("CredentialStoreWithoutSecretService.*"));
    const QString processRoot = QFileInfo(qEnvironmentVariable("HOME")).absolutePath();
    const auto files = [&] {
        QStringList found;
        for (QDirIterator it(processRoot, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
             it.hasNext();)
            found.append(it.next());
        found.sort();
        return found;
    };
    const QStringList before = files();
    const CredentialStore store = CredentialStore::forApplication();
    const QUuid id = QUuid::createUuid();
    EXPECT_THROW(store.save(QStringLiteral("nirgendwohin"), id), CredentialStoreError);
    EXPECT_EQ(store.read(id), std::nullopt);

    RemoteProfileForm form;
    form.name = form.host = "example.org";
    form.port = "22";
    form.password = "nirgendwohin";
    const RemoteProfileFormResult result = saveRemoteProfileForm(RemoteProfile(), form, store);
    EXPECT_EQ(result.profile, std::nullopt) << "a profile whose password was lost";
    EXPECT_FALSE(result.warning.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(files(), before);
}
