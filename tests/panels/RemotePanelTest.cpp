#include "PanelTestSupport.h"
#include "support/RemoteTestServer.h"

#include "panels/FileTableModel.h"
#include "panels/PanelPaths.h"
#include "panels/RemoteLocation.h"
#include "panels/RemoteTransfers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <csignal>

namespace {

using Action = FileOperationQueue::ConflictAction;

QByteArray contents(const FileUrl& file)
{
    QFile reader(file.path());
    return reader.open(QIODevice::ReadOnly) ? reader.readAll() : QByteArray("<fehlt>");
}

class RemotePanel : public PanelTest, public ::testing::WithParamInterface<RemoteProtocolKind> {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        std::optional<RemoteTestServer> found = RemoteTestServer::start(GetParam());
        if (!found)
            GTEST_SKIP() << "Der Testserver für " << rawValue(GetParam()).toStdString() << " läuft nicht.";
        server = std::move(*found);
        local = makePanel(temp.url(), QStringLiteral("Left"));
        remote = makePanel(temp.url(), QStringLiteral("Right"));
        delegate.left = local.get();
        delegate.right = remote.get();
        delegate.active = local.get();
    }

    void TearDown() override
    {
        local.reset();
        remote.reset();
        if (server)
            server->forget();
        PanelTest::TearDown();
    }

    static void typePath(FilePanelController& panel, const QString& text)
    {
        panel.pathField()->setText(text);
        panel.pathField()->setModified(true);
        Q_EMIT panel.pathField()->editingFinished();
    }

    static void select(FilePanelController& panel, const QStringList& wanted)
    {
        QList<int> rows;
        for (const QString& name : wanted)
            rows.append(rowOf(panel, name));
        selectRows(panel, rows);
    }

    std::optional<RemoteTestServer> server;
    std::unique_ptr<FilePanelController> local;
    std::unique_ptr<FilePanelController> remote;
};

class SftpPanel : public RemotePanel {};

TEST_P(RemotePanel, BrowsesAServerFolderAndGoesBackToTheLocalFolder)
{
    server->write(QStringLiteral("sub/inner.txt"), "innen");
    server->write(QStringLiteral("a.txt"), "12345");
    openRemoteAndWait(*remote, *server, server->folder);

    EXPECT_EQ(names(*remote), (QStringList{"sub", "a.txt"}));
    EXPECT_EQ(remote->pathField()->text(), rawValue(GetParam()) + QStringLiteral("://127.0.0.1") + server->folder);
    EXPECT_TRUE(remote->statusText().endsWith(QStringLiteral("2 Remote-Objekte     ") + rawValue(GetParam())));
    const auto* tabs = remote->findChild<QTabBar*>(QStringLiteral("tabBar"));
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("☁︎ ") + server->profile.name);
    EXPECT_EQ(remote->findChild<QComboBox*>(QStringLiteral("volumes"))->currentText(), tabs->tabText(tabs->currentIndex()));
    auto* disconnect = remote->findChild<QToolButton*>(QStringLiteral("disconnect"));
    EXPECT_FALSE(disconnect->isHidden());

    select(*remote, {"sub"});
    remote->openSelection();
    waitForListing(*remote);
    EXPECT_EQ(names(*remote), QStringList{"inner.txt"});
    remote->goUp();
    waitForListing(*remote);
    EXPECT_EQ(remote->remotePath(), server->folder);

    // The typed host plays no part; a text that is no location only beeps.
    typePath(*remote, QStringLiteral("sftp://irgendwo") + server->folder + QStringLiteral("/sub/../sub"));
    waitForListing(*remote);
    EXPECT_EQ(remote->remotePath(), server->folder + QStringLiteral("/sub"));
    typePath(*remote, QStringLiteral("home"));
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_EQ(remote->pathField()->text(), remote->locationDescription());

    remote->goBack();
    waitForListing(*remote);
    EXPECT_FALSE(remote->isRemote());
    EXPECT_EQ(remote->pathField()->text(), temp.url().path());
    EXPECT_TRUE(disconnect->isHidden());
}

