#include "EditorFields.h"
#include "RemoteWindowsFixture.h"

#include "support/LoopbackListener.h"
#include "support/SftpServer.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <iostream>

namespace {

using Tone = EditorStatus::Tone;

class ProfileEditor : public RemoteWindowsTest {
protected:
    std::unique_ptr<RemoteProfileEditor> openEditor(const RemoteProfile& profile = {})
    {
        auto editor = std::make_unique<RemoteProfileEditor>(
            profile, true, interaction, [this](const RemoteProfile& saved) { this->saved.append(saved); });
        editor->setAttribute(Qt::WA_DeleteOnClose, false);
        editor->show();
        return editor;
    }

    static void fillEndpoint(RemoteProfileEditor& editor, RemoteProtocolKind kind, quint16 port)
    {
        chooseProtocol(editor, kind);
        editorField(editor, QStringLiteral("Server:"))->setText(QStringLiteral(" 127.0.0.1 "));
        editorField(editor, QStringLiteral("Port:"))->setText(QString::number(port));
    }

    QList<RemoteProfile> saved;
};

TEST_F(ProfileEditor, ProtocolSwitchKeepsCustomPortsAndShowsOnlyTheFittingControls)
{
    auto editor = openEditor();
    QLineEdit* port = editorField(*editor, QStringLiteral("Port:"));
    for (const auto& [before, kind, after] : {std::tuple{"2222", RemoteProtocolKind::ftps, "2222"},
                                              std::tuple{"22", RemoteProtocolKind::ftps, "21"},
                                              std::tuple{"990", RemoteProtocolKind::sftp, "22"},
                                              std::tuple{"", RemoteProtocolKind::ftp, "21"}}) {
        chooseProtocol(*editor, kind == RemoteProtocolKind::sftp ? RemoteProtocolKind::ftp : RemoteProtocolKind::sftp);
        port->setText(QString::fromLatin1(before));
        chooseProtocol(*editor, kind);
        EXPECT_EQ(port->text(), QString::fromLatin1(after)) << before;
        const bool sftp = kind == RemoteProtocolKind::sftp;
        EXPECT_EQ(editor->findChild<QCheckBox*>()->isVisible(), !sftp);
        EXPECT_EQ(editorField(*editor, QStringLiteral("Host-Key:"))->isEnabled(), sftp);
    }
    EXPECT_EQ(editor->status().tone, Tone::failure); // the FTP warning
    editorField(*editor, QStringLiteral("Host-Key:"))->setText(QStringLiteral("SHA256:gepinnt"));
    chooseProtocol(*editor, RemoteProtocolKind::sftp);
    EXPECT_TRUE(editor->status().text.isEmpty());
}

TEST_F(ProfileEditor, KeyFileComesFromTheSshFolderAndTheTypedPasswordIsGoneWhenTheEditorCloses)
{
    auto editor = openEditor();
    interaction.answerOpenFile(QStringLiteral("/home/anna/.ssh/id_ed25519"));
    click(*editor, QStringLiteral("Auswählen …"));
    EXPECT_EQ(interaction.openFileRequests().first().startFolder, QDir::homePath() + QStringLiteral("/.ssh"));
    EXPECT_EQ(editorField(*editor, QStringLiteral("SSH-Schlüssel:"))->text(), QStringLiteral("/home/anna/.ssh/id_ed25519"));

    QLineEdit* password = editorField(*editor, QStringLiteral("Passwort/Passphrase:"));
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    QTest::keyClicks(password, QStringLiteral("tippt-nur"));
    editor->close();
    EXPECT_TRUE(password->text().isEmpty());
    EXPECT_TRUE(saved.isEmpty());
}

// The endpoint check gives up after 5 seconds, the host-key check after 8; both
// run side by side against the same silent port, each button disabled meanwhile.
TEST_F(ProfileEditor, ChecksAgainstASilentPortEndWithinTheirLimitsOneAtATime)
{
    const LoopbackListener silent;
    auto endpointEditor = openEditor();
    auto hostKeyEditor = openEditor();
    fillEndpoint(*endpointEditor, RemoteProtocolKind::sftp, silent.port());
    fillEndpoint(*hostKeyEditor, RemoteProtocolKind::sftp, silent.port());
    QAbstractButton* endpointButton = button(*endpointEditor, QStringLiteral("Server und Port testen"));
    QAbstractButton* hostKeyButton = button(*hostKeyEditor, QStringLiteral("Host-Key vorab prüfen …"));

    QElapsedTimer clock;
    clock.start();
    endpointButton->click();
    hostKeyButton->click();
    EXPECT_FALSE(endpointButton->isEnabled());
    EXPECT_FALSE(hostKeyButton->isEnabled());
    endpointEditor->testEndpoint();
    hostKeyEditor->fetchHostKey();

    qint64 endpointEnded = 0;
    qint64 hostKeyEnded = 0;
    ASSERT_TRUE(waitFor([&] {
        if (!endpointEnded && endpointButton->isEnabled())
            endpointEnded = clock.elapsed();
        if (!hostKeyEnded && hostKeyButton->isEnabled())
            hostKeyEnded = clock.elapsed();
        return endpointEnded && hostKeyEnded;
    }));
    std::cout << "[ TIMING   ] silent port: endpoint check " << endpointEnded << " ms, host-key check " << hostKeyEnded
              << " ms\n";
    EXPECT_EQ(endpointEditor->status().tone, Tone::failure);
    EXPECT_TRUE(endpointEditor->status().text.endsWith(
        QStringLiteral("Der Server hat innerhalb des Timeouts nicht geantwortet.")));
    EXPECT_EQ(hostKeyEditor->status().tone, Tone::failure);
    EXPECT_EQ(hostKeyButton->text(), QStringLiteral("Host-Key vorab prüfen …"));
    EXPECT_GE(endpointEnded, 4500);
    EXPECT_GE(hostKeyEnded, 7500);
}

TEST_F(ProfileEditor, ChecksAgainstTheSshServerGreetAndOfferItsKeyToPin)
{
    const std::optional<SftpTestServer> server = SftpServer::local();
    if (!server)
        GTEST_SKIP() << SftpServer::missingMessage;
    auto editor = openEditor();
    fillEndpoint(*editor, RemoteProtocolKind::sftp, server->port);

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
    EXPECT_EQ(editor->status().tone, Tone::success);

    // Closing the editor cancels a running check: no fingerprint question comes.
    QAbstractButton* hostKeyButton = button(*editor, QStringLiteral("Host-Key vorab prüfen …"));
    hostKeyButton->click();
    editor->close();
    ASSERT_TRUE(waitFor([&] { return hostKeyButton->isEnabled(); }));
    EXPECT_EQ(alertCount(), 2);
}

} // namespace
