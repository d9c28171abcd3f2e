#include "RemoteWindowsFixture.h"

#include "support/SftpServer.h"

#include <QCheckBox>
#include <QDir>

namespace {

using Tone = EditorStatus::Tone;

class ProfileEditor : public RemoteWindowsTest {
protected:
    // An editor for a new profile on this port of the loopback address.
    std::unique_ptr<RemoteProfileEditor> openEditor(quint16 port = 22)
    {
        auto editor = std::make_unique<RemoteProfileEditor>(RemoteProfile(), true, interaction,
                                                            [this](const RemoteProfile& profile) { saved.append(profile); });
        editor->setAttribute(Qt::WA_DeleteOnClose, false);
        editor->show();
        editorField(*editor, QStringLiteral("Server:"))->setText(QStringLiteral(" 127.0.0.1 "));
        editorField(*editor, QStringLiteral("Port:"))->setText(QString::number(port));
        return editor;
    }

    QList<RemoteProfile> saved;
};

TEST_F(ProfileEditor, ProtocolSwitchKeepsCustomPortsAndShowsOnlyTheFittingControls)
{
    auto editor = openEditor();
    QLineEdit* port = editorField(*editor, QStringLiteral("Port:"));
    for (const auto& [before, kind, after] : {std::tuple{"2222", RemoteProtocolKind::ftps, "2222"},
                                              std::tuple{"22", RemoteProtocolKind::ftps, "21"},
                                              std::tuple{"990", RemoteProtocolKind::sftp, "22"}}) {
        chooseProtocol(*editor, kind == RemoteProtocolKind::sftp ? RemoteProtocolKind::ftp : RemoteProtocolKind::sftp);
        port->setText(QString::fromLatin1(before));
        chooseProtocol(*editor, kind);
        EXPECT_EQ(port->text(), QString::fromLatin1(after)) << before;
        EXPECT_EQ(editor->findChild<QCheckBox*>()->isVisible(), kind != RemoteProtocolKind::sftp);
        EXPECT_EQ(editorField(*editor, QStringLiteral("Host-Key:"))->isEnabled(), kind == RemoteProtocolKind::sftp);
    }
}

TEST_F(ProfileEditor, KeyFileComesFromTheSshFolderAndTheTypedPasswordIsGoneWhenTheEditorCloses)
{
    auto editor = openEditor();
    interaction.answerOpenFile(QStringLiteral("/home/anna/.ssh/id_ed25519"));
    click(*editor, QStringLiteral("Auswählen …"));
    EXPECT_EQ(interaction.openFileRequests().first().startFolder, QDir::homePath() + QStringLiteral("/.ssh"));
    EXPECT_EQ(editorField(*editor, QStringLiteral("SSH-Schlüssel:"))->text(), QStringLiteral("/home/anna/.ssh/id_ed25519"));
    QLineEdit* password = editorField(*editor, QStringLiteral("Passwort/Passphrase:"));
    QTest::keyClicks(password, QStringLiteral("tippt-nur"));
    editor->close();
    EXPECT_TRUE(password->text().isEmpty());
    EXPECT_TRUE(saved.isEmpty());
}

TEST_F(ProfileEditor, ChecksAgainstTheSshServerGreetAndOfferItsKeyToPin)
{
    const std::optional<SftpTestServer> server = SftpServer::local();
    if (!server)
        GTEST_SKIP() << SftpServer::missingMessage;
    auto editor = openEditor(server->port);
    click(*editor, QStringLiteral("Server und Port testen"));
    ASSERT_TRUE(waitFor([&] { return editor->status().tone != Tone::secondary; }));
    EXPECT_EQ(editor->status().tone, Tone::success);

    interaction.answerAlert(1);
    click(*editor, QStringLiteral("Host-Key vorab prüfen …"));
    ASSERT_TRUE(waitFor([&] { return alertCount() == 1; }));
    EXPECT_TRUE(editorField(*editor, QStringLiteral("Host-Key:"))->text().isEmpty());
    interaction.answerAlert(AlertAnswer(0).withSelection(0));
    click(*editor, QStringLiteral("Host-Key vorab prüfen …"));
    ASSERT_TRUE(waitFor([&] { return alertCount() == 2; }));
    const QStringList offered = interaction.alerts().last().accessory.controls.first().items;
    EXPECT_EQ(editorField(*editor, QStringLiteral("Host-Key:"))->text(), offered.value(0));
    EXPECT_TRUE(offered.contains(server->fingerprint));

    // Closing the editor cancels a running check: no fingerprint question comes.
    QAbstractButton* hostKeyButton = button(*editor, QStringLiteral("Host-Key vorab prüfen …"));
    hostKeyButton->click();
    EXPECT_FALSE(hostKeyButton->isEnabled()) << "a second press runs no second check";
    editor->close();
    ASSERT_TRUE(waitFor([&] { return hostKeyButton->isEnabled(); }));
    EXPECT_EQ(alertCount(), 2);
}

} // namespace
