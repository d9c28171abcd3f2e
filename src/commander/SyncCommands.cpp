#include "commander/SyncCommands.h"

#include "commander/CommanderWindowController.h"
#include "core/FutureOutcome.h"
#include "panels/FilePanelController.h"
#include "sync/SyncPreviewWindowController.h"
#include "ui/Interaction.h"
#include "ui/OperationProgressController.h"

SyncCommands& SyncCommands::of(CommanderWindowController& window)
{
    if (auto* existing = window.findChild<SyncCommands*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new SyncCommands(window);
}

SyncCommands::SyncCommands(CommanderWindowController& window) : QObject(&window), m_window(window) {}

void SyncCommands::previewSynchronization()
{
    const FileUrl left = m_window.leftPanel()->currentURL();
    const FileUrl right = m_window.rightPanel()->currentURL();
    // Both trees are walked on this machine's file system.
    if (!left.isLocal() || !right.isLocal())
        return m_window.interaction().beep();

    auto* progress = new OperationProgressController(QStringLiteral("Synchronisierung wird geplant"), 1, {}, &m_window);
    progress->show();
    QFuture<SyncPlanner::Plan> task = m_planner.plan(left, right);
    progress->onCancel = [task]() mutable { task.cancel(); };
    whenFinished(this, task, [this, left, right, progress = QPointer(progress)](auto task) {
        if (progress)
            progress->close();
        if (const std::optional<BrenvikError> error = errorOf(task))
            return m_window.interaction().showError(*error);
        if (task.isCanceled() || task.resultCount() == 0)
            return;
        if (m_preview)
            m_preview->close();
        m_preview = new SyncPreviewWindowController(task.result(), left, right, m_window.interaction(), &m_window);
        m_preview->onComplete = [this] {
            m_window.leftPanel()->reload();
            m_window.rightPanel()->reload();
        };
        m_window.keepToolWindow(m_preview);
    });
}
