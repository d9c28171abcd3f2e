#include "tools/BatchRenameEngine.h"

#include "core/FileSystemCore.h"
#include "platform/LocalFileOperations.h"

#include <sys/stat.h>

namespace {

using LocalFileOperations::AtTarget;

struct Step {
    FileUrl temporary;
    FileUrl destination;
    FileUrl source;
};

bool exists(const FileUrl& url)
{
    struct stat st;
    return lstat(url.nativePath().constData(), &st) == 0;
}

void rollBack(const QList<Step>& steps)
{
    for (const Step& step : steps) {
        if (!exists(step.temporary))
            continue;
        try {
            LocalFileOperations::moveItem(step.temporary, step.source, AtTarget::mustBeFree);
        } catch (const std::exception&) {
            // The failure that started the rollback is the one to report.
        }
    }
}

} // namespace

QFuture<void> BatchRenameEngine::apply(QList<RenamePlanItem> plan)
{
    return m_executor.run<void>([plan = std::move(plan)](const CancellationToken& token) { applyNow(plan, token); });
}

void BatchRenameEngine::applyNow(const QList<RenamePlanItem>& plan, const CancellationToken& token)
{
    QList<Step> steps;
    try {
        for (const RenamePlanItem& item : plan) {
            if (item.destination == item.source)
                continue;
            token.throwIfCancelled();
            const FileUrl temporary = item.source.parent().appending(FileSystemCore::temporaryName());
            LocalFileOperations::moveItem(item.source, temporary, AtTarget::mustBeFree);
            steps.append({temporary, item.destination, item.source});
        }
        for (const Step& step : std::as_const(steps)) {
            token.throwIfCancelled();
            LocalFileOperations::moveItem(step.temporary, step.destination, AtTarget::mustBeFree);
        }
    } catch (...) {
        rollBack(steps);
        throw;
    }
}
