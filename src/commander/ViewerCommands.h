#pragma once

#include "tools/DirectoryCompareEngine.h"

#include <QObject>

class CommanderWindowController;

// The commander's view, information and compare commands: the internal
// viewer (F3), the information window (⌘I), the directory compare of both
// panels with its marks and report, and the text compare of the two selected
// files. Tool windows are kept by the commander window.
class ViewerCommands : public QObject {
    Q_OBJECT

public:
    // The commands of `window`, made on first use; they go with the window.
    static ViewerCommands& of(CommanderWindowController& window);

    void viewSelection();
    void showFileInfo();
    void comparePanels();
    void compareSelectedFiles();

private:
    explicit ViewerCommands(CommanderWindowController& window);

    CommanderWindowController& m_window;
    DirectoryCompareEngine m_compareEngine;
};
