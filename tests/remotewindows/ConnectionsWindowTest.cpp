#include "EditorFields.h"
#include "RemoteWindowsFixture.h"

#include "remote/RemoteBrowserWindowController.h"
#include "remote/RemoteConnectionsWindowController.h"
#include "remote/RemoteProfileFile.h"
#include "remote/SftpTransportError.h"
#include "support/FtpServers.h"
#include "support/SftpServer.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <sys/stat.h>

namespace {

struct Connection {
    RemoteProfile profile;
    QString password;
};

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

RemoteProfile ftpProfile(const QString& name)
{
    RemoteProfile profile;
    profile.name = name;
    profile.kind = RemoteProtocolKind::ftp;
    profile.host = QStringLiteral("127.0.0.1");
    profile.port = 2121;
    profile.username = QStringLiteral("anna");
    return profile;
}

class ConnectionsWindow : public RemoteWindowsTest {
protected:
    std::unique_ptr<RemoteConnectionsWindowController> openWindow(bool withCallback = true)
    {
        RemoteConnectCallback onConnect;
        if (withCallback)
            onConnect = [this](const RemoteProfile& profile, const QString& password) {
                connections.append({profile, password});
            };
        auto window = std::make_unique<RemoteConnectionsWindowController>(interaction, onConnect, sftpTools());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    // Saves the editor and waits until it has closed.
    static void saveEditor(RemoteConnectionsWindowController& window)
    {
        RemoteProfileEditor* editor = window.editors().value(0);
        ASSERT_TRUE(editor);
        click(*editor, QStringLiteral("Sichern"));
        EXPECT_TRUE(waitFor([&] { return window.editors().isEmpty(); }, 5000)) << editor->status().text.toStdString();
    }

    QList<Connection> connections;
};

TEST_F(ConnectionsWindow, ProfileIsAddedEditedAndRemovedTogetherWithItsPassword)
{
    auto window = openWindow();
    click(*window, QStringLiteral("Hinzufügen …"));
    ASSERT_EQ(window->editors().size(), 1);
    RemoteProfileEditor& editor = *window->editors().first();

    click(editor, QStringLiteral("Sichern"));
    EXPECT_EQ(editor.status().tone, EditorStatus::Tone::failure);
    EXPECT_EQ(window->editors().size(), 1);
    EXPECT_TRUE(storedProfiles().isEmpty());

    fillEditor(editor, ftpProfile(QStringLiteral("Büro")), QStringLiteral("geheim-42"));
    saveEditor(*window);
    ASSERT_EQ(window->profiles().size(), 1);
    const RemoteProfile saved = window->profiles().first();
    forgetPasswordAfterTest(saved.id);
    EXPECT_EQ(storedProfiles(), window->profiles());
    EXPECT_EQ(window->table()->item(0, 4)->text(), QStringLiteral("Keychain"));
    EXPECT_EQ(credentials.read(saved.id), QStringLiteral("geheim-42"));
    EXPECT_FALSE(fileContents(brenvikSettings().fileName()).contains("geheim-42"));

    // Editing with an empty password field changes the profile in place and keeps the password.
    window->table()->selectRow(0);
    click(*window, QStringLiteral("Bearbeiten …"));
    ASSERT_EQ(window->editors().size(), 1);
    RemoteProfileEditor& second = *window->editors().first();
    EXPECT_TRUE(editorField(second, QStringLiteral("Passwort/Passphrase:"))->text().isEmpty());
    editorField(second, QStringLiteral("Name:"))->setText(QStringLiteral("Büro neu"));
    saveEditor(*window);
    ASSERT_EQ(storedProfiles().size(), 1);
    EXPECT_EQ(storedProfiles().first().id, saved.id);
    EXPECT_EQ(storedProfiles().first().name, QStringLiteral("Büro neu"));
    EXPECT_EQ(credentials.read(saved.id), QStringLiteral("geheim-42"));

    window->table()->selectRow(0);
    interaction.answerAlert(0);
    click(*window, QStringLiteral("Entfernen"));
    EXPECT_TRUE(storedProfiles().isEmpty());
    EXPECT_EQ(credentials.read(saved.id), std::nullopt);

    for (const QString& title : {QStringLiteral("Bearbeiten …"), QStringLiteral("Entfernen"), QStringLiteral("Verbinden …")})
        click(*window, title);
    EXPECT_EQ(interaction.beepCount(), 2); // removing without a selection does nothing at all
    EXPECT_TRUE(window->editors().isEmpty());
}

TEST(ConnectionsWindowWithoutKeychain, RefusedPasswordLeavesTheProfilesAsTheyWere)
{
    if (!insideRunWithoutSecretService())
        return runTestWithoutSecretService(QStringLiteral("ConnectionsWindowWithoutKeychain.*"));
    const RemoteProfile existing = ftpProfile(QStringLiteral("Vorhanden"));
    RemoteProfileStore::shared().setProfiles({existing});
    ScriptedInteraction interaction;
    RemoteConnectionsWindowController window(interaction, {});

    for (bool isNew : {true, false}) {
        window.table()->selectRow(0);
        click(window, isNew ? QStringLiteral("Hinzufügen …") : QStringLiteral("Bearbeiten …"));
        RemoteProfileEditor& editor = *window.editors().last();
        fillEditor(editor, ftpProfile(QStringLiteral("Geändert")), QStringLiteral("nirgendwohin"));
        click(editor, QStringLiteral("Sichern"));
        const QString keychainFailure = CredentialStoreError(0).description().chopped(2); // without "0."
        EXPECT_TRUE(editor.status().text.startsWith(keychainFailure)) << editor.status().text.toStdString();
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(window.profiles(), QList<RemoteProfile>{existing});
        EXPECT_EQ(RemoteProfileStore::shared().profiles(), QList<RemoteProfile>{existing});
        editor.close();
    }
    brenvikSettings().clear();
}

TEST_F(ConnectionsWindow, ConnectingHandsTheStoredPasswordToTheCallbackOnlyWhenThereIsOne)
{
    const RemoteProfile withPassword = ftpProfile(QStringLiteral("Mit"));
    const RemoteProfile withoutPassword = ftpProfile(QStringLiteral("Ohne"));
    RemoteProfileStore::shared().setProfiles({withoutPassword, withPassword});
    storePassword(withPassword, QStringLiteral("pw"));
    auto window = openWindow();
    interaction.answerAlert(0);
    window->table()->selectRow(0);
    click(*window, QStringLiteral("Verbinden …"));
    EXPECT_EQ(lastAlert(), QStringLiteral("Keine Zugangsdaten gespeichert"));
    EXPECT_TRUE(connections.isEmpty());

    QTableWidget& table = *window->table();
    const QPoint row = table.visualItemRect(table.item(1, 0)).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, row);
    ASSERT_EQ(connections.size(), 1);
    EXPECT_EQ(connections.first().profile, withPassword);
    EXPECT_EQ(connections.first().password, QStringLiteral("pw"));
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ConnectionsWindow, FirstSftpConnectionPinsTheConfirmedKeyAndCancelLeavesItUnpinned)
{
    const std::optional<SftpTestServer> server = SftpServer::local();
    if (!server)
        GTEST_SKIP() << SftpServer::missingMessage;
    RemoteProfile profile = server->profile();
    profile.expectedHostKey.clear();
    RemoteProfileStore::shared().setProfiles({profile});
    storePassword(profile, server->password);
    auto window = openWindow();
    window->table()->selectRow(0);

    interaction.answerAlert(1);
    click(*window, QStringLiteral("Verbinden …"));
    EXPECT_FALSE(window->table()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return alertCount() == 1 && window->table()->isEnabled(); }));
    const AlertRequest& question = interaction.alerts().first();
    EXPECT_EQ(question.message, QStringLiteral("Erste Verbindung mit 127.0.0.1"));
    const QStringList offered = question.accessory.controls.first().items;
    EXPECT_TRUE(offered.contains(server->fingerprint)) << offered.join(u' ').toStdString();
    EXPECT_TRUE(connections.isEmpty());
    EXPECT_TRUE(storedProfiles().first().expectedHostKey.isEmpty());

    interaction.answerAlert(AlertAnswer(0).withSelection(int(offered.indexOf(server->fingerprint))));
    click(*window, QStringLiteral("Verbinden …"));
    ASSERT_TRUE(waitFor([&] { return !connections.isEmpty(); }));
    EXPECT_EQ(connections.first().profile.expectedHostKey, server->fingerprint);
    EXPECT_EQ(storedProfiles().first().expectedHostKey, server->fingerprint);
}

