#include "commander/ViewerCommands.h"

#include "commander/CommanderWindowController.h"
#include "core/FutureOutcome.h"
#include "panels/FilePanelController.h"
#include "tools/FileInfoWindowController.h"
#include "tools/InternalViewerController.h"
#include "tools/TextCompareWindowController.h"
#include "ui/Interaction.h"
#include "ui/OperationProgressController.h"

#include <QPointer>

namespace {

std::optional<FileUrl> firstSelected(const FilePanelController& panel)
{
    const QList<FileUrl> selection = panel.selectedURLs();
    return selection.isEmpty() ? std::nullopt : std::optional(selection.constFirst());
}

QString compareReport(const DirectoryComparison& result)
{
    return QStringLiteral("Links unterschiedlich/fehlend: %1\nRechts unterschiedlich/fehlend: %2\nGleich: %3\n\n"
                          "Unterschiede wurden in beiden Panels markiert.")
        .arg(result.leftMarks.size())
        .arg(result.rightMarks.size())
        .arg(result.identicalCount);
}

} // namespace

ViewerCommands::ViewerCommands(CommanderWindowController& window) : QObject(&window), m_window(window) {}

ViewerCommands& ViewerCommands::of(CommanderWindowController& window)
{
    if (auto* commands = window.findChild<ViewerCommands*>(QString(), Qt::FindDirectChildrenOnly))
        return *commands;
    return *new ViewerCommands(window);
}

void ViewerCommands::viewSelection()
{
    FilePanelController* panel = m_window.activePanel();
    // A remote entry is fetched and opened by the panel itself.
    if (panel->isRemote())
        return panel->openSelection();
    if (const std::optional<FileUrl> url = firstSelected(*panel))
        m_window.keepToolWindow(new InternalViewerController(*url));
}

void ViewerCommands::showFileInfo()
{
    const FilePanelController* panel = m_window.activePanel();
    const std::optional<FileUrl> url = panel->isRemote() ? std::nullopt : firstSelected(*panel);
    if (!url)
        return m_window.interaction().beep();
    m_window.keepToolWindow(new FileInfoWindowController(*url));
}

void ViewerCommands::comparePanels()
{
    FilePanelController* left = m_window.leftPanel();
    FilePanelController* right = m_window.rightPanel();
    if (left->isRemote() || right->isRemote())
        return m_window.interaction().beep();
    const FileUrl leftFolder = left->currentURL();
    const FileUrl rightFolder = right->currentURL();

    auto* progress = new OperationProgressController(QStringLiteral("Verzeichnisse werden verglichen"), 1, {}, &m_window);
    progress->show();
    QFuture<DirectoryComparison> task = m_compareEngine.compare(leftFolder, rightFolder);
    progress->onCancel = [task]() mutable { task.cancel(); };

    whenFinished(this, task, [this, progress = QPointer(progress), leftFolder, rightFolder](auto task) {
        if (progress)
            progress->close();
        Interaction& interaction = m_window.interaction();
        if (const std::optional<BrenvikError> error = errorOf(task))
            return interaction.showError(*error);
        if (task.isCanceled() || task.resultCount() == 0)
            return interaction.showError(CancellationError());
        const DirectoryComparison result = task.result();
        FilePanelController* left = m_window.leftPanel();
        FilePanelController* right = m_window.rightPanel();
        // A panel that has moved to another folder meanwhile keeps its marks.
        if (left->currentURL() == leftFolder && !left->isRemote())
            left->setMarked(result.leftMarks);
        if (right->currentURL() == rightFolder && !right->isRemote())
            right->setMarked(result.rightMarks);
        // The active panel last: a refresh takes the keyboard focus.
        FilePanelController* active = m_window.activePanel();
        (active == left ? right : left)->refreshKeepingSelection();
        active->refreshKeepingSelection();
        interaction.runAlert({AlertStyle::informational, QStringLiteral("Verzeichnisvergleich abgeschlossen"),
                              compareReport(result), {}, {}});
    });
}

void ViewerCommands::compareSelectedFiles()
{
    const FilePanelController* left = m_window.leftPanel();
    const FilePanelController* right = m_window.rightPanel();
    if (left->isRemote() || right->isRemote())
        return m_window.interaction().beep();
    const std::optional<FileUrl> leftFile = firstSelected(*left);
    const std::optional<FileUrl> rightFile = firstSelected(*right);
    if (!leftFile || !rightFile) {
        m_window.interaction().showError(
            QStringLiteral("In jedem Panel eine Datei auswählen"),
            QStringLiteral("Der Basisvergleich benötigt genau eine ausgewählte Datei links und rechts."));
        return;
    }
    m_window.keepToolWindow(new TextCompareWindowController(*leftFile, *rightFile));
}
