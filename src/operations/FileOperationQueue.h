#pragma once

#include "core/FileUrl.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>

class QObject;

// Copies and moves top-level entries into a folder with name-conflict handling,
// moves entries to the trash and puts them back. A serial executor: one worker
// thread, one piece of work at a time, never the GUI thread. Every operation
// returns a future; cancelling it stops a running copy within one block (its
// entry stays as it was) and the future then ends cancelled. Errors that end a
// call travel as the typed exceptions of the file layer (SystemError,
// LocalFileError).
class FileOperationQueue {
public:
    enum class Kind : quint8 { copy = 0, move = 1 };

    struct Job {
        Kind kind = Kind::copy;
        QList<FileUrl> sources; // processed in this order
        FileUrl destination;    // the folder that receives them
    };

    struct Failure {
        FileUrl source;
        QString message; // the file layer's German description, shown unchanged
        friend bool operator==(const Failure&, const Failure&) = default;
    };

    // The numbers are fixed: they are also the choices' indexes in the conflict dialog.
    enum class ConflictAction : quint8 {
        replace = 0,
        replaceIfNewer = 1,
        replaceIfSizeDiffers = 2,
        skip = 3,
        keepBoth = 4,
        cancel = 5
    };

    struct ConflictDecision {
        ConflictAction action = ConflictAction::cancel;
        bool applyToAll = false; // remember the action for the rest of the job
        friend bool operator==(const ConflictDecision&, const ConflictDecision&) = default;
    };

    struct TrashRecord {
        FileUrl location; // where the entry was
        FileUrl trashed;  // where it lies in the trash
        friend bool operator==(const TrashRecord&, const TrashRecord&) = default;
    };

    // Both are called on the worker thread, which waits for them to return.
    // `completed` and `total` count top-level entries.
    using Progress = std::function<void(qsizetype completed, qsizetype total, const FileUrl& url)>;
    // Asked only when the target name is taken and no answer is remembered.
    using ResolveConflict = std::function<ConflictDecision(const FileUrl& source, const FileUrl& target)>;

    FileOperationQueue();
    // Stops the work at the next entry and waits for it to end.
    ~FileOperationQueue();
    FileOperationQueue(const FileOperationQueue&) = delete;
    FileOperationQueue& operator=(const FileOperationQueue&) = delete;

    // Failures in source order; an empty list means every entry was copied, moved,
    // skipped or left as decided. The answer `cancel` ends the future cancelled.
    QFuture<QList<Failure>> perform(Job job, Progress progress, ResolveConflict resolveConflict);
    // Ends with the first error; entries trashed before it stay in the trash.
    QFuture<QList<TrashRecord>> trash(QList<FileUrl> urls, Progress progress);
    // Last record first; never overwrites: an occupied former place ends it with
    // EEXIST. Records restored before an error stay restored.
    QFuture<void> restoreFromTrash(QList<TrashRecord> records);
    // The records whose entries still lie in the trash: after an undo that
    // failed part-way, the ones a retry can still restore.
    QFuture<QList<TrashRecord>> stillInTrash(QList<TrashRecord> records);

    // Wrap callbacks that must run on `context`'s thread (the GUI's): the worker
    // hands each call over and waits for it. Once `context` is gone, progress is
    // dropped and conflicts are answered with `cancel`.
    static Progress progressOnThreadOf(QObject* context, Progress progress);
    static ResolveConflict conflictsOnThreadOf(QObject* context, ResolveConflict resolveConflict);

private:
    std::atomic_bool m_stopping = false;
    QThreadPool m_pool;
};
