#include "operations/FileOperationQueue.h"

#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "diagnostics/DiagnosticsStore.h"
#include "platform/FileCopier.h"
#include "platform/LocalFileOperations.h"
#include "platform/Trash.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPromise>
#include <QThread>
#include <QtConcurrent>
#include <cerrno>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <type_traits>

namespace {

using Queue = FileOperationQueue;
using LocalFileOperations::AtTarget;

// The remembered conflict answer while none is remembered: ask the user.
constexpr quint8 askUser = 6;

// Ends the promise with the body's result, cancelled on CancellationError, or
// with the body's exception as it was thrown, so callers can catch it by type.
template <typename T, typename Body>
void settle(QPromise<T>& promise, Body body)
{
    try {
        if constexpr (std::is_void_v<T>)
            body();
        else
            promise.addResult(body());
    } catch (const CancellationError&) {
        promise.future().cancel();
    } catch (...) {
        promise.setException(std::current_exception());
    }
}

template <typename T>
CancellationToken tokenFor(QPromise<T>& promise, const std::atomic_bool& stopping)
{
    return CancellationToken([&promise, &stopping] { return promise.isCanceled() || stopping.load(); });
}

// Whether anything, a dangling link included, has this name.
bool exists(const FileUrl& url)
{
    struct stat st;
    if (lstat(url.nativePath().constData(), &st) == 0)
        return true;
    if (errno == ENOENT)
        return false;
    throw SystemError(errno, url.nativePath());
}

std::optional<struct stat> statIfReadable(const FileUrl& url)
{
    struct stat st;
    if (lstat(url.nativePath().constData(), &st) != 0)
        return std::nullopt;
    return st;
}

// An unknown date counts as the most distant past.
bool isSourceNewer(const FileUrl& source, const FileUrl& target)
{
    const auto nanoseconds = [](const FileUrl& url) -> qint64 {
        const std::optional<struct stat> st = statIfReadable(url);
        return st ? qint64(st->st_mtim.tv_sec) * 1000000000 + st->st_mtim.tv_nsec : std::numeric_limits<qint64>::min();
    };
    const qint64 sourceTime = nanoseconds(source);
    return sourceTime > nanoseconds(target);
}

// Folders have no file size, like entries whose attributes cannot be read.
std::optional<qint64> fileSize(const FileUrl& url)
{
    const std::optional<struct stat> st = statIfReadable(url);
    if (!st || S_ISDIR(st->st_mode))
        return std::nullopt;
    return qint64(st->st_size);
}

bool sizesDiffer(const FileUrl& source, const FileUrl& target)
{
    const std::optional<qint64> sourceSize = fileSize(source);
    return sourceSize != fileSize(target);
}

// Goes to the diagnostics log on the GUI thread; the log has no lock.
void recordAttributesNotKept(qsizetype entries)
{
    if (entries == 0 || !QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [entries] {
            DiagnosticsStore::shared().record(QStringLiteral("Dateisystem"),
                                              QStringLiteral("Erweiterte Attribute oder ACLs am Ziel nicht speicherbar · %1")
                                                  .arg(entries));
        },
        Qt::QueuedConnection);
}

class JobRun {
public:
    JobRun(const Queue::Job& job, const Queue::Progress& progress, const Queue::ResolveConflict& resolveConflict,
           const CancellationToken& token)
        : m_job(job), m_progress(progress), m_resolveConflict(resolveConflict), m_copier(token)
    {
    }
    ~JobRun() { recordAttributesNotKept(m_copier.attributesNotKept()); }

    QList<Queue::Failure> run(const CancellationToken& token)
    {
        const qsizetype total = m_job.sources.size();
        for (qsizetype i = 0; i < total; ++i) {
            token.throwIfCancelled();
            const FileUrl& source = m_job.sources.at(i);
            m_progress(i, total, source);
            try {
                process(source);
            } catch (const CancellationError&) {
                throw;
            } catch (const BrenvikError& error) {
                m_failures.append({source, error.description()});
            }
        }
        m_progress(total, total, m_job.destination);
        return m_failures;
    }

private:
    void transfer(const FileUrl& source, const FileUrl& target, AtTarget atTarget)
    {
        if (m_job.kind == Queue::Kind::copy)
            LocalFileOperations::copyItem(source, target, atTarget, m_copier);
        else
            LocalFileOperations::moveItem(source, target, atTarget, m_copier);
    }

    void process(const FileUrl& source)
    {
        const FileUrl target = m_job.destination.appending(source.nativeFileName());
        if (!exists(target))
            return transfer(source, target, AtTarget::mustBeFree);

        const Queue::ConflictDecision decision = m_remembered == askUser
            ? m_resolveConflict(source, target)
            : Queue::ConflictDecision{Queue::ConflictAction(m_remembered), true};
        m_remembered = decision.applyToAll ? quint8(decision.action) : askUser;
        switch (decision.action) {
        case Queue::ConflictAction::replace:
            return transfer(source, target, AtTarget::replace);
        case Queue::ConflictAction::replaceIfNewer:
            if (isSourceNewer(source, target))
                transfer(source, target, AtTarget::replace);
            return;
        case Queue::ConflictAction::replaceIfSizeDiffers:
            if (sizesDiffer(source, target))
                transfer(source, target, AtTarget::replace);
            return;
        case Queue::ConflictAction::skip:
            return;
        case Queue::ConflictAction::keepBoth:
            return transfer(source, FileSystemCore::uniqueDestination(source, m_job.destination), AtTarget::mustBeFree);
        case Queue::ConflictAction::cancel:
            throw CancellationError();
        }
    }

