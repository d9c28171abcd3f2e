#include "commander/RemoteConnectionsCommand.h"

#include "commander/CommanderWindowController.h"
#include "panels/FilePanelController.h"

#include <QPointer>

namespace RemoteConnectionsCommand {

void openRemoteInPanel(FilePanelController& panel, const RemoteProfile& profile, const QString& password)
{
    panel.openRemote(profile, password);
}

RemoteConnectCallback connectIntoActivePanel(CommanderWindowController& commander, RemotePanelOpener opener)
{
    // The connections window may outlive the commander for a moment while both close.
    return [commander = QPointer<CommanderWindowController>(&commander),
            opener = std::move(opener)](const RemoteProfile& profile, const QString& password) {
        FilePanelController* panel = commander ? commander->activePanel() : nullptr;
        if (!panel)
            return;
        opener(*panel, profile, password);
        // The connections window closes next: the commander takes the keyboard back.
        commander->activateWindow();
        commander->setActive(*panel, true);
    };
}

RemoteConnectionsWindowController* showRemoteConnections(CommanderWindowController& commander)
{
    auto* window = new RemoteConnectionsWindowController(commander.interaction(), connectIntoActivePanel(commander));
    commander.keepToolWindow(window);
    return window;
}

} // namespace RemoteConnectionsCommand
