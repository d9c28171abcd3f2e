#include "commander/OperationRunner.h"

#include "commander/OtherPanel.h"
#include "commander/RemoteCommands.h"
#include "core/FutureOutcome.h"
#include "diagnostics/DiagnosticsStore.h"
#include "panels/FilePanelController.h"
#include "ui/Interaction.h"
#include "ui/OperationAlerts.h"
#include "ui/OperationProgressController.h"

namespace {

using ConflictDecision = FileOperationQueue::ConflictDecision;

const QString fileOperation = QStringLiteral("Dateioperation");
const QString cancelledMessage = QStringLiteral("Vorgang abgebrochen");

void record(const QString& category, const QString& message)
{
    DiagnosticsStore::shared().record(category, message);
}

QString finishedWithFailures(qsizetype count)
{
    return QStringLiteral("Mit %1 Fehler(n) abgeschlossen").arg(count);
}

// The cancel button stops this operation's own task.
template <typename T>
void cancelOnRequest(OperationProgressController* window, QFuture<T> task)
{
    window->onCancel = [task]() mutable { task.cancel(); };
}

QList<FileUrl> sourcesOf(const QList<FileOperationQueue::Failure>& failures)
{
    QList<FileUrl> sources;
    for (const FileOperationQueue::Failure& failure : failures)
        sources.append(failure.source);
    return sources;
}

void closeWindow(const QPointer<OperationProgressController>& window)
{
    if (window)
        window->close();
}

} // namespace

OperationRunner::OperationRunner(FilePanelDelegate& panels, Interaction& interaction, QWidget* window)
    : m_panels(panels), m_interaction(interaction), m_window(window)
{
}

OperationRunner::~OperationRunner() = default;

void OperationRunner::copySelection(bool moving)
{
    FilePanelController* active = m_panels.activePanel();
    FilePanelController* other = otherPanelOf(m_panels);
    if (active->transferSelection(*other, moving))
        return;
    const QList<FileUrl> selection = active->selectedURLs();
    if (selection.isEmpty())
        return m_interaction.beep();
    run(moving ? Kind::move : Kind::copy, selection, other->currentURL(), active->currentURL().path());
}

void OperationRunner::run(Kind kind, const QList<FileUrl>& sources, const FileUrl& destination,
                          const QString& sourceDescription)
{
    if (sources.isEmpty())
        return;
    const bool moving = kind == Kind::move;
    record(fileOperation, (moving ? QStringLiteral("Verschieben gestartet · ") : QStringLiteral("Kopieren gestartet · "))
                              + QString::number(sources.size()) + QStringLiteral(" Objekt(e)"));
    if (m_interaction.runAlert(OperationAlerts::confirmation(kind, sources.size(), sourceDescription, destination))
            .buttonIndex
        != 0)
        return;

    OperationProgressController* window =
        openProgress(moving ? QStringLiteral("Dateien verschieben") : QStringLiteral("Dateien kopieren"), sources);
    QFuture<QList<Failure>> task = m_queue.perform(
        {kind, sources, destination}, progressShownIn(window),
        FileOperationQueue::conflictsOnThreadOf(
            &m_callbacks, [this](const FileUrl& source, const FileUrl& target) { return askConflict(source, target); }));
    cancelOnRequest(window, task);

    whenFinished(this, task, [this, window = QPointer(window), kind, destination, sourceDescription](auto task) {
        if (const std::optional<BrenvikError> error = errorOf(task)) {
            record(QStringLiteral("Fehler"), error->typeName());
            closeWindow(window);
            return m_interaction.showError(*error);
        }
        if (task.isCanceled() || task.resultCount() == 0) {
            record(fileOperation, QStringLiteral("Vom Benutzer abgebrochen"));
            if (window)
                window->finish(cancelledMessage);
            return reloadBothPanels();
        }
        const QList<Failure> failures = task.result();
        if (window)
            window->finish(failures.isEmpty() ? QStringLiteral("Vorgang abgeschlossen") : finishedWithFailures(failures.size()));
        record(fileOperation, QStringLiteral("Abgeschlossen · %1 Fehler").arg(failures.size()));
        reloadBothPanels();
        if (!failures.isEmpty() && reportFailures(failures))
            run(kind, sourcesOf(failures), destination, sourceDescription);
    });
}

FileOperationQueue::ConflictDecision OperationRunner::askConflict(const FileUrl& source, const FileUrl& target)
{
    return OperationAlerts::conflictDecision(m_interaction.runAlert(OperationAlerts::conflict(source, target)));
}

