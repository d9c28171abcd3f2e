#include "RemoteWindowsFixture.h"

#include "remote/RemoteBrowserWindowController.h"
#include "remote/RemoteConnectionsWindowController.h"
#include "support/SftpServer.h"
#include "support/RemoteChecks.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QMenu>
#include <QTableWidget>

namespace {

RemoteProfile ftpProfile(const QString& name)
{
    RemoteProfile profile;
    profile.name = name;
    profile.kind = RemoteProtocolKind::ftp;
    profile.host = QStringLiteral("127.0.0.1");
    profile.username = QStringLiteral("anna");
    return profile;
}

class ConnectionsWindow : public RemoteWindowsTest {
protected:
    // Opens the window on the stored profiles.
    void open()
    {
        window = std::make_unique<RemoteConnectionsWindowController>(
            interaction, [this](const RemoteProfile& profile, const QString& password) { connections.append({profile, password}); },
            sftpTools());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // Saves the editor and waits until it has closed.
    void saveEditor() const
    {
        RemoteProfileEditor* editor = window->editors().value(0);
        ASSERT_TRUE(editor);
        click(*editor, QStringLiteral("Sichern"));
        EXPECT_TRUE(waitFor([&] { return window->editors().isEmpty(); }, 5000)) << editor->status().text.toStdString();
    }

    // Selects the row and asks to connect.
    void connectRow(int row) const
    {
        window->table()->selectRow(row);
        click(*window, QStringLiteral("Verbinden …"));
    }

    std::unique_ptr<RemoteConnectionsWindowController> window;
    QList<std::pair<RemoteProfile, QString>> connections;
};

TEST_F(ConnectionsWindow, ProfileIsAddedEditedAndRemovedTogetherWithItsPassword)
{
    open();
    click(*window, QStringLiteral("Hinzufügen …"));
    ASSERT_EQ(window->editors().size(), 1);
    RemoteProfileEditor& editor = *window->editors().first();
    click(editor, QStringLiteral("Sichern"));
    EXPECT_EQ(window->editors().size(), 1) << "an empty form stays open";
    fillEditor(editor, ftpProfile(QStringLiteral("Büro")), QStringLiteral("geheim-42"));
    saveEditor();
    ASSERT_EQ(storedProfiles().size(), 1);
    const RemoteProfile saved = storedProfiles().first();
    forgetPasswordAfterTest(saved.id);
    EXPECT_EQ(credentials.read(saved.id), QStringLiteral("geheim-42"));
    EXPECT_FALSE(contentsOf(brenvikSettings().fileName()).contains("geheim-42"));

    // Editing with an empty password field changes the profile in place and keeps the password.
    window->table()->selectRow(0);
    click(*window, QStringLiteral("Bearbeiten …"));
    ASSERT_EQ(window->editors().size(), 1);
    editorField(*window->editors().first(), QStringLiteral("Name:"))->setText(QStringLiteral("Büro neu"));
    saveEditor();
    ASSERT_EQ(storedProfiles().size(), 1);
    EXPECT_EQ(storedProfiles().first().id, saved.id);
    EXPECT_EQ(storedProfiles().first().name, QStringLiteral("Büro neu"));
    EXPECT_EQ(credentials.read(saved.id), QStringLiteral("geheim-42"));

    window->table()->selectRow(0);
    interaction.answerAlert(0);
    click(*window, QStringLiteral("Entfernen"));
    EXPECT_TRUE(storedProfiles().isEmpty());
    EXPECT_EQ(credentials.read(saved.id), std::nullopt);
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
    open();

    interaction.answerAlert(1);
    connectRow(0);
    EXPECT_FALSE(window->table()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return alertCount() == 1 && window->table()->isEnabled(); }));
    const QStringList offered = interaction.alerts().first().accessory.controls.first().items;
    EXPECT_TRUE(connections.isEmpty());
    EXPECT_TRUE(storedProfiles().first().expectedHostKey.isEmpty());

    interaction.answerAlert(AlertAnswer(0).withSelection(int(offered.indexOf(server->fingerprint))));
    connectRow(0);
    ASSERT_TRUE(waitFor([&] { return !connections.isEmpty(); }));
    EXPECT_EQ(connections.first().first.expectedHostKey, server->fingerprint);
    EXPECT_EQ(storedProfiles().first().expectedHostKey, server->fingerprint);

    // The row menu opens the profile in a window of its own instead.
    RemoteProfile pinned = storedProfiles().first();
    pinned.initialPath = server->makeFolder("rw-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8());
    server->writeFile(pinned.initialPath.toUtf8() + "/da.txt", "x");
    RemoteProfileStore::shared().setProfiles({pinned});
    open();
    window->table()->selectRow(0);
    window->rowMenu()->actions().first()->trigger();
    ASSERT_EQ(window->browsers().size(), 1);
    RemoteBrowserWindowController& browser = *window->browsers().first();
    ASSERT_TRUE(waitFor([&] { return !browser.isBusy(); }));
    EXPECT_EQ(browser.entries().value(0).name, QStringLiteral("da.txt"));
    EXPECT_EQ(connections.size(), 1);
}

TEST_F(ConnectionsWindow, ExportHoldsNoPasswordImportAppendsCopiesWithoutOne)
{
    const RemoteProfile first = ftpProfile("Eins");
    RemoteProfileStore::shared().setProfiles({first});
    storePassword(first, "nur-im-schluesselbund");
    open();
    const TempFolder folder;
    const QString exported = folder.file("Export.json").path();
    interaction.answerSaveFile(exported);
    interaction.answerAlert(0);
    interaction.answerOpenFile(exported);
    interaction.answerAlert(0);
    click(*window, "Exportieren …");
    ASSERT_TRUE(waitFor([&] { return alertCount() == 1; }));
    EXPECT_FALSE(contentsOf(exported).contains("nur-im-schluesselbund"));
    click(*window, "Importieren …");
    ASSERT_TRUE(waitFor([&] { return alertCount() == 2; }));
    ASSERT_EQ(storedProfiles().size(), 2);
    EXPECT_EQ(storedProfiles(), window->profiles());
    EXPECT_NE(storedProfiles()[1].id, first.id);
    EXPECT_EQ(credentials.read(storedProfiles()[1].id), std::nullopt);
}

} // namespace
