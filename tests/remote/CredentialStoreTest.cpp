#include "remote/CredentialStore.h"
#include "remote/RemoteProfile.h"
#include "remote/RemoteProfileForm.h"
#include "support/SecretService.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <qt6keychain/keychain.h>
#include <sys/stat.h>

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

namespace {

RemoteProfileForm validForm()
{
    RemoteProfileForm form;
    form.protocolTitle = "SFTP";
    form.name = "Server";
    form.host = "example.org";
    form.port = "22";
    return form;
}

// A store whose service exists nowhere; only used where no password is typed.
RemoteProfileFormResult save(const RemoteProfileForm& form, const RemoteProfile& editing = RemoteProfile())
{
    return saveRemoteProfileForm(editing, form, CredentialStore(QStringLiteral("de.brenvik.Test.Unbenutzt")));
}

TEST(RemoteProfileForm, NameServerAndPortAreRequiredTimesAreClampedTheIdIsKept)
{
    for (const auto& [name, host, port] : {std::tuple{"S", "h", "0"}, std::tuple{"S", "h", "65536"},
                                           std::tuple{"S", "h", "22abc"}, std::tuple{"S", "h", "99999999999999999999999"},
                                           std::tuple{" \t ", "h", "22"}, std::tuple{"S", "  ", "22"}}) {
        RemoteProfileForm form = validForm();
        form.name = QString::fromUtf8(name);
        form.host = QString::fromUtf8(host);
        form.port = QString::fromUtf8(port);
        const RemoteProfileFormResult result = save(form);
        EXPECT_EQ(result.profile, std::nullopt) << port;
        EXPECT_FALSE(result.warning.isEmpty()) << port;
    }
    const RemoteProfile editing;
    RemoteProfileForm form = validForm();
    form.identityFile = "  \n";
    for (const auto& [port, timeout, keepAlive, expectedTimeout, expectedKeepAlive] :
         {std::tuple{" 65535 ", "-5", "keiner", 1, 0}, std::tuple{"1", "45", "7", 45, 7}}) {
        form.port = QString::fromUtf8(port);
        form.timeout = QString::fromUtf8(timeout);
        form.keepAlive = QString::fromUtf8(keepAlive);
        const std::optional<RemoteProfile> profile = save(form, editing).profile;
        ASSERT_TRUE(profile) << port;
        EXPECT_EQ(profile->id, editing.id);
        EXPECT_EQ(profile->port, form.port.trimmed().toLongLong());
        EXPECT_EQ(profile->timeout, expectedTimeout) << timeout;
        EXPECT_EQ(profile->keepAlive, expectedKeepAlive) << keepAlive;
        EXPECT_EQ(profile->identityFile, std::nullopt);
        EXPECT_EQ(profile->initialPath, QStringLiteral("/"));
    }
}

TEST(RemoteProfileForm, KeyFileMustBeReadableByThisUserOnlyForSftp)
{
    TempFolder folder;
    const FileUrl key = folder.write("id_rsa", "geheim");
    ASSERT_EQ(::chmod(key.nativePath().constData(), 0600), 0);
    RemoteProfileForm form = validForm();
    form.identityFile = QString::fromUtf8(key.nativePath());
    ASSERT_TRUE(save(form).profile);
    RemoteProfileForm missing = form;
    missing.identityFile = " " + folder.file("fehlt/id").path() + "\n";
    const RemoteProfileFormResult refused = save(missing);
    EXPECT_EQ(refused.profile, std::nullopt);
    const QString unreadable = refused.warning;
    missing.protocolTitle = "FTPS";
    EXPECT_EQ(save(missing).profile.value_or(RemoteProfile()).identityFile, folder.file("fehlt/id").path());
    EXPECT_EQ(runUnprivileged([&] { return save(form).warning == unreadable ? 0 : 1; }), 0);
}

TEST(RemoteProfileForm, TypedPasswordIsStoredUnderTheProfileIdAndAnEmptyFieldKeepsIt)
{
    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    const CredentialStore store(QStringLiteral("de.brenvik.Test.") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    const RemoteProfile editing;
    RemoteProfileForm form = validForm();
    form.password = "erstes Passwort";
    ASSERT_TRUE(saveRemoteProfileForm(editing, form, store).profile);
    form.password.clear();
    ASSERT_TRUE(saveRemoteProfileForm(editing, form, store).profile);
    EXPECT_EQ(store.read(editing.id), QStringLiteral("erstes Passwort"));

    // A refused form never reaches the keychain.
    form.password = "zweites";
    form.port = "0";
    EXPECT_FALSE(saveRemoteProfileForm(editing, form, store).profile);
    EXPECT_EQ(store.read(editing.id), QStringLiteral("erstes Passwort"));
    store.remove(editing.id);
}

} // namespace