void OperationRunner::trashSelection()
{
    FilePanelController* panel = m_panels.activePanel();
    if (panel->isRemote())
        return RemoteCommands::deleteSelection(*panel, m_interaction);
    const QList<FileUrl> selection = panel->selectedURLs();
    if (selection.isEmpty())
        return m_interaction.beep();
    if (m_interaction.runAlert(OperationAlerts::trashQuestion(selection)).buttonIndex != 0)
        return;

    OperationProgressController* window = openProgress(QStringLiteral("In den Papierkorb"), selection);
    QFuture<QList<TrashRecord>> task = m_queue.trash(selection, progressShownIn(window));
    cancelOnRequest(window, task);

    whenFinished(this, task, [this, window = QPointer(window), panel = QPointer(panel)](auto task) {
        if (const std::optional<BrenvikError> error = errorOf(task)) {
            closeWindow(window);
            m_interaction.showError(*error);
        } else if (task.isCanceled() || task.resultCount() == 0) {
            if (window)
                window->finish(cancelledMessage);
        } else {
            m_lastTrash = task.result();
            if (window)
                window->finish(QStringLiteral("In den Papierkorb verschoben"));
        }
        if (panel)
            panel->reload();
    });
}

void OperationRunner::undoTrash()
{
    if (m_lastTrash.isEmpty())
        return m_interaction.beep();
    whenFinished(this, m_queue.restoreFromTrash(m_lastTrash), [this, restored = m_lastTrash](auto task) {
        const std::optional<BrenvikError> error = errorOf(task);
        reloadBothPanels();
        if (!error) {
            // A trash command that ended meanwhile is the next one to undo.
            if (m_lastTrash == restored)
                m_lastTrash.clear();
            return;
        }
        m_interaction.showError(*error);
        // What came back before the error is done: a retry only tries the rest.
        whenFinished(this, m_queue.stillInTrash(restored), [this, restored](auto remaining) {
            if (m_lastTrash == restored && remaining.resultCount() == 1)
                m_lastTrash = remaining.result();
        });
    });
}

void OperationRunner::duplicateSelection()
{
    FilePanelController* panel = m_panels.activePanel();
    const QList<FileUrl> selection = panel->selectedURLs();
    if (selection.isEmpty())
        return m_interaction.beep();
    duplicate(*panel, selection);
}

void OperationRunner::duplicate(FilePanelController& panel, const QList<FileUrl>& sources)
{
    OperationProgressController* window = openProgress(QStringLiteral("Dateien duplizieren"), sources);
    // Every entry meets itself in its own folder: each copy takes a free name.
    QFuture<QList<Failure>> task = m_queue.perform(
        {Kind::copy, sources, panel.currentURL()}, progressShownIn(window),
        [](const FileUrl&, const FileUrl&) { return ConflictDecision{FileOperationQueue::ConflictAction::keepBoth, true}; });
    cancelOnRequest(window, task);

    whenFinished(this, task, [this, window = QPointer(window), panel = QPointer(&panel)](auto task) {
        if (const std::optional<BrenvikError> error = errorOf(task)) {
            closeWindow(window);
            return m_interaction.showError(*error);
        }
        const bool cancelled = task.isCanceled() || task.resultCount() == 0;
        const QList<Failure> failures = cancelled ? QList<Failure>() : task.result();
        if (window) {
            window->finish(cancelled             ? cancelledMessage
                           : failures.isEmpty() ? QStringLiteral("Duplikate angelegt")
                                                : finishedWithFailures(failures.size()));
        }
        if (!panel)
            return;
        panel->reload();
        // Copies that could not be made are no success: the user hears which and why.
        if (!failures.isEmpty() && reportFailures(failures))
            duplicate(*panel, sourcesOf(failures));
    });
}

OperationProgressController* OperationRunner::openProgress(const QString& title, const QList<FileUrl>& sources)
{
    auto* window = new OperationProgressController(title, sources.size(), sources, m_window);
    window->show();
    return window;
}

FileOperationQueue::Progress OperationRunner::progressShownIn(OperationProgressController* window)
{
    return FileOperationQueue::progressOnThreadOf(
        &m_callbacks, [window = QPointer(window)](qsizetype completed, qsizetype total, const FileUrl& url) {
            if (window)
                window->update(completed, total, completed == total ? QStringLiteral("Fertig") : url.fileName());
        });
}

bool OperationRunner::reportFailures(const QList<Failure>& failures)
{
    return m_interaction.runAlert(OperationAlerts::failureReport(failures)).buttonIndex == 0;
}

void OperationRunner::reloadBothPanels()
{
    m_panels.leftPanel()->reload();
    m_panels.rightPanel()->reload();
}
