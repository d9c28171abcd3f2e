#pragma once

#include "core/CancellationToken.h"
#include "tools/RenamePlan.h"
#include "tools/SerialExecutor.h"

#include <QFuture>
#include <QList>

// Renames a plan's entries in two phases through temporary names, so that
// names can be exchanged among them. No move ever replaces an entry: a name
// taken in the meantime fails the move. After a failure or a cancellation,
// every entry still under its temporary name gets its old name back; entries
// that already reached their new name keep it.
class BatchRenameEngine {
public:
    // Ends with the error that started the rollback (or cancelled).
    QFuture<void> apply(QList<RenamePlanItem> plan);

    static void applyNow(const QList<RenamePlanItem>& plan, const CancellationToken& token = {});

private:
    SerialExecutor m_executor;
};