    const Queue::Job& m_job;
    const Queue::Progress& m_progress;
    const Queue::ResolveConflict& m_resolveConflict;
    FileCopier m_copier; // one for the whole job: hard links between its entries stay links
    quint8 m_remembered = askUser;
    QList<Queue::Failure> m_failures;
};

QList<Queue::TrashRecord> trashAll(const QList<FileUrl>& urls, const Queue::Progress& progress,
                                   const CancellationToken& token)
{
    QList<Queue::TrashRecord> records;
    const qsizetype total = urls.size();
    for (qsizetype i = 0; i < total; ++i) {
        token.throwIfCancelled();
        progress(i, total, urls.at(i));
        records.append({urls.at(i), Trash::moveToTrash(urls.at(i))});
    }
    const QByteArray home = qgetenv("HOME");
    progress(total, total, total > 0 ? urls.last() : FileUrl::fromNativePath(home.isEmpty() ? "/" : home));
    return records;
}

void restoreAll(const QList<Queue::TrashRecord>& records, const CancellationToken& token)
{
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        token.throwIfCancelled();
        Trash::restore(records.at(i).trashed, records.at(i).location);
    }
}

// Carries calls from the worker to the thread of a context object, which may
// be destroyed at any moment: the worker never touches the context itself. The
// relay lives on the context's thread as long as the callback does; whether the
// context still exists is asked there, where it can only be destroyed between
// two calls, never during the check.
class ContextRelay {
public:
    explicit ContextRelay(QObject* context)
        : m_context(context), m_thread(context->thread()),
          m_relay(new QObject, [](QObject* relay) { relay->deleteLater(); })
    {
        m_relay->moveToThread(m_thread);
    }

    // Runs `call` on the context's thread and waits for it; nothing when the context is gone.
    void run(const std::function<void()>& call) const
    {
        const auto guarded = [this, &call] {
            if (m_context)
                call();
        };
        if (m_thread == QThread::currentThread())
            guarded();
        else
            QMetaObject::invokeMethod(m_relay.get(), guarded, Qt::BlockingQueuedConnection);
    }

private:
    QPointer<QObject> m_context;
    QThread* m_thread;
    std::shared_ptr<QObject> m_relay;
};

} // namespace

FileOperationQueue::FileOperationQueue()
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
}

FileOperationQueue::~FileOperationQueue()
{
    m_stopping = true;
    // A job may be waiting for a callback that was handed to this thread.
    while (!m_pool.waitForDone(10))
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

QFuture<QList<Queue::Failure>> FileOperationQueue::perform(Job job, Progress progress, ResolveConflict resolveConflict)
{
    return QtConcurrent::run(&m_pool, [this, job = std::move(job), progress = std::move(progress),
                                       resolveConflict = std::move(resolveConflict)](QPromise<QList<Failure>>& promise) {
        settle(promise, [&] {
            const CancellationToken token = tokenFor(promise, m_stopping);
            return JobRun(job, progress, resolveConflict, token).run(token);
        });
    });
}

QFuture<QList<Queue::TrashRecord>> FileOperationQueue::trash(QList<FileUrl> urls, Progress progress)
{
    return QtConcurrent::run(&m_pool, [this, urls = std::move(urls),
                                       progress = std::move(progress)](QPromise<QList<TrashRecord>>& promise) {
        settle(promise, [&] { return trashAll(urls, progress, tokenFor(promise, m_stopping)); });
    });
}

QFuture<void> FileOperationQueue::restoreFromTrash(QList<TrashRecord> records)
{
    return QtConcurrent::run(&m_pool, [this, records = std::move(records)](QPromise<void>& promise) {
        settle(promise, [&] { restoreAll(records, tokenFor(promise, m_stopping)); });
    });
}

QFuture<QList<Queue::TrashRecord>> FileOperationQueue::stillInTrash(QList<TrashRecord> records)
{
    return QtConcurrent::run(&m_pool, [records = std::move(records)] {
        QList<TrashRecord> remaining;
        for (const TrashRecord& record : records) {
            struct stat st;
            if (lstat(record.trashed.nativePath().constData(), &st) == 0)
                remaining.append(record);
        }
        return remaining;
    });
}

Queue::Progress FileOperationQueue::progressOnThreadOf(QObject* context, Progress progress)
{
    return [relay = ContextRelay(context), progress = std::move(progress)](qsizetype completed, qsizetype total,
                                                                           const FileUrl& url) {
        relay.run([&] { progress(completed, total, url); });
    };
}

Queue::ResolveConflict FileOperationQueue::conflictsOnThreadOf(QObject* context, ResolveConflict resolveConflict)
{
    return [relay = ContextRelay(context), resolveConflict = std::move(resolveConflict)](const FileUrl& source,
                                                                                         const FileUrl& target) {
        ConflictDecision decision{ConflictAction::cancel, false};
        relay.run([&] { decision = resolveConflict(source, target); });
        return decision;
    };
}