TEST_P(RemotePanel, UploadConflictsAreDecidedPerEntryOrForAll)
{
    for (const char* name : {"replace.txt", "keep.txt", "newer.txt", "same.txt", "differs.txt"})
        server->write(QString::fromLatin1(name), "alt");
    server->write(QStringLiteral("folder/old.txt"), "alt");
    openRemoteAndWait(*remote, *server, server->folder);
    QList<FileUrl> sources;
    for (const char* name : {"replace.txt", "keep.txt", "newer.txt", "same.txt", "differs.txt", "folder/new.txt"})
        sources.append(temp.write(QByteArray("up/") + name, name == QByteArray("same.txt") ? "neu" : "neuer Inhalt"));
    sources[5] = sources[5].parent();

    interaction.answerAlert(AlertAnswer(0).withSelection(int(Action::replace)));
    interaction.answerAlert(AlertAnswer(0).withSelection(int(Action::keepBoth)));
    interaction.answerAlert(AlertAnswer(0).withSelection(int(Action::replaceIfNewer)));
    interaction.answerAlert(AlertAnswer(0).withSelection(int(Action::replaceIfSizeDiffers)).withCheckBox(true));
    remote->uploadLocalFiles(sources, false);
    waitForRemoteWork(*remote);

    ASSERT_EQ(interaction.alerts().size(), 4);
    EXPECT_TRUE(interaction.alerts().at(0).informativeText.contains(QStringLiteral("\nZiel: %1/replace.txt (").arg(server->folder)));
    EXPECT_EQ(server->read(QStringLiteral("replace.txt")), "neuer Inhalt");
    EXPECT_EQ(server->read(QStringLiteral("keep.txt")), "alt");
    EXPECT_EQ(server->read(QStringLiteral("keep 2.txt")), "neuer Inhalt");
    EXPECT_EQ(server->read(QStringLiteral("same.txt")), "alt"); // same size: kept
    EXPECT_EQ(server->read(QStringLiteral("differs.txt")), "neuer Inhalt");
    EXPECT_EQ(server->entries(QStringLiteral("folder")), (QStringList{"new.txt", "old.txt"}));
    EXPECT_EQ(server->read(QStringLiteral("newer.txt")), "alt"); // no date to compare: skipped
    EXPECT_EQ(server->entries().filter(QStringLiteral(".brvk-")), QStringList());
}

TEST_P(RemotePanel, DownloadsTakeFreeNamesAndMovesDeleteOnTheServer)
{
    server->write(QStringLiteral("a.txt"), "vom Server");
    server->write(QStringLiteral("dir/b.txt"), "b");
    temp.write("a.txt", "lokal");
    openRemoteAndWait(*remote, *server, server->folder);
    select(*remote, {"a.txt", "dir"});
    ASSERT_TRUE(remote->transferSelection(*local, true));
    waitForRemoteWork(*remote);

    EXPECT_EQ(contents(temp.file("a 2.txt")), "vom Server");
    EXPECT_EQ(contents(temp.file("a.txt")), "lokal");
    EXPECT_EQ(contents(temp.file("dir/b.txt")), "b");
    EXPECT_EQ(server->entries(), QStringList());
    EXPECT_EQ(interaction.alerts().size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Protocols, RemotePanel,
                         ::testing::Values(RemoteProtocolKind::sftp, RemoteProtocolKind::ftps, RemoteProtocolKind::ftp),
                         [](const auto& info) { return rawValue(info.param).left(4).trimmed().toStdString(); });

TEST_P(SftpPanel, OnlyTheListingLastAskedForIsShown)
{
    server->write(QStringLiteral("first/1.txt"), "1");
    server->write(QStringLiteral("second/2.txt"), "2");
    openRemoteAndWait(*remote, *server, server->folder);
    QSignalSpy listed(remote.get(), &FilePanelController::listingFinished);
    typePath(*remote, server->folder + QStringLiteral("/first"));
    typePath(*remote, server->folder + QStringLiteral("/second"));
    ASSERT_TRUE(listed.wait(20000));
    QTest::qWait(300);
    EXPECT_EQ(listed.count(), 1);
    EXPECT_EQ(names(*remote), QStringList{"2.txt"});
}

// A move removes what arrived, not what stayed behind or appeared meanwhile.
TEST_P(SftpPanel, MovesRemoveOnlyWhatWasTransferred)
{
    const FileUrl folder = temp.write("lokal/alt.txt", "alt").parent();
    ASSERT_EQ(::symlink("/etc/hostname", temp.file("lokal/verweis").nativePath().constData()), 0);
    openRemoteAndWait(*remote, *server, server->folder);
    interaction.answerAlert(0);
    remote->uploadLocalFiles({folder}, true);
    waitForRemoteWork(*remote);
    ASSERT_EQ(interaction.alerts().size(), 1) << "the link left out is named";
    EXPECT_EQ(server->entries(QStringLiteral("lokal")), QStringList{"alt.txt"});
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), QStringList{"verweis"});

    server->write(QStringLiteral("quelle/r.txt"), "r");
    server->makeFolder(QStringLiteral("ziel/quelle"));
    std::shared_ptr<CurlRemoteProvider> provider = RemotePanelProviders::make(server->profile, server->password);
    RemoteTransfers::Callbacks callbacks;
    // The question comes after the source was read and before anything is removed.
    callbacks.conflict = [&](const FileUrl&, const RemoteEntry&, const QString&) {
        server->write(QStringLiteral("quelle/neu.txt"), "neu");
        return RemoteTransfers::ConflictDecision{Action::replace, false};
    };
    const FileUrl staging = temp.file("staging");
    RemoteTransfers::betweenServers(*provider, *provider, {server->folder + QStringLiteral("/quelle")},
                                    server->folder + QStringLiteral("/ziel"), true, staging, callbacks);
    EXPECT_EQ(server->entries(QStringLiteral("ziel/quelle")), QStringList{"r.txt"});
    EXPECT_EQ(server->entries(QStringLiteral("quelle")), QStringList{"neu.txt"});
    EXPECT_FALSE(PanelPaths::exists(staging));
}

