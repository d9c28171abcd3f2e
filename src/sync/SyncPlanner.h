#pragma once

#include "core/FileUrl.h"
#include "sync/SyncPlanItem.h"

#include <QFuture>
#include <QList>
#include <QThreadPool>
#include <atomic>

class CancellationToken;

// Compares the whole trees below two folders and plans, for every path that
// exists on one side only or differs, a copy in one direction or a conflict
// that is left alone. Planning reads only; a plan never deletes. A serial
// executor; its walk reads both trees at the same time.
class SyncPlanner {
public:
    using Plan = QList<SyncPlanItem>;

    SyncPlanner();
    // Stops a running plan at its next entry and waits for it.
    ~SyncPlanner();
    SyncPlanner(const SyncPlanner&) = delete;
    SyncPlanner& operator=(const SyncPlanner&) = delete;

    // Items ordered by the code points of their paths; ends with SystemError or
    // SyncError when an entry cannot be read, cancelled when asked to.
    QFuture<Plan> plan(const FileUrl& left, const FileUrl& right);

    // The same, on the calling thread.
    static Plan makePlan(const QByteArray& left, const QByteArray& right, const CancellationToken& token);

private:
    std::atomic_bool m_stopping = false;
    QThreadPool m_pool;
};
