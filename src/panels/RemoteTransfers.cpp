#include "panels/RemoteTransfers.h"

#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "panels/RemoteLocation.h"
#include "platform/FileRemover.h"
#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteTransportError.h"
#include "remote/RemoteTree.h"

#include <QFile>
#include <QHash>
#include <QThread>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace RemoteTransfers {

namespace {

using Action = FileOperationQueue::ConflictAction;

// Waits for a provider's operation; the user's cancel ends it within moments.
template <typename T>
T await(QFuture<T> future, const CancellationToken& token = {})
{
    while (!future.isFinished()) {
        if (token.isCancelled())
            future.cancel();
        QThread::msleep(5);
    }
    future.waitForFinished(); // throws the provider's error
    if (future.isCanceled())
        throw CancellationError();
    if constexpr (!std::is_void_v<T>)
        return future.result();
}

// Clean-up after a failure must not hide the failure itself.
void quietly(QFuture<void> future)
{
    try {
        future.waitForFinished();
    } catch (const BrenvikError&) {
    }
}

// Links a tree transfer left out end the whole job with their error, but only
// after everything else is done.
class LeftOut {
public:
    // Waits for a tree transfer; true when it ended with some links left out.
    bool transfer(QFuture<void> future, const CancellationToken& token)
    {
        try {
            RemoteTransfers::await(future, token);
            return false;
        } catch (const RemoteTransportError& error) {
            if (error.kind() != RemoteTransportError::Kind::linksLeftOut)
                throw;
            if (!m_error)
                m_error = error;
            return true;
        }
    }
    void rethrow() const
    {
        if (m_error)
            throw *m_error;
    }

private:
    std::optional<RemoteTransportError> m_error;
};

// Removes the local entries an upload logged, folders after their contents; a
// folder that holds something new keeps it and stays.
void removeUploaded(const RemoteTransferLog& log)
{
    for (const QString& file : log.files)
        if (::unlink(QFile::encodeName(file).constData()) != 0 && errno != ENOENT)
            throw SystemError(errno, QFile::encodeName(file));
    for (const QString& folder : log.folders)
        if (::rmdir(QFile::encodeName(folder).constData()) != 0 && errno != ENOENT && errno != ENOTEMPTY
            && errno != EEXIST)
            throw SystemError(errno, QFile::encodeName(folder));
}

// Removes on the server the entries of `log`, remote paths, folders after their contents.
void removeDownloaded(CurlRemoteProvider& provider, const RemoteTransferLog& log, const CancellationToken& token)
{
    for (const QString& file : log.files)
        await(provider.deleteEntry(file, false), token);
    for (const QString& folder : log.folders)
        quietly(provider.deleteEntry(folder, true)); // refused while something new is in it
}

// The same log with `from` at the front of every path replaced by `to`.
RemoteTransferLog rebased(const RemoteTransferLog& log, const QString& from, const QString& to)
{
    const auto rebase = [&](const QStringList& paths) {
        QStringList result;
        for (const QString& path : paths)
            if (path == from || path.startsWith(from + u'/'))
                result.append(to + path.mid(from.size()));
        return result;
    };
    return {rebase(log.files), rebase(log.folders)};
}

// The entries of one target folder as far as this transfer knows them, and
// the answer the user wants for every further conflict.
class Uploader {
public:
    Uploader(CurlRemoteProvider& target, const QString& folder, const Callbacks& callbacks, LeftOut& leftOut)
        : m_target(target), m_folder(folder), m_callbacks(callbacks), m_leftOut(leftOut)
    {
        for (const RemoteEntry& entry : await(target.list(folder), callbacks.token))
            m_listed.insert(entry.name, entry);
    }

