#pragma once

#include "remote/RemoteConnectionsWindowController.h"

#include <functional>

class CommanderWindowController;
class FilePanelController;

namespace RemoteConnectionsCommand {

// How a chosen connection reaches a panel.
using RemotePanelOpener =
    std::function<void(FilePanelController& panel, const RemoteProfile& profile, const QString& password)>;

// The panel's own remote mode.
void openRemoteInPanel(FilePanelController& panel, const RemoteProfile& profile, const QString& password);

// Opens the connection in the panel that is active when the user connects,
// makes that panel active again and puts the keyboard in its table.
RemoteConnectCallback connectIntoActivePanel(CommanderWindowController& commander,
                                             RemotePanelOpener opener = openRemoteInPanel);

// "Remote-Verbindungen (FTP/FTPS/SFTP) …": a new connections window, kept until it closes.
RemoteConnectionsWindowController* showRemoteConnections(CommanderWindowController& commander);

} // namespace RemoteConnectionsCommand
