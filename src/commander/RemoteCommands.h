#pragma once

class FilePanelController;
class Interaction;

// The commander's commands for an active panel that shows a remote folder.
namespace RemoteCommands {

// View, edit and quick look of a remote entry open a downloaded copy; false
// when the panel is local (the local command runs then).
bool openInstead(FilePanelController& panel);

// Deleting on the server is for good: the question names how many entries and
// the first five of them. An empty selection only beeps.
void deleteSelection(FilePanelController& panel, Interaction& interaction);
// A name that is empty (after trimming) or holds "/" ends these silently.
void newFolder(FilePanelController& panel, Interaction& interaction);
void renameSelection(FilePanelController& panel, Interaction& interaction);

} // namespace RemoteCommands