    // What went to the server; nothing when the entry stayed where it was.
    std::optional<RemoteTransferLog> put(const FileUrl& source, QString name)
    {
        if (!source.hasExactText() || !RemoteTree::isPlainEntryName(name))
            throw RemoteTransportError::unusableName(source.nativeFileName());
        struct stat status {};
        if (::lstat(source.nativePath().constData(), &status) != 0)
            throw SystemError(errno, source.nativePath());
        const bool isDirectory = S_ISDIR(status.st_mode);
        const QString target = RemoteTree::childPath(m_folder, name);
        const auto existing = m_listed.constFind(name);
        std::optional<RemoteTransferLog> sent;
        if (existing == m_listed.cend()) {
            sent = putNew(source, target);
        } else {
            switch (decide(source, *existing, target)) {
            case Action::replaceIfNewer: // the server gives no date to compare with
            case Action::skip:
                return std::nullopt;
            case Action::replaceIfSizeDiffers:
                if (!isDirectory && !existing->isDirectory && existing->size == qint64(status.st_size))
                    return std::nullopt;
                sent = replace(source, isDirectory, *existing, target);
                break;
            case Action::replace:
                sent = replace(source, isDirectory, *existing, target);
                break;
            case Action::keepBoth:
                name = RemoteLocation::freeName(name, QSet<QString>(m_listed.keyBegin(), m_listed.keyEnd()));
                sent = putNew(source, RemoteTree::childPath(m_folder, name));
                break;
            case Action::cancel:
                throw CancellationError();
            }
        }
        m_listed.insert(name, RemoteEntry{name, isDirectory, std::nullopt, {}});
        return sent;
    }

private:
    Action decide(const FileUrl& source, const RemoteEntry& existing, const QString& target)
    {
        if (m_remembered)
            return *m_remembered;
        const ConflictDecision decision =
            m_callbacks.conflict ? m_callbacks.conflict(source, existing, target) : ConflictDecision{};
        if (decision.applyToAll && decision.action != Action::cancel)
            m_remembered = decision.action;
        return decision.action;
    }

    // Sent under a temporary name; nothing when nothing could be sent (a link).
    std::optional<QString> send(const FileUrl& source, RemoteTransferLog& log)
    {
        const QString staged = RemoteTree::childPath(m_folder, FileSystemCore::temporaryName());
        auto sentLog = std::make_shared<RemoteTransferLog>();
        try {
            m_leftOut.transfer(m_target.uploadTree(source, staged, sentLog), m_callbacks.token);
        } catch (...) {
            quietly(m_target.deleteTree(staged));
            throw;
        }
        log = *sentLog;
        if (log.files.isEmpty() && log.folders.isEmpty()) {
            quietly(m_target.deleteTree(staged));
            return std::nullopt;
        }
        return staged;
    }

    std::optional<RemoteTransferLog> putNew(const FileUrl& source, const QString& target)
    {
        RemoteTransferLog log;
        const std::optional<QString> staged = send(source, log);
        if (!staged)
            return std::nullopt;
        try {
            await(m_target.rename(*staged, target));
        } catch (...) {
            quietly(m_target.deleteTree(*staged));
            throw;
        }
        return log;
    }

    // Two folders merge, each file put in place only once complete; anything
    // else gives way to the new entry, which is set aside until then.
    std::optional<RemoteTransferLog> replace(const FileUrl& source, bool isDirectory, const RemoteEntry& existing,
                                             const QString& target)
    {
        if (isDirectory && existing.isDirectory) {
            auto log = std::make_shared<RemoteTransferLog>();
            m_leftOut.transfer(m_target.uploadTree(source, target, log,
                                                   CurlRemoteProvider::UploadMode::throughTemporary),
                               m_callbacks.token);
            return *log;
        }
        RemoteTransferLog log;
        const std::optional<QString> staged = send(source, log);
        if (!staged)
            return std::nullopt;
        const QString aside = RemoteTree::childPath(m_folder, FileSystemCore::temporaryName());
        try {
            await(m_target.rename(target, aside));
        } catch (...) {
            quietly(m_target.deleteTree(*staged));
            throw;
        }
        try {
            await(m_target.rename(*staged, target));
        } catch (...) {
            quietly(m_target.rename(aside, target));
            quietly(m_target.deleteTree(*staged));
            throw;
        }
        await(m_target.deleteTree(aside));
        return log;
    }