TEST_P(SftpPanel, AMoveWhoseDeletionFailsKeepsTheCopy)
{
    server->write(QStringLiteral("fest/datei.txt"), "bleibt");
    ::chmod(server->local(server->folder + QStringLiteral("/fest")).constData(), 0555);
    openRemoteAndWait(*remote, *server, server->folder + QStringLiteral("/fest"));
    select(*remote, {"datei.txt"});
    interaction.answerAlert(0);
    remote->transferSelection(*local, true);
    waitForRemoteWork(*remote);
    ::chmod(server->local(server->folder + QStringLiteral("/fest")).constData(), 0755);

    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(contents(temp.file("datei.txt")), "bleibt");
    EXPECT_EQ(server->read(QStringLiteral("fest/datei.txt")), "bleibt");
}

TEST_P(SftpPanel, ATransferCutOffByTheServerLeavesNothingUnderARealName)
{
    const FileUrl big = temp.write("gross.bin", QByteArray(128 << 20, 'x'));
    openRemoteAndWait(*remote, *server, server->folder);
    interaction.answerAlert(0);
    remote->uploadLocalFiles({big}, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server->entries().filter(QStringLiteral(".brvk-")).isEmpty(); }, 20000));
    for (pid_t sftp : SftpServer::childrenOf(getpid()))
        for (pid_t serving : SftpServer::serverProcessesOf(sftp))
            ::kill(serving, SIGKILL);
    waitForRemoteWork(*remote);

    EXPECT_EQ(interaction.alerts().size(), 1);
    EXPECT_FALSE(server->entries().contains(QStringLiteral("gross.bin")));
}

TEST_P(SftpPanel, RemoteRowsDroppedOnALocalPanelAreDownloaded)
{
    server->write(QStringLiteral("gezogen.txt"), "gezogen");
    openRemoteAndWait(*remote, *server, server->folder);
    const int row = rowOf(*remote, QStringLiteral("gezogen.txt"));
    std::unique_ptr<QMimeData> dragged(remote->tableModel().mimeData({remote->tableModel().index(row, 0)}));
    ASSERT_TRUE(dragged->hasFormat(RemoteLocation::dragType()));

    // Another remote panel takes none; a local one fetches them through the panel of their server.
    EXPECT_FALSE(remote->tableModel().dropMimeData(dragged.get(), Qt::CopyAction, -1, -1, {}));
    ASSERT_TRUE(local->tableModel().dropMimeData(dragged.get(), Qt::CopyAction, -1, -1, {}));
    waitForRemoteWork(*remote);
    EXPECT_EQ(contents(temp.file("gezogen.txt")), "gezogen");
}

TEST_P(SftpPanel, TheSameFolderOnBothSidesIsRefusedAndOtherFoldersGoThroughACopy)
{
    server->write(QStringLiteral("a/eins.txt"), "eins");
    server->makeFolder(QStringLiteral("b"));
    openRemoteAndWait(*remote, *server, server->folder + QStringLiteral("/a"));
    openRemoteAndWait(*local, *server, server->folder + QStringLiteral("/a"));
    select(*remote, {"eins.txt"});
    interaction.answerAlert(0);
    remote->transferSelection(*local, false);
    EXPECT_EQ(interaction.alerts().value(0).message, QStringLiteral("Quelle und Ziel sind identisch"));

    // Another folder of the same server is another side.
    openRemoteAndWait(*local, *server, server->folder + QStringLiteral("/b"));
    remote->transferSelection(*local, false);
    waitForRemoteWork(*remote);
    EXPECT_EQ(server->read(QStringLiteral("b/eins.txt")), "eins");
    EXPECT_EQ(server->read(QStringLiteral("a/eins.txt")), "eins");
    EXPECT_EQ(QDir::temp().entryList({QStringLiteral("Brenvik-RemoteTransfer-*")}, QDir::Dirs), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Sftp, SftpPanel, ::testing::Values(RemoteProtocolKind::sftp));

} // namespace
