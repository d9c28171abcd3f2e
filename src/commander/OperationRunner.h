#pragma once

#include "operations/FileOperationQueue.h"

#include <QList>
#include <QObject>
#include <QPointer>

class FilePanelController;
class FilePanelDelegate;
class Interaction;
class OperationProgressController;
class QWidget;

// The user's side of the bulk file operations of the commander window: copy
// and move with confirmation, conflict questions and a report of failures with
// retry; trash with its question and the undo of the last trash; duplicate.
// Each runs on the window's file operation queue with its own progress window;
// the GUI thread never waits for the queue.
class OperationRunner : public QObject {
    Q_OBJECT

public:
    using Kind = FileOperationQueue::Kind;
    using Failure = FileOperationQueue::Failure;
    using TrashRecord = FileOperationQueue::TrashRecord;

    // Progress windows belong to `window`.
    OperationRunner(FilePanelDelegate& panels, Interaction& interaction, QWidget* window);
    ~OperationRunner() override;

    // The active panel's selection into the other panel's folder.
    void copySelection(bool moving);
    void run(Kind kind, const QList<FileUrl>& sources, const FileUrl& destination, const QString& sourceDescription);
    void trashSelection();
    void undoTrash();
    void duplicateSelection();

    FileOperationQueue::ConflictDecision askConflict(const FileUrl& source, const FileUrl& target);

    const QList<TrashRecord>& lastTrash() const { return m_lastTrash; }

private:
    void duplicate(FilePanelController& panel, const QList<FileUrl>& sources);
    OperationProgressController* openProgress(const QString& title, const QList<FileUrl>& sources);
    FileOperationQueue::Progress progressShownIn(OperationProgressController* window);
    // Offers "Erneut versuchen"; true when the user chose it.
    bool reportFailures(const QList<Failure>& failures);
    void reloadBothPanels();

    FilePanelDelegate& m_panels;
    Interaction& m_interaction;
    QWidget* m_window;
    FileOperationQueue m_queue;
    // Declared after the queue, so it is gone first: a job still running when
    // the window goes gets its conflicts answered with "cancel" and stops.
    QObject m_callbacks;
    QList<TrashRecord> m_lastTrash;
};
