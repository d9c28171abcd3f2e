#include "remote/RemoteProfileForm.h"
#include "support/SecretService.h"
#include "support/TestEnvironment.h"

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>

namespace {

const QString requiredFields = QStringLiteral("Name, Server und gültiger Port sind erforderlich.");
const QString unreadableKey = QStringLiteral("Die ausgewählte SSH-Schlüsseldatei ist nicht lesbar.");

RemoteProfileForm validForm()
{
    RemoteProfileForm form;
    form.protocolTitle = QStringLiteral("SFTP");
    form.name = QStringLiteral("Server");
    form.host = QStringLiteral("example.org");
    form.port = QStringLiteral("22");
    form.timeout = QStringLiteral("30");
    form.keepAlive = QStringLiteral("600");
    return form;
}

// A store whose service exists nowhere; only used where no password is typed.
const CredentialStore untouchedStore(QStringLiteral("de.brenvik.Test.Unbenutzt"));

RemoteProfileFormResult save(const RemoteProfileForm& form, const RemoteProfile& editing = RemoteProfile())
{
    return saveRemoteProfileForm(editing, form, untouchedStore);
}

} // namespace

TEST(RemoteProfileForm, NameServerAndPortAreRequired)
{
    const QList<std::pair<const char*, std::function<void(RemoteProfileForm&)>>> refused{
        {"port 0", [](auto& f) { f.port = QStringLiteral("0"); }},
        {"port 65536", [](auto& f) { f.port = QStringLiteral("65536"); }},
        {"port text", [](auto& f) { f.port = QStringLiteral("zweiundzwanzig"); }},
        {"port 22abc", [](auto& f) { f.port = QStringLiteral("22abc"); }},
        {"port huge", [](auto& f) { f.port = QStringLiteral("99999999999999999999999"); }},
        {"name blank", [](auto& f) { f.name = QStringLiteral(" \t  "); }},
        {"host blank", [](auto& f) { f.host = QStringLiteral("   "); }},
    };
    for (const auto& [what, change] : refused) {
        RemoteProfileForm form = validForm();
        change(form);
        const RemoteProfileFormResult result = save(form);
        EXPECT_EQ(result.profile, std::nullopt) << what;
        EXPECT_EQ(result.warning, requiredFields) << what;
    }
    for (const char* port : {"1", "65535", " 2222 "}) {
        RemoteProfileForm form = validForm();
        form.port = QString::fromUtf8(port);
        const RemoteProfileFormResult result = save(form);
        ASSERT_TRUE(result.profile) << port << ": " << result.warning.toStdString();
        EXPECT_EQ(result.profile->port, QString::fromUtf8(port).trimmed().toLongLong());
    }
}

TEST(RemoteProfileForm, EditingKeepsTheIdTimesAreClampedAndEmptyFieldsAreDefaults)
{
    const RemoteProfile editing;
    RemoteProfileForm form = validForm();
    form.initialPath.clear();
    form.identityFile = QStringLiteral("  \n");
    const std::optional<RemoteProfile> edited = save(form, editing).profile;
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->id, editing.id);
    EXPECT_EQ(edited->identityFile, std::nullopt);
    for (const auto& [timeout, keepAlive, expectedTimeout, expectedKeepAlive] :
         {std::tuple{"0", "-1", 1, 0}, std::tuple{"-5", "keiner", 1, 0}, std::tuple{"45", "7", 45, 7}}) {
        form.timeout = QString::fromUtf8(timeout);
        form.keepAlive = QString::fromUtf8(keepAlive);
        const std::optional<RemoteProfile> profile = save(form).profile;
        ASSERT_TRUE(profile) << timeout;
        EXPECT_EQ(profile->timeout, expectedTimeout) << timeout;
        EXPECT_EQ(profile->keepAlive, expectedKeepAlive) << keepAlive;
        EXPECT_EQ(profile->initialPath, QStringLiteral("/"));
    }
}

TEST(RemoteProfileForm, KeyFileMustBeReadableOnlyForSftp)
{
    TempFolder folder;
    const QString missing = QString::fromUtf8(folder.path() + "/fehlt/id_ed25519");
    RemoteProfileForm form = validForm();
    form.identityFile = QStringLiteral(" ") + missing + QStringLiteral("\n");

    EXPECT_EQ(save(form).warning, unreadableKey);

    for (const char* title : {"FTP (unverschlüsselt)", "FTPS"}) {
        form.protocolTitle = QString::fromUtf8(title);
        const RemoteProfileFormResult result = save(form);
        ASSERT_TRUE(result.profile) << title << ": " << result.warning.toStdString();
        EXPECT_EQ(result.profile->identityFile, missing);
    }
}

TEST(RemoteProfileForm, KeyFileReadableOnlyByAnotherUserIsRefused)
{
    TempFolder folder;
    const FileUrl key = folder.write("id_rsa", "geheim");
    ASSERT_EQ(::chmod(key.nativePath().constData(), 0600), 0);
    RemoteProfileForm form = validForm();
    form.identityFile = QString::fromUtf8(key.nativePath());

    const int status = runUnprivileged([&] {
        const RemoteProfileFormResult result = save(form);
        return !result.profile && result.warning == unreadableKey ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST(RemoteProfileForm, TypedPasswordIsStoredUnderTheProfileIdAndAnEmptyFieldKeepsIt)
{
    SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
    const CredentialStore store(QStringLiteral("de.brenvik.Test.") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    const RemoteProfile editing;
    RemoteProfileForm form = validForm();
    form.password = QStringLiteral("erstes Passwort");
    ASSERT_TRUE(saveRemoteProfileForm(editing, form, store).profile);
    EXPECT_EQ(store.read(editing.id), QStringLiteral("erstes Passwort"));

    form.password.clear();
    form.name = QStringLiteral("Umbenannt");
    const RemoteProfileFormResult renamed = saveRemoteProfileForm(editing, form, store);
    ASSERT_TRUE(renamed.profile);
    EXPECT_EQ(renamed.profile->name, QStringLiteral("Umbenannt"));
    EXPECT_EQ(store.read(editing.id), QStringLiteral("erstes Passwort"));

    // A refused form never reaches the keychain.
    form.password = QStringLiteral("zweites");
    form.port = QStringLiteral("0");
    EXPECT_EQ(saveRemoteProfileForm(editing, form, store).warning, requiredFields);
    EXPECT_EQ(store.read(editing.id), QStringLiteral("erstes Passwort"));
    store.remove(editing.id);
}
