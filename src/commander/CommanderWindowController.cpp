#include "commander/CommanderWindowController.h"

#include "commander/ArchiveCommands.h"
#include "commander/CommanderDialogs.h"
#include "commander/CommanderKeyboard.h"
#include "commander/FunctionKeyBar.h"
#include "commander/OperationRunner.h"
#include "commander/RemoteCommands.h"
#include "commander/RemoteConnectionsCommand.h"
#include "commander/SearchCommands.h"
#include "commander/SyncCommands.h"
#include "commander/ViewerCommands.h"
#include "diagnostics/DiagnosticsWindowController.h"
#include "panels/FilePanelController.h"
#include "platform/Terminal.h"
#include "preferences/PreferencesStore.h"
#include "preferences/SettingsFile.h"
#include "ui/Interaction.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int minimumPanelWidth = 220;

FileUrl homeFolder()
{
    return FileUrl::fromNativePath(QFile::encodeName(QDir::homePath()));
}

// Hands a local entry to the desktop; entries whose path is no text cannot be named there.
void openWithDesktop(Interaction& interaction, const FileUrl& url)
{
    const std::optional<QString> path = url.exactPath();
    if (!path || !QDesktopServices::openUrl(QUrl::fromLocalFile(*path)))
        interaction.beep();
}

} // namespace

CommanderWindowController::CommanderWindowController(Interaction& interaction, QMenuBar* menuBar)
    : m_interaction(interaction),
      m_left(new FilePanelController(homeFolder(), QStringLiteral("Left"), interaction)),
      m_right(new FilePanelController(homeFolder().appending(QByteArrayLiteral("Downloads")), QStringLiteral("Right"),
                                      interaction)),
      m_active(m_left), m_operations(std::make_unique<OperationRunner>(*this, interaction, this)),
      m_commands(*this, interaction)
{
    setWindowTitle(QStringLiteral("Brenvik — Datei-Werkbank"));
    if (menuBar)
        setMenuBar(menuBar);
    m_left->setDelegate(this);
    m_right->setDelegate(this);

    auto* split = new QSplitter(Qt::Horizontal);
    split->setHandleWidth(1);
    split->setChildrenCollapsible(false);
    for (FilePanelController* panel : {m_left, m_right}) {
        panel->setMinimumWidth(minimumPanelWidth);
        split->addWidget(panel);
    }
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    split->setSizes({640, 640});

    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(split, 1);
    stack->addWidget(new FunctionKeyBar(*this));
    setCentralWidget(content);

    setMinimumSize(680, 420);
    const int menuHeight = menuBar && !menuBar->isNativeMenuBar() ? menuBar->sizeHint().height() : 0;
    resize(1280, 760 + menuHeight);
    restoreGeometry(brenvikSettings().value(QLatin1String(frameKey)).toByteArray());

    setActive(*m_left, true);
    m_keyboard = std::make_unique<CommanderKeyboard>(*this);
    qApp->installEventFilter(m_keyboard.get());
}

CommanderWindowController::~CommanderWindowController()
{
    for (const QPointer<QWidget>& window : std::as_const(m_toolWindows))
        delete window.data();
}

FilePanelController* CommanderWindowController::otherPanel() const
{
    return m_active == m_left ? m_right : m_left;
}

void CommanderWindowController::setActive(FilePanelController& panel, bool focusTable)
{
    m_active = &panel;
    m_left->setActive(&panel == m_left);
    m_right->setActive(&panel == m_right);
    if (focusTable)
        panel.focusTable();
}

void CommanderWindowController::runCommand(FilePanelController& panel, PanelCommand command)
{
    setActive(panel, true);
    switch (command) {
    case PanelCommand::quickLook: return quickLookSelection();
    case PanelCommand::rename: return renameSelection();
    case PanelCommand::duplicate: return duplicateSelection();
    case PanelCommand::copyToOtherPanel: return copySelection();
    case PanelCommand::moveToOtherPanel: return moveSelection();
    case PanelCommand::symbolicLinksInOtherPanel: return createSymbolicLinks();
    case PanelCommand::createZipHere: return createZIPHere();
    case PanelCommand::createZipInOtherPanel: return createZIP();
    case PanelCommand::extractZipHere: return extractZIPHere();
    case PanelCommand::extractZipIntoOtherPanel: return extractZIP();
    case PanelCommand::showInfo: return showFileInfo();
    case PanelCommand::reveal: return revealSelection();
    case PanelCommand::openTerminal: return openTerminal();
    case PanelCommand::checksums: return calculateChecksums();
    case PanelCommand::multiRename: return multiRename();
    case PanelCommand::trash: return trashSelection();
    }
}

void CommanderWindowController::dropFiles(FilePanelController& panel, const QList<FileUrl>& sources,
                                          const FileUrl& destination, bool moving)
{
    if (sources.isEmpty())
        return;
    setActive(panel, true);
    m_operations->run(moving ? OperationRunner::Kind::move : OperationRunner::Kind::copy, sources, destination,
                      sources.constFirst().parent().path());
}

bool CommanderWindowController::performCustomCommand(const QString& command)
{
    if (command == QLatin1String("view"))
        viewSelection();
    else if (command == QLatin1String("edit"))
        editSelection();
    else if (command == QLatin1String("copy"))
        copySelection();
    else if (command == QLatin1String("move"))
        moveSelection();
    else if (command == QLatin1String("newFolder"))
        newFolder();
    else if (command == QLatin1String("trash"))
        trashSelection();
    else if (command == QLatin1String("search"))
        searchFiles();
    else if (command == QLatin1String("path"))
        focusPathField();
    else
        return false;
    return true;
}