TEST_F(ConnectionsWindow, OwnWindowListsWithTheRightPinAndIsBlockedByAWrongOne)
{
    const std::optional<SftpTestServer> server = SftpServer::local();
    if (!server)
        GTEST_SKIP() << SftpServer::missingMessage;
    RemoteProfile pinned = server->profile();
    pinned.initialPath = server->makeFolder("rw-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8());
    server->writeFile(pinned.initialPath.toUtf8() + "/da.txt", "x");
    RemoteProfile wrong = server->profile();
    wrong.expectedHostKey = QStringLiteral("SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA");
    RemoteProfileStore::shared().setProfiles({pinned, wrong});
    storePassword(pinned, server->password);
    storePassword(wrong, server->password);
    auto window = openWindow();

    for (int row : {0, 1}) {
        window->table()->selectRow(row);
        window->rowMenu()->actions().first()->trigger();
    }
    ASSERT_EQ(window->browsers().size(), 2);
    EXPECT_TRUE(connections.isEmpty());
    RemoteBrowserWindowController& good = *window->browsers().at(0);
    RemoteBrowserWindowController& blocked = *window->browsers().at(1);
    interaction.answerAlert(0);
    ASSERT_TRUE(waitFor([&] { return !good.isBusy() && !blocked.isBusy(); }));

    ASSERT_EQ(good.entries().size(), 1);
    EXPECT_EQ(good.entries().first().name, QStringLiteral("da.txt"));
    QStringList lines;
    for (const QLabel* label : good.findChildren<QLabel*>())
        lines.append(label->text());
    EXPECT_TRUE(lines.contains(QStringLiteral("SFTP verschlüsselt die Transportverbindung.")));
    EXPECT_TRUE(blocked.entries().isEmpty());
    EXPECT_EQ(blocked.statusText(), QStringLiteral("Fehler"));
    ASSERT_EQ(alertCount(), 1);
    const QString refusal = interaction.alerts().first().message;
    EXPECT_TRUE(refusal.startsWith(SFTPTransportError::hostKeyMismatch(wrong.expectedHostKey, {}).description()))
        << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(server->fingerprint));
}

