#include "sync/SyncExecutor.h"

#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "platform/FileCopier.h"
#include "platform/UniqueFd.h"
#include "sync/SyncError.h"
#include "sync/SyncFolderCursor.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QPromise>
#include <QtConcurrent>
#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Kind = SyncEntryState::Kind;

constexpr qint64 progressIntervalMs = 50;

qint64 nanoseconds(const struct timespec& time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

SyncEntryState stateOf(const struct stat& st)
{
    switch (st.st_mode & S_IFMT) {
    case S_IFDIR: return {Kind::folder, 0, SyncEntryState::unknownTime};
    case S_IFREG: return {Kind::file, st.st_size, nanoseconds(st.st_mtim)};
    case S_IFLNK: return {Kind::link, st.st_size, nanoseconds(st.st_mtim)};
    default: return {Kind::other, st.st_size, nanoseconds(st.st_mtim)};
    }
}

// What is at `name` now, without following a link.
SyncEntryState stateAt(int folder, const char* name, const QByteArray& shownPath)
{
    struct stat st;
    if (fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return stateOf(st);
    if (errno != ENOENT)
        throw SystemError(errno, shownPath);
    return {};
}

bool isUnsupportedRename(int code)
{
    return code == EINVAL || code == ENOSYS || code == EOPNOTSUPP;
}

// One plan item, from the source's folder to the destination's.
class ItemCopy {
public:
    ItemCopy(const SyncPlanItem& item, SyncFolderCursor& source, SyncFolderCursor& destination,
             const CancellationToken& token, FileCopier& copier)
        : m_item(item), m_token(token), m_copier(copier), m_sourceCursor(source), m_destinationCursor(destination)
    {
        const QByteArray& path = item.nativeRelativePath;
        const qsizetype slash = path.lastIndexOf('/');
        m_parent = slash < 0 ? QByteArray() : path.left(slash);
        m_name = slash < 0 ? path : path.mid(slash + 1);
        m_shownSource = source.pathOf(path);
        m_shownDestination = destination.pathOf(path);
    }

    void run()
    {
        const int sourceFolder = m_sourceCursor.open(m_parent, false);
        struct stat st;
        if (fstatat(sourceFolder, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            throw SystemError(errno, m_shownSource);
        if (S_ISDIR(st.st_mode))
            return makeFolder();
        if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
            throw SyncError(SyncError::Reason::unsupportedKind, m_shownSource);
        m_folder = m_destinationCursor.open(m_parent, true);
        const SyncEntryState now = stateAt(m_folder, m_name.constData(), m_shownDestination);
        if (now != m_item.destination()) {
            if (now.exists() && !now.isFolder() && sameContentsLikely(now, stateOf(st)))
                return; // done before, by an earlier run of this plan or by hand
            throw SyncError(SyncError::Reason::destinationChanged, m_shownDestination);
        }
        m_temporary = FileSystemCore::temporaryName().toLatin1();
        try {
            if (S_ISLNK(st.st_mode))
                copyLink(sourceFolder, st);
            else
                copyFile(sourceFolder, st);
            m_token.throwIfCancelled();
            putInPlace();
        } catch (...) {
            if (m_temporaryExists)
                unlinkat(m_folder, m_temporary.constData(), 0); // the copy's own failure is the one to report
            throw;
        }
    }

private:
    void makeFolder()
    {
        const int folder = m_destinationCursor.open(m_parent, true);
        if (mkdirat(folder, m_name.constData(), 0777) == 0)
            return;
        if (errno != EEXIST)
            throw SystemError(errno, m_shownDestination);
        if (!stateAt(folder, m_name.constData(), m_shownDestination).isFolder())
            throw SystemError(EEXIST, m_shownDestination);
    }

    void copyFile(int sourceFolder, const struct stat& seen)
    {
        // O_NONBLOCK: should the name have become a FIFO meanwhile, opening it must not wait.
        const UniqueFd in(openat(sourceFolder, m_name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!in.isValid())
            throw SystemError(errno, m_shownSource);
        m_temporaryExists = true;
        m_copier.copyOpenFile(in.get(), seen, m_folder, m_temporary.constData(), m_shownSource, m_shownDestination);
        // One look afterwards tells both whether the name still led to the file
        // looked at before and whether it changed while it was read.
        struct stat after;
        if (fstat(in.get(), &after) != 0)
            throw SystemError(errno, m_shownSource);
        if (after.st_ino != seen.st_ino || after.st_dev != seen.st_dev || stateOf(after) != stateOf(seen))
            throw SyncError(SyncError::Reason::sourceChanged, m_shownSource);
    }

    void copyLink(int sourceFolder, const struct stat& st)
    {
        QByteArray text(qMax<qsizetype>(st.st_size, 255) + 1, Qt::Uninitialized);
        for (;;) {
            const ssize_t length = readlinkat(sourceFolder, m_name.constData(), text.data(), std::size_t(text.size()));
            if (length < 0)
                throw SystemError(errno, m_shownSource);
            if (length < text.size()) {
                text.truncate(length);
                break;
            }
            if (text.size() > 1 << 20)
                throw SystemError(ENAMETOOLONG, m_shownSource);
            text.resize(text.size() * 2);
        }
        if (symlinkat(text.constData(), m_folder, m_temporary.constData()) != 0)
            throw SystemError(errno, m_shownDestination);
        m_temporaryExists = true;
        // The link's own date, so that the next plan finds both sides equal.
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        utimensat(m_folder, m_temporary.constData(), times, AT_SYMLINK_NOFOLLOW);
    }

    // The temporary copy takes the destination's place in one step, and only
    // while the destination is still what the plan saw.
    void putInPlace()
    {
        const char* temporary = m_temporary.constData();
        const char* name = m_name.constData();
        const SyncEntryState& expected = m_item.destination();
        const unsigned flag = expected.exists() ? RENAME_EXCHANGE : RENAME_NOREPLACE;
        if (renameat2(m_folder, temporary, m_folder, name, flag) != 0) {
            if (errno == EEXIST || errno == ENOENT)
                throw SyncError(SyncError::Reason::destinationChanged, m_shownDestination);
            if (!isUnsupportedRename(errno))
                throw SystemError(errno, m_shownDestination);
            // File systems without these renames: look once more, then replace.
            if (stateAt(m_folder, name, m_shownDestination) != expected)
                throw SyncError(SyncError::Reason::destinationChanged, m_shownDestination);
            if (renameat(m_folder, temporary, m_folder, name) != 0)
                throw SystemError(errno, m_shownDestination);
            m_temporaryExists = false;
            return;
        }
        if (!expected.exists()) {
            m_temporaryExists = false;
            return;
        }
        // The old entry now carries the temporary name. Had it changed in the last
        // moment, it goes back.
        if (stateAt(m_folder, temporary, m_shownDestination) != expected) {
            if (renameat2(m_folder, temporary, m_folder, name, RENAME_EXCHANGE) != 0)
                m_temporaryExists = false; // it holds the user's file now: never removed
            throw SyncError(SyncError::Reason::destinationChanged, m_shownDestination);
        }
        if (unlinkat(m_folder, temporary, 0) != 0)
            throw SystemError(errno, m_destinationCursor.pathOf(m_parent) + '/' + m_temporary);
        m_temporaryExists = false;
    }

    const SyncPlanItem& m_item;
    const CancellationToken& m_token;
    FileCopier& m_copier;
    SyncFolderCursor& m_sourceCursor;
    SyncFolderCursor& m_destinationCursor;
    QByteArray m_parent;
    QByteArray m_name;
    QByteArray m_shownSource;
    QByteArray m_shownDestination;
    QByteArray m_temporary;
    int m_folder = -1;
    bool m_temporaryExists = false;
};

} // namespace

SyncExecutor::SyncExecutor()
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
}

SyncExecutor::~SyncExecutor()
{
    m_stopping = true;
    m_pool.waitForDone();
}

QFuture<QList<SyncExecutor::Failure>> SyncExecutor::execute(QList<SyncPlanItem> items, const FileUrl& left,
                                                            const FileUrl& right, Progress progress)
{
    return QtConcurrent::run(&m_pool, [this, items = std::move(items), left, right,
                                       progress = std::move(progress)](QPromise<QList<Failure>>& promise) {
        const CancellationToken token([&promise, this] { return promise.isCanceled() || m_stopping.load(); });
        try {
            promise.addResult(run(items, left.nativePath(), right.nativePath(), progress, token));
        } catch (const CancellationError&) {
            promise.future().cancel();
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

QList<SyncExecutor::Failure> SyncExecutor::run(const QList<SyncPlanItem>& items, const QByteArray& left,
                                               const QByteArray& right, const Progress& progress,
                                               const CancellationToken& token)
{
    SyncFolderCursor leftCursor(left);
    SyncFolderCursor rightCursor(right);
    FileCopier copier(token);
    QList<Failure> failures;
    QElapsedTimer sinceReport;
    const qsizetype total = items.size();
    for (qsizetype i = 0; i < total; ++i) {
        const SyncPlanItem& item = items.at(i);
        token.throwIfCancelled();
        if (progress && (i == 0 || sinceReport.elapsed() >= progressIntervalMs)) {
            progress(i, total, item.relativePath());
            sinceReport.start();
        }
        if (item.action == SyncAction::conflict)
            continue;
        const bool toRight = item.action == SyncAction::copyLeftToRight;
        try {
            ItemCopy(item, toRight ? leftCursor : rightCursor, toRight ? rightCursor : leftCursor, token, copier).run();
        } catch (const CancellationError&) {
            throw;
        } catch (const BrenvikError& error) {
            failures.append({item, error.description()});
        }
    }
    if (progress)
        progress(total, total, QString());
    return failures;
}

SyncExecutor::Progress SyncExecutor::progressOnThreadOf(QObject* context, Progress progress)
{
    return [context = QPointer<QObject>(context), progress = std::move(progress)](
               qsizetype completed, qsizetype total, const QString& relativePath) {
        if (context)
            QMetaObject::invokeMethod(context, [=] { progress(completed, total, relativePath); }, Qt::QueuedConnection);
    };
}