    CurlRemoteProvider& m_target;
    QString m_folder;
    const Callbacks& m_callbacks;
    LeftOut& m_leftOut;
    QHash<QString, RemoteEntry> m_listed;
    std::optional<Action> m_remembered;
};

void report(const Callbacks& callbacks, Event::Kind kind, qsizetype index, qsizetype total, const QString& name = {})
{
    if (callbacks.progress)
        callbacks.progress({kind, index, total, name});
}

QString plainName(const QString& remotePath)
{
    QString name = remotePath;
    while (name.size() > 1 && name.endsWith(u'/'))
        name.chop(1);
    name = name.mid(name.lastIndexOf(u'/') + 1);
    if (!RemoteTree::isPlainEntryName(name))
        throw RemoteTransportError::unsafeEntryName(name);
    return name;
}

// Removes a folder and everything in it when the scope ends, on every path.
class StagingFolder {
public:
    explicit StagingFolder(FileUrl folder) : m_folder(std::move(folder))
    {
        if (::mkdir(m_folder.nativePath().constData(), 0700) != 0)
            throw SystemError(errno, m_folder.nativePath());
    }
    ~StagingFolder()
    {
        try {
            FileRemover::remove(m_folder);
        } catch (const BrenvikError&) {
        }
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

private:
    FileUrl m_folder;
};

} // namespace

void upload(CurlRemoteProvider& target, const QList<FileUrl>& sources, const QString& folder, bool moving,
            const Callbacks& callbacks)
{
    LeftOut leftOut;
    Uploader uploader(target, folder, callbacks, leftOut);
    for (qsizetype i = 0; i < sources.size(); ++i) {
        callbacks.token.throwIfCancelled();
        const FileUrl& source = sources.at(i);
        report(callbacks, Event::Kind::sending, i, sources.size(), source.fileName());
        const std::optional<RemoteTransferLog> sent = uploader.put(source, source.fileName());
        if (sent && moving)
            removeUploaded(*sent);
        report(callbacks, Event::Kind::done, i + 1, sources.size());
    }
    leftOut.rethrow();
}

void download(CurlRemoteProvider& source, const QStringList& paths, const FileUrl& folder, bool moving,
              const Callbacks& callbacks)
{
    LeftOut leftOut;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        callbacks.token.throwIfCancelled();
        const QString name = plainName(paths.at(i));
        report(callbacks, Event::Kind::fetching, i, paths.size(), name);
        const FileUrl local = FileSystemCore::uniqueDestination(folder.appending(name), folder);
        auto arrived = std::make_shared<RemoteTransferLog>();
        leftOut.transfer(source.downloadTree(paths.at(i), local, arrived), callbacks.token);
        if (moving)
            removeDownloaded(source, *arrived, callbacks.token);
        report(callbacks, Event::Kind::done, i + 1, paths.size());
    }
    leftOut.rethrow();
}

void betweenServers(CurlRemoteProvider& source, CurlRemoteProvider& target, const QStringList& paths,
                    const QString& targetFolder, bool moving, const FileUrl& staging, const Callbacks& callbacks)
{
    const StagingFolder stage(staging);
    LeftOut leftOut;
    Uploader uploader(target, targetFolder, callbacks, leftOut);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        callbacks.token.throwIfCancelled();
        const QString name = plainName(paths.at(i));
        const FileUrl copy = staging.appending(name);
        report(callbacks, Event::Kind::fetching, i, paths.size(), name);
        leftOut.transfer(source.downloadTree(paths.at(i), copy), callbacks.token);
        report(callbacks, Event::Kind::sending, i, paths.size(), name);
        const std::optional<RemoteTransferLog> sent = uploader.put(copy, name);
        // What reached the target, named by its place at the source.
        if (sent && moving)
            removeDownloaded(source, rebased(*sent, copy.path(), paths.at(i)), callbacks.token);
        FileRemover::remove(copy);
        report(callbacks, Event::Kind::done, i + 1, paths.size());
    }
    leftOut.rethrow();
}

} // namespace RemoteTransfers
