#include "CommanderTestWindow.h"
#include "support/RemoteTestServer.h"

namespace {

// The commander with its right panel on a fresh folder of the SFTP server.
class RemoteCommander : public CommanderTest {
protected:
    void SetUp() override
    {
        std::optional<RemoteTestServer> found = RemoteTestServer::start(RemoteProtocolKind::sftp);
        if (!found)
            GTEST_SKIP() << SftpServer::missingMessage;
        server = std::move(*found);
        CommanderTest::SetUp();
        openRemoteAndWait(right(), *server, server->folder);
        window->setActive(right(), true);
    }

    void TearDown() override
    {
        CommanderTest::TearDown();
        if (server)
            server->forget();
    }

    void select(FilePanelController& panel, const QStringList& wanted)
    {
        QItemSelectionModel* selection = panel.table()->selectionModel();
        selection->clearSelection();
        for (const QString& name : wanted)
            selection->select(panel.table()->model()->index(int(names(panel).indexOf(name)), 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    std::optional<RemoteTestServer> server;
};

TEST_F(RemoteCommander, DeletingAsksWithCountAndFirstNamesAndBeepsOnNothing)
{
    for (int i = 1; i <= 7; ++i)
        server->write(QStringLiteral("f%1.txt").arg(i), "x");
    relist(right());
    press(Qt::Key_F8);
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_TRUE(interaction.alerts().isEmpty());

    window->selectAllFiles();
    interaction.answerAlert(0);
    press(Qt::Key_F8);
    waitForRemoteWork(right());
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_TRUE(interaction.alerts().at(0).informativeText.endsWith(
        QStringLiteral("\n\n7 Objekt(e):\nf1.txt\nf2.txt\nf3.txt\nf4.txt\nf5.txt\n…")))
        << interaction.alerts().at(0).informativeText.toStdString();
    EXPECT_EQ(server->entries(), QStringList());
}

TEST_F(RemoteCommander, NewFolderRenameAndViewWorkOnTheServer)
{
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("  Neu  ")));
    QSignalSpy listed(&right(), &FilePanelController::listingFinished);
    press(Qt::Key_F7);
    ASSERT_TRUE(listed.wait(20000));
    EXPECT_EQ(names(right()), QStringList{QStringLiteral("Neu")});

    select(right(), {QStringLiteral("Neu")});
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("..")));
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("Umbenannt")));
    press(Qt::Key_F2); // ".." would name the parent: dropped
    press(Qt::Key_F2);
    ASSERT_TRUE(listed.wait(20000));
    EXPECT_EQ(server->entries(), QStringList{QStringLiteral("Umbenannt")});

    server->write(QStringLiteral("lesen.txt"), "Inhalt");
    relist(right());
    select(right(), {QStringLiteral("lesen.txt")});
    QByteArray opened;
    right().setFileOpener([&](const FileUrl& copy) { opened = contentsOf(copy); });
    press(Qt::Key_F3);
    waitForRemoteWork(right());
    EXPECT_EQ(opened, "Inhalt");
    EXPECT_EQ(right().statusText(), QStringLiteral("Remote-Datei geladen"));
}

TEST_F(RemoteCommander, CopyingToTheServerShowsProgressAndAClosedWindowGetsNoLateResult)
{
    leftFolder.write("hoch.txt", "hoch");
    relist(left());
    window->setActive(left(), true);
    select(left(), {QStringLiteral("hoch.txt")});
    press(Qt::Key_F5);
    EXPECT_EQ(finalMessage(), QStringLiteral("Vorgang abgeschlossen"));
    EXPECT_EQ(server->read(QStringLiteral("hoch.txt")), "hoch");

    leftFolder.write("gross.bin", QByteArray(32 << 20, 'x'));
    relist(left());
    select(left(), {QStringLiteral("gross.bin")});
    press(Qt::Key_F5);
    window.reset(); // mid-transfer: the panels go, the transfer ends on its own
    QTest::qWait(200);
}

} // namespace
