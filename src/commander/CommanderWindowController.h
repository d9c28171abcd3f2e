#pragma once

#include "commander/CommandTable.h"
#include "commander/WindowCommands.h"
#include "panels/FilePanelDelegate.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class CommanderKeyboard;
class DiagnosticsWindowController;
class Interaction;
class OperationRunner;
class PanelActivation;
class QMenuBar;

// The one main window: two file panels side by side over a row of
// function-key buttons. It decides which panel is active, owns the keyboard of
// the two-panel workflow and every file-manager command, and hands bulk work
// to its operation runner. Closing it ends the program.
class CommanderWindowController : public QMainWindow, public FilePanelDelegate {
    Q_OBJECT

public:
    static constexpr char frameKey[] = "Brenvik.MainWindow";

    // The left panel shows the home folder, the right one its "Downloads"; both
    // restore their saved tabs. The left panel is active. The menu bar, when
    // given, belongs to the window from then on.
    explicit CommanderWindowController(Interaction& interaction, QMenuBar* menuBar = nullptr);
    ~CommanderWindowController() override;

    void setActive(FilePanelController& panel, bool focusTable) override;
    void runCommand(FilePanelController& panel, const QString& command) override;
    QList<PanelMenuItem> contextMenuItems() const override;
    void dropFiles(FilePanelController& panel, const QList<FileUrl>& sources, const FileUrl& destination,
                   bool moving) override;
    FilePanelController* leftPanel() const override { return m_left; }
    FilePanelController* rightPanel() const override { return m_right; }
    FilePanelController* activePanel() const override { return m_active; }
    FilePanelController* otherPanel() const;

    // A custom shortcut's command; false for identifiers it does not know.
    bool performCustomCommand(const QString& command);
    // Runs a command of the command table; one that needs local folders beeps
    // while a panel it would act on shows a remote folder.
    void run(const CommandTable::Row& command);
    OperationRunner& operations() { return *m_operations; }
    Interaction& interaction() { return m_interaction; }
    // Shows a tool window and keeps it until the user closes it; it closes with this window.
    void keepToolWindow(QWidget* window);
    const QList<QPointer<QWidget>>& toolWindows() const { return m_toolWindows; }

public Q_SLOTS:
    void addTab();
    void closeTabOrWindow();
    void openSelection();
    void switchPanel();
    void nextTab();
    void previousTab();
    void goUp();
    void reloadPanels();
    void toggleHiddenFiles();
    void toggleCurrentSelection();
    void viewSelection();
    void editSelection();
    void quickLookSelection();
    void revealSelection();
    void copySelection();
    void moveSelection();
    void duplicateSelection();
    void trashSelection();
    void undoTrash();
    void renameSelection();
    void newFolder();
    void newEmptyFile();
    void createSymbolicLinks();
    void checkActiveFolderAccess();
    void selectByMask();
    void deselectByMask();
    void selectAllFiles();
    void invertSelection();
    void openTerminal();
    void focusPathField();
    void showCommands();
    void showDiagnostics();
    void closeWindow();

    // Commands whose logic lives in its own file (ArchiveCommands, SearchCommands,
    // ViewerCommands, SyncCommands, RemoteConnectionsCommand).
    void createZIP();
    void createZIPHere();
    void createTarGZHere();
    void extractZIP();
    void extractZIPHere();
    void extractTar();
    void extractTarHere();
    void searchFiles();
    void calculateChecksums();
    void multiRename();
    void showFileInfo();
    void comparePanels();
    void compareSelectedFiles();
    void previewSynchronization();
    void showPreferences();
    void showRemoteConnections();

Q_SIGNALS:
    // The window was closed: remote connections are ended and the frame is saved.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void markByMask(bool selecting);

    Interaction& m_interaction;
    FilePanelController* m_left;
    FilePanelController* m_right;
    FilePanelController* m_active;
    std::unique_ptr<OperationRunner> m_operations;
    WindowCommands m_commands;
    std::unique_ptr<CommanderKeyboard> m_keyboard;
    std::unique_ptr<PanelActivation> m_activation;
    std::unique_ptr<DiagnosticsWindowController> m_diagnostics;
    QList<QPointer<QWidget>> m_toolWindows;
    QPointer<QWidget> m_preferences;
};
