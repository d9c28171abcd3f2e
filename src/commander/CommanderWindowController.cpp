#include "commander/CommanderWindowController.h"

#include "commander/ArchiveCommands.h"
#include "commander/CommanderDialogs.h"
#include "commander/CommanderKeyboard.h"
#include "commander/FunctionKeyBar.h"
#include "commander/OperationRunner.h"
#include "commander/PanelActivation.h"
#include "commander/RemoteCommands.h"
#include "commander/RemoteConnectionsCommand.h"
#include "commander/SearchCommands.h"
#include "commander/SyncCommands.h"
#include "commander/ViewerCommands.h"
#include "diagnostics/DiagnosticsWindowController.h"
#include "panels/FilePanelController.h"
#include "platform/PlatformTexts.h"
#include "platform/Terminal.h"
#include "preferences/PreferencesStore.h"
#include "preferences/PreferencesWindowController.h"
#include "preferences/SettingsFile.h"
#include "ui/DesktopOpen.h"
#include "ui/Interaction.h"
#include "ui/RevealInFileManager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int minimumPanelWidth = 220;

FileUrl homeFolder()
{
    return FileUrl::fromNativePath(QFile::encodeName(QDir::homePath()));
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
    connect(m_left, &FilePanelController::favoritesChanged, m_right, &FilePanelController::rebuildFavorites);
    connect(m_right, &FilePanelController::favoritesChanged, m_left, &FilePanelController::rebuildFavorites);

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
    m_activation = std::make_unique<PanelActivation>(*this);
    qApp->installEventFilter(m_activation.get());
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

void CommanderWindowController::runCommand(FilePanelController& panel, const QString& command)
{
    setActive(panel, true);
    if (const CommandTable::Row* row = CommandTable::find(command.toLatin1().constData()))
        run(*row);
}

QList<PanelMenuItem> CommanderWindowController::contextMenuItems() const
{
    QList<PanelMenuItem> items;
    int group = 0;
    for (const CommandTable::Row* row : CommandTable::contextRows()) {
        items.append({PlatformTexts::localized(QString::fromUtf8(row->contextTitle)), QString::fromLatin1(row->id),
                      row->contextOrder / 10 != group});
        group = row->contextOrder / 10;
    }
    return items;
}

void CommanderWindowController::run(const CommandTable::Row& command)
{
    const bool activeRemote = m_active->isRemote();
    const bool anyRemote = m_left->isRemote() || m_right->isRemote();
    if ((command.scope == CommandTable::Scope::localActive && activeRemote)
        || (command.scope == CommandTable::Scope::localBoth && anyRemote))
        return m_interaction.beep();
    (this->*command.handler)();
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
    const CommandTable::Row* row = CommandTable::forShortcut(command);
    if (!row)
        return false;
    run(*row);
    return true;
}

void CommanderWindowController::addTab()
{
    m_active->addTab();
}

void CommanderWindowController::closeTabOrWindow()
{
    if (m_active->tabCount() >= 2)
        m_active->closeTab();
    else
        closeWindow();
}

void CommanderWindowController::openSelection()
{
    m_active->openSelection();
}

void CommanderWindowController::switchPanel()
{
    setActive(*otherPanel(), true);
}

void CommanderWindowController::nextTab()
{
    m_active->cycleTab(1);
}

void CommanderWindowController::previousTab()
{
    m_active->cycleTab(-1);
}

void CommanderWindowController::goUp()
{
    m_active->goUp();
}

void CommanderWindowController::reloadPanels()
{
    m_left->reload();
    m_right->reload();
}

void CommanderWindowController::toggleHiddenFiles()
{
    m_active->setShowHidden(!m_active->showHidden());
}

void CommanderWindowController::toggleCurrentSelection()
{
    m_active->toggleCurrentSelection();
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
        openWithDefaultApplication(selection.constFirst(), m_interaction, this);
}

void CommanderWindowController::quickLookSelection()
{
    if (!RemoteCommands::openInstead(*m_active))
        m_active->showPreview();
}

void CommanderWindowController::revealSelection()
{
    const QList<FileUrl> selection = m_active->selectedURLs();
    if (!selection.isEmpty())
        revealInFileManager(selection.constFirst(), m_interaction, this);
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

// One preferences window at a time: a new one replaces the earlier.
void CommanderWindowController::showPreferences()
{
    if (m_preferences)
        m_preferences->close();
    auto* window = new PreferencesWindowController(PreferencesStore::shared(), m_interaction);
    window->onChange = [this] {
        const bool show = PreferencesStore::shared().showHiddenFiles();
        for (FilePanelController* panel : {m_left, m_right})
            panel->setShowHidden(show);
    };
    m_preferences = window;
    keepToolWindow(window);
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

void CommanderWindowController::closeEvent(QCloseEvent* event)
{
    brenvikSettings().setValue(QLatin1String(frameKey), saveGeometry());
    brenvikSettings().sync();
    m_left->disconnectRemote();
    m_right->disconnectRemote();
    qApp->removeEventFilter(m_keyboard.get());
    qApp->removeEventFilter(m_activation.get());
    for (const QPointer<QWidget>& window : std::as_const(m_toolWindows))
        if (window)
            window->close();
    QMainWindow::closeEvent(event);
    Q_EMIT closed();
}
