#include "sync/SyncPlanner.h"

#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "sync/SyncSnapshot.h"

#include <QPromise>
#include <QtConcurrent>
#include <algorithm>
#include <cstring>
#include <exception>
#include <thread>

namespace {

using Node = SyncSnapshot::Node;
using Nodes = std::span<const Node>;

int compareNames(std::span<const char> a, std::span<const char> b)
{
    const int order = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (order != 0)
        return order;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool pathLess(const SyncPlanItem& a, const SyncPlanItem& b)
{
    return compareNames(a.nativeRelativePath, b.nativeRelativePath) < 0;
}

// Walks two snapshots folder by folder, each a merge of two sorted name lists.
class PlanMerge {
public:
    PlanMerge(const SyncSnapshot& left, const SyncSnapshot& right, const CancellationToken& token)
        : m_left(left), m_right(right), m_token(token)
    {
    }

    SyncPlanner::Plan run()
    {
        folders(m_left.rootEntries(), m_right.rootEntries());
        // Folder by folder is path order except where a name continues another
        // one with a character below "/" ("a" and its "a/x" around "a!").
        if (!std::is_sorted(m_plan.cbegin(), m_plan.cend(), pathLess))
            std::stable_sort(m_plan.begin(), m_plan.end(), pathLess);
        return std::move(m_plan);
    }

private:
    void folders(Nodes left, Nodes right)
    {
        auto l = left.begin();
        auto r = right.begin();
        while (l != left.end() || r != right.end()) {
            const int order = l == left.end()    ? 1
                              : r == right.end() ? -1
                                                 : compareNames(m_left.name(*l), m_right.name(*r));
            if (order < 0) {
                oneSided(m_left, *l++, SyncAction::copyLeftToRight);
            } else if (order > 0) {
                oneSided(m_right, *r++, SyncAction::copyRightToLeft);
            } else {
                both(*l++, *r++);
            }
        }
    }

    void both(const Node& left, const Node& right)
    {
        const qsizetype mark = enter(m_left.name(left));
        const SyncEntryState& a = left.state;
        const SyncEntryState& b = right.state;
        if (a.isFolder() != b.isFolder()) {
            add(SyncAction::conflict, a, b);
            // What lies in the folder is missing on the other side.
            if (a.isFolder())
                subtree(m_left, left, SyncAction::copyLeftToRight);
            else
                subtree(m_right, right, SyncAction::copyRightToLeft);
        } else if (a.isFolder()) {
            m_token.throwIfCancelled();
            folders(m_left.children(left), m_right.children(right));
        } else if (!sameContentsLikely(a, b)) {
            add(a.modifiedNs > b.modifiedNs   ? SyncAction::copyLeftToRight
                : a.modifiedNs < b.modifiedNs ? SyncAction::copyRightToLeft
                                              : SyncAction::conflict,
                a, b);
        } else {
            m_token.throwIfCancelled();
        }
        m_path.truncate(mark);
    }

    void oneSided(const SyncSnapshot& side, const Node& node, SyncAction action)
    {
        const qsizetype mark = enter(side.name(node));
        addOneSided(node, action);
        subtree(side, node, action);
        m_path.truncate(mark);
    }

    void subtree(const SyncSnapshot& side, const Node& folder, SyncAction action)
    {
        for (const Node& child : side.children(folder))
            oneSided(side, child, action);
    }

    void addOneSided(const Node& node, SyncAction action)
    {
        if (action == SyncAction::copyLeftToRight)
            add(action, node.state, {});
        else
            add(action, {}, node.state);
    }

    void add(SyncAction action, const SyncEntryState& left, const SyncEntryState& right)
    {
        m_token.throwIfCancelled();
        m_plan.append(SyncPlanItem{m_path, action, left, right});
    }

    qsizetype enter(std::span<const char> name)
    {
        const qsizetype mark = m_path.size();
        if (mark > 0)
            m_path += '/';
        m_path.append(name.data(), qsizetype(name.size()));
        return mark;
    }

    const SyncSnapshot& m_left;
    const SyncSnapshot& m_right;
    const CancellationToken& m_token;
    QByteArray m_path;
    SyncPlanner::Plan m_plan;
};

} // namespace

SyncPlanner::SyncPlanner()
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
}

SyncPlanner::~SyncPlanner()
{
    m_stopping = true;
    m_pool.waitForDone();
}

QFuture<SyncPlanner::Plan> SyncPlanner::plan(const FileUrl& left, const FileUrl& right)
{
    return QtConcurrent::run(&m_pool, [this, left, right](QPromise<Plan>& promise) {
        const CancellationToken token([&promise, this] { return promise.isCanceled() || m_stopping.load(); });
        try {
            promise.addResult(makePlan(left.nativePath(), right.nativePath(), token));
        } catch (const CancellationError&) {
            promise.future().cancel();
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

SyncPlanner::Plan SyncPlanner::makePlan(const QByteArray& left, const QByteArray& right,
                                        const CancellationToken& token)
{
    // The two walks are independent; each mostly waits for the file system.
    // A failure on one side stops the other one early.
    std::atomic_bool failed = false;
    const CancellationToken walkToken([&] { return failed.load(std::memory_order_relaxed) || token.isCancelled(); });
    std::exception_ptr leftError;
    std::exception_ptr rightError;
    SyncSnapshot leftSnapshot;
    SyncSnapshot rightSnapshot;
    std::thread leftWalk([&] {
        try {
            leftSnapshot = SyncSnapshot::take(left, walkToken);
        } catch (...) {
            leftError = std::current_exception();
            failed = true;
        }
    });
    try {
        rightSnapshot = SyncSnapshot::take(right, walkToken);
    } catch (...) {
        rightError = std::current_exception();
        failed = true;
    }
    leftWalk.join();
    if (const std::exception_ptr cause = causeOf(leftError, rightError))
        std::rethrow_exception(cause);
    return PlanMerge(leftSnapshot, rightSnapshot, token).run();
}