TEST_F(ConnectionsWindow, ExportHoldsNoPasswordImportAppendsPasswordlessCopies)
{
    const RemoteProfile first = ftpProfile(QStringLiteral("Eins"));
    const RemoteProfile second = ftpProfile(QStringLiteral("Zwei"));
    RemoteProfileStore::shared().setProfiles({first, second});
    storePassword(first, QStringLiteral("nur-im-schluesselbund"));
    const TempFolder folder;
    const QString exported = folder.file("Export.json").path();
    const QString broken = folder.file("fifo.json").path();
    ASSERT_EQ(mkfifo(QFile::encodeName(broken).constData(), 0600), 0);
    auto window = openWindow();
    interaction.answerSaveFile(exported);
    interaction.answerAlert(0);
    click(*window, QStringLiteral("Exportieren …"));
    ASSERT_TRUE(waitFor([&] { return alertCount() == 1; }));
    EXPECT_FALSE(fileContents(exported).contains("nur-im-schluesselbund"));

    for (const QString& file : {broken, exported}) {
        interaction.answerOpenFile(file);
        interaction.answerAlert(0);
        click(*window, QStringLiteral("Importieren …"));
        ASSERT_TRUE(waitFor([&] { return alertCount() == (file == broken ? 2 : 3); }));
    }
    EXPECT_EQ(interaction.alerts().at(1).message,
              RemoteProfileFileError(RemoteProfileFileError::Reason::unreadableFormat, broken).description());
    EXPECT_EQ(lastAlert(), QStringLiteral("2 Profil(e) importiert"));
    const QList<RemoteProfile> profiles = window->profiles();
    ASSERT_EQ(profiles.size(), 4);
    EXPECT_EQ(storedProfiles(), profiles);
    EXPECT_EQ(profiles.mid(0, 2), (QList<RemoteProfile>{first, second}));
    EXPECT_EQ(window->table()->item(0, 4)->text(), QStringLiteral("Keychain"));
    for (int row : {2, 3}) {
        EXPECT_TRUE(profiles[row].name.endsWith(QStringLiteral(" (importiert)")));
        EXPECT_NE(profiles[row].id, profiles[row - 2].id);
        EXPECT_EQ(window->table()->item(row, 4)->text(), QStringLiteral("Nicht gespeichert"));
    }
}

} // namespace
