#include "RemoteWindowsFixture.h"

#include "commander/CommanderWindowController.h"
#include "commander/RemoteConnectionsCommand.h"
#include "panels/FilePanelController.h"

#include <QApplication>
#include <QTableWidget>

namespace {

TEST_F(RemoteWindowsTest, ConnectionOpensInThePanelThatIsActiveWhenTheUserConnects)
{
    RemoteProfile profile;
    profile.name = QStringLiteral("Ablage");
    profile.kind = RemoteProtocolKind::ftps;
    profile.host = QStringLiteral("127.0.0.1");
    RemoteProfile withoutPassword = profile;
    withoutPassword.id = QUuid::createUuid();
    RemoteProfileStore::shared().setProfiles({withoutPassword, profile});
    storePassword(profile, QStringLiteral("pw"));

    CommanderWindowController commander(interaction);
    commander.show();
    commander.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&commander));
    commander.showRemoteConnections();
    ASSERT_EQ(commander.toolWindows().size(), 1);
    EXPECT_TRUE(qobject_cast<RemoteConnectionsWindowController*>(commander.toolWindows().first()));

    QList<std::pair<FilePanelController*, QString>> opened;
    RemoteConnectionsWindowController window(
        interaction, RemoteConnectionsCommand::connectIntoActivePanel(commander, [&](FilePanelController& panel, const RemoteProfile& chosen,
                                                           const QString& password) {
            EXPECT_EQ(chosen, profile);
            opened.append({&panel, password});
        }));
    commander.setActive(*commander.rightPanel(), false);
    interaction.answerAlert(0);
    window.table()->selectRow(0);
    window.connectProfile();
    EXPECT_EQ(alertCount(), 1) << "no password stored";
    EXPECT_TRUE(opened.isEmpty());
    window.table()->selectRow(1);
    window.connectProfile();

    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().first, commander.rightPanel());
    EXPECT_EQ(opened.first().second, QStringLiteral("pw"));
    EXPECT_EQ(commander.activePanel(), commander.rightPanel());
    EXPECT_TRUE(waitFor([&] { return commander.rightPanel()->isAncestorOf(QApplication::focusWidget()); }, 2000));
}

} // namespace
