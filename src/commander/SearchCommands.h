#pragma once

class CommanderWindowController;

// The commander window's tools that work on the active panel's folder or
// selection: file search, multi-rename and SHA-256 checksums. Local panels
// only; a remote panel gets the beep.
namespace SearchCommands {

void searchFiles(CommanderWindowController& window);
void multiRename(CommanderWindowController& window);
void calculateChecksums(CommanderWindowController& window);

} // namespace SearchCommands