void CommanderWindowController::viewSelection()
{
    if (!RemoteCommands::openInstead(*m_active))
        ViewerCommands::of(*this).viewSelection();
}

void CommanderWindowController::editSelection()
{
    if (RemoteCommands::openInstead(*m_active))
        return;
    const QList<FileUrl> selection = m_active->selectedURLs();
    if (!selection.isEmpty())
        openWithDesktop(m_interaction, selection.constFirst());
}

void CommanderWindowController::quickLookSelection()
{
    if (!RemoteCommands::openInstead(*m_active))
        m_active->showPreview();
}

// The desktop's file manager opens the entry's folder.
void CommanderWindowController::revealSelection()
{
    const QList<FileUrl> selection = m_active->selectedURLs();
    if (!selection.isEmpty())
        openWithDesktop(m_interaction, selection.constFirst().parent());
}

void CommanderWindowController::copySelection()
{
    m_operations->copySelection(false);
}

void CommanderWindowController::moveSelection()
{
    m_operations->copySelection(true);
}

void CommanderWindowController::duplicateSelection()
{
    m_operations->duplicateSelection();
}

void CommanderWindowController::trashSelection()
{
    m_operations->trashSelection();
}

void CommanderWindowController::undoTrash()
{
    m_operations->undoTrash();
}

void CommanderWindowController::renameSelection()
{
    m_commands.renameSelection();
}

void CommanderWindowController::newFolder()
{
    m_commands.newFolder();
}

void CommanderWindowController::newEmptyFile()
{
    m_commands.newEmptyFile();
}

void CommanderWindowController::createSymbolicLinks()
{
    m_commands.createSymbolicLinks();
}

void CommanderWindowController::checkActiveFolderAccess()
{
    m_commands.checkActiveFolderAccess();
}

void CommanderWindowController::selectByMask()
{
    markByMask(true);
}

void CommanderWindowController::deselectByMask()
{
    markByMask(false);
}

void CommanderWindowController::markByMask(bool selecting)
{
    if (const std::optional<QString> masks = CommanderDialogs::askMask(m_interaction, selecting))
        m_active->mark(*masks, selecting);
}

void CommanderWindowController::selectAllFiles()
{
    m_active->markAllFiles();
}

void CommanderWindowController::invertSelection()
{
    m_active->invertMarks();
}

void CommanderWindowController::openTerminal()
{
    try {
        Terminal::openFolder(m_active->currentURL(), PreferencesStore::shared().terminalPath());
    } catch (const BrenvikError& error) {
        m_interaction.showError(error);
    }
}

void CommanderWindowController::focusPathField()
{
    m_active->focusPathField();
}

void CommanderWindowController::showCommands()
{
    CommanderDialogs::showKeyboardHelp(m_interaction);
}

void CommanderWindowController::showDiagnostics()
{
    m_diagnostics = std::make_unique<DiagnosticsWindowController>(m_interaction);
    m_diagnostics->show();
    m_diagnostics->raise();
}

void CommanderWindowController::closeWindow()
{
    close();
}

void CommanderWindowController::createZIP() { ArchiveCommands::of(*this).create(otherPanel(), ArchiveCommands::Format::zip); }
void CommanderWindowController::createZIPHere() { ArchiveCommands::of(*this).create(m_active, ArchiveCommands::Format::zip); }
void CommanderWindowController::createTarGZHere() { ArchiveCommands::of(*this).create(m_active, ArchiveCommands::Format::tarGZ); }
void CommanderWindowController::extractZIP() { ArchiveCommands::of(*this).extract(otherPanel(), ArchiveCommands::Format::zip); }
void CommanderWindowController::extractZIPHere() { ArchiveCommands::of(*this).extract(m_active, ArchiveCommands::Format::zip); }
void CommanderWindowController::extractTar() { ArchiveCommands::of(*this).extract(otherPanel(), ArchiveCommands::Format::tarGZ); }
void CommanderWindowController::extractTarHere() { ArchiveCommands::of(*this).extract(m_active, ArchiveCommands::Format::tarGZ); }
void CommanderWindowController::searchFiles() { SearchCommands::searchFiles(*this); }
void CommanderWindowController::calculateChecksums() { SearchCommands::calculateChecksums(*this); }
void CommanderWindowController::multiRename() { SearchCommands::multiRename(*this); }
void CommanderWindowController::showFileInfo() { ViewerCommands::of(*this).showFileInfo(); }
void CommanderWindowController::comparePanels() { ViewerCommands::of(*this).comparePanels(); }
void CommanderWindowController::compareSelectedFiles() { ViewerCommands::of(*this).compareSelectedFiles(); }
void CommanderWindowController::previewSynchronization() { SyncCommands::of(*this).previewSynchronization(); }
void CommanderWindowController::showPreferences() { notAvailableYet(); }
void CommanderWindowController::showRemoteConnections() { RemoteConnectionsCommand::showRemoteConnections(*this); }

void CommanderWindowController::keepToolWindow(QWidget* window)
{
    m_toolWindows.removeAll(nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_toolWindows.append(window);
    window->show();
    window->raise();
    window->activateWindow();
}

void CommanderWindowController::notAvailableYet()
{
    m_interaction.beep();
}

void CommanderWindowController::closeEvent(QCloseEvent* event)
{
    brenvikSettings().setValue(QLatin1String(frameKey), saveGeometry());
    brenvikSettings().sync();
    m_left->disconnectRemote();
    m_right->disconnectRemote();
    qApp->removeEventFilter(m_keyboard.get());
    for (const QPointer<QWidget>& window : std::as_const(m_toolWindows))
        if (window)
            window->close();
    QMainWindow::closeEvent(event);
    Q_EMIT closed();
}
