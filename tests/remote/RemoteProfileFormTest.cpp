#include "remote/RemoteProfileForm.h"
#include "support/SecretService.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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
