#pragma once

class FilePanelDelegate;
class Interaction;

// The single-step commands of the commander window that change or inspect the
// active panel's folder at once: new folder, new empty file, rename, symbolic
// links into the other panel, and the folder access check. Each asks in an
// alert, acts on the GUI thread and reports a failure in an alert.
class WindowCommands {
public:
    WindowCommands(FilePanelDelegate& panels, Interaction& interaction);

    void newFolder();
    void newEmptyFile();
    void renameSelection();
    void createSymbolicLinks();
    void checkActiveFolderAccess();

private:
    FilePanelDelegate& m_panels;
    Interaction& m_interaction;
};
