#pragma once

#include "core/FileUrl.h"
#include "sync/SyncPlanItem.h"

#include <QFuture>
#include <QList>
#include <QThreadPool>
#include <atomic>
#include <functional>

class CancellationToken;
class QObject;

// Carries out the copies of a plan. Nothing is ever deleted but its own
// temporary copies: a file reaches its destination as a complete temporary copy
// (made by the file layer's FileCopier, so holes, extended attributes and ACLs
// come along) that then takes the old entry's place in one step.
// A destination that differs from what the plan saw is left alone, unless it
// already equals the source. Links are copied as links; no write goes through a
// link on either side. A serial executor.
class SyncExecutor {
public:
    struct Failure {
        SyncPlanItem item;
        QString message;
    };

    // Called on the worker thread, at the first item, then at most about every
    // 50 ms, and with (total, total) at the end.
    using Progress = std::function<void(qsizetype completed, qsizetype total, const QString& relativePath)>;

    SyncExecutor();
    // Stops a running execution before its next block of data and waits for it.
    ~SyncExecutor();
    SyncExecutor(const SyncExecutor&) = delete;
    SyncExecutor& operator=(const SyncExecutor&) = delete;

    // Failures in item order. Ends cancelled when asked to (copies completed
    // stay), or with SystemError when a root folder cannot be opened.
    QFuture<QList<Failure>> execute(QList<SyncPlanItem> items, const FileUrl& left, const FileUrl& right,
                                    Progress progress);

    // The same, on the calling thread; throws CancellationError.
    static QList<Failure> run(const QList<SyncPlanItem>& items, const QByteArray& left, const QByteArray& right,
                              const Progress& progress, const CancellationToken& token);

    // Hands each report to `context`'s thread without waiting; dropped once it is gone.
    static Progress progressOnThreadOf(QObject* context, Progress progress);

private:
    std::atomic_bool m_stopping = false;
    QThreadPool m_pool;
};
