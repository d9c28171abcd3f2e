#pragma once

#include "core/FileUrl.h"
#include "sync/SyncExecutor.h"
#include "sync/SyncPlanItem.h"

#include <QFuture>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>

class Interaction;
class OperationProgressController;
class QLabel;
class QPushButton;
class QTableView;
class SyncPlanModel;

// Shows a plan read-only, copies it as text, and on the user's word runs its
// copies (never its conflicts) with a progress window. The plan shown stays as
// it was made, also after an execution.
class SyncPreviewWindowController : public QWidget {
    Q_OBJECT

public:
    SyncPreviewWindowController(QList<SyncPlanItem> items, FileUrl left, FileUrl right, Interaction& interaction,
                                QWidget* parent = nullptr);
    // Cancels a running execution and waits for it.
    ~SyncPreviewWindowController() override;

    void copyPlan();
    void executeSafeActions();

    // After an execution that ran to its end (the commander reloads its panels).
    std::function<void()> onComplete;

    QTableView* table() const { return m_table; }
    QLabel* summary() const { return m_summary; }
    QPushButton* executeButton() const { return m_executeButton; }
    bool isExecuting() const { return m_execution.isRunning(); }

private:
    void finishExecution(const QFuture<QList<SyncExecutor::Failure>>& task,
                         const QPointer<OperationProgressController>& progress);
    QString planSummary() const;

    FileUrl m_left;
    FileUrl m_right;
    Interaction& m_interaction;
    SyncPlanModel* m_model;
    QTableView* m_table;
    QLabel* m_summary;
    QPushButton* m_executeButton;
    SyncExecutor m_executor;
    QFuture<QList<SyncExecutor::Failure>> m_execution;
};
