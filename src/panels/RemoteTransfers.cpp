#include "panels/RemoteTransfers.h"

#include "core/FileSystemCore.h"
#include "panels/RemoteLocation.h"
#include "platform/FileRemover.h"
#include "platform/SystemError.h"
#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteTransportError.h"
#include "remote/RemoteTree.h"

#include <QHash>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RemoteTransfers {

namespace {

using Action = FileOperationQueue::ConflictAction;
constexpr int deepestFolder = 256;

template <typename T>
T await(QFuture<T> future)
{
    future.waitForFinished(); // throws the provider's error
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

struct LocalEntry {
    QByteArray relative; // below the top entry; empty for the top entry itself
    bool isDirectory = false;
};

// What a local tree holds, parents before children; links are never entered
// and never listed (they are not transferred either).
void collect(const FileUrl& top, const QByteArray& relative, int depth, QList<LocalEntry>& entries)
{
    const QByteArray path = relative.isEmpty() ? top.nativePath() : top.nativePath() + '/' + relative;
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        throw SystemError(errno, path);
    if (S_ISLNK(status.st_mode))
        return;
    entries.append({relative, S_ISDIR(status.st_mode)});
    if (!S_ISDIR(status.st_mode))
        return;
    if (depth >= deepestFolder)
        throw SystemError(ELOOP, path);
    DIR* folder = ::opendir(path.constData());
    if (!folder)
        throw SystemError(errno, path);
    QList<QByteArray> names;
    while (const dirent* entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(folder);
    for (const QByteArray& name : names)
        collect(top, relative.isEmpty() ? name : relative + '/' + name, depth + 1, entries);
}

QList<LocalEntry> manifestOf(const FileUrl& top)
{
    QList<LocalEntry> entries;
    collect(top, {}, 0, entries);
    return entries;
}

// Removes the listed local entries, children first; a folder that holds
// something new keeps it and stays.
void removeLocal(const FileUrl& top, const QList<LocalEntry>& manifest)
{
    for (qsizetype i = manifest.size() - 1; i >= 0; --i) {
        const LocalEntry& entry = manifest.at(i);
        const QByteArray path = entry.relative.isEmpty() ? top.nativePath() : top.nativePath() + '/' + entry.relative;
        const int result = entry.isDirectory ? ::rmdir(path.constData()) : ::unlink(path.constData());
        if (result == 0 || errno == ENOENT || (entry.isDirectory && (errno == ENOTEMPTY || errno == EEXIST)))
            continue;
        throw SystemError(errno, path);
    }
}

// Removes on the server what the local copy `top` holds of `remotePath`.
void removeRemote(CurlRemoteProvider& provider, const QString& remotePath, const FileUrl& top,
                  const CancellationToken& token)
{
    const QList<LocalEntry> arrived = manifestOf(top);
    for (qsizetype i = arrived.size() - 1; i >= 0; --i) {
        token.throwIfCancelled();
        const LocalEntry& entry = arrived.at(i);
        const QString path = entry.relative.isEmpty()
            ? remotePath
            : RemoteTree::childPath(remotePath, QString::fromUtf8(entry.relative));
        if (!entry.isDirectory)
            await(provider.deleteEntry(path, false));
        else
            quietly(provider.deleteEntry(path, true)); // refused while something new is in it
    }
}

QString lastComponent(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
}

// The entries of one target folder as far as this transfer knows them, and
// the answer the user wants for every further conflict.
class Uploader {
public:
    Uploader(CurlRemoteProvider& target, const QString& folder, const Callbacks& callbacks)
        : m_target(target), m_folder(folder), m_callbacks(callbacks)
    {
        for (const RemoteEntry& entry : await(target.list(folder)))
            m_listed.insert(entry.name, entry);
    }

    // False when the entry stayed where it was (skipped by the user's answer).
    bool put(const FileUrl& source, QString name)
    {
        if (!source.hasExactText() || !RemoteTree::isPlainEntryName(name))
            throw RemoteTransportError::invalidName();
        struct stat status {};
        if (::lstat(source.nativePath().constData(), &status) != 0)
            throw SystemError(errno, source.nativePath());
        const bool isDirectory = S_ISDIR(status.st_mode);
        const auto existing = m_listed.constFind(name);
        if (existing == m_listed.cend()) {
            putNew(source, RemoteTree::childPath(m_folder, name));
        } else {
            const QString target = RemoteTree::childPath(m_folder, name);
            switch (decide(source, *existing, target)) {
            case Action::replaceIfNewer: // the server gives no date to compare with
            case Action::skip:
                return false;
            case Action::replaceIfSizeDiffers:
                if (!isDirectory && !existing->isDirectory && existing->size == qint64(status.st_size))
                    return false;
                replace(source, isDirectory, *existing, target);
                break;
            case Action::replace:
                replace(source, isDirectory, *existing, target);
                break;
            case Action::keepBoth:
                name = RemoteLocation::freeName(name, QSet<QString>(m_listed.keyBegin(), m_listed.keyEnd()));
                putNew(source, RemoteTree::childPath(m_folder, name));
                break;
            case Action::cancel:
                throw CancellationError();
            }
        }
        m_listed.insert(name, RemoteEntry{name, isDirectory, std::nullopt, {}});
        return true;
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

    // Sent under a temporary name, renamed once complete.
    QString send(const FileUrl& source)
    {
        const QString staged = RemoteTree::childPath(m_folder, RemoteLocation::temporaryName());
        try {
            await(m_target.uploadTree(source, staged));
        } catch (...) {
            quietly(m_target.deleteTree(staged));
            throw;
        }
        return staged;
    }

    void putNew(const FileUrl& source, const QString& target)
    {
        const QString staged = send(source);
        try {
            await(m_target.rename(staged, target));
        } catch (...) {
            quietly(m_target.deleteTree(staged));
            throw;
        }
    }

    // Two folders merge, file by file; anything else gives way to the new entry.
    void replace(const FileUrl& source, bool isDirectory, const RemoteEntry& existing, const QString& target)
    {
        if (isDirectory && existing.isDirectory) {
            await(m_target.uploadTree(source, target));
            return;
        }
        const QString staged = send(source);
        const QString aside = RemoteTree::childPath(m_folder, RemoteLocation::temporaryName());
        try {
            await(m_target.rename(target, aside));
        } catch (...) {
            quietly(m_target.deleteTree(staged));
            throw;
        }
        try {
            await(m_target.rename(staged, target));
        } catch (...) {
            quietly(m_target.rename(aside, target));
            quietly(m_target.deleteTree(staged));
            throw;
        }
        await(m_target.deleteTree(aside));
    }

    CurlRemoteProvider& m_target;
    QString m_folder;
    const Callbacks& m_callbacks;
    QHash<QString, RemoteEntry> m_listed;
    std::optional<Action> m_remembered;
};

void report(const Callbacks& callbacks, Event::Kind kind, qsizetype index, qsizetype total, const QString& name = {})
{
    if (callbacks.progress)
        callbacks.progress({kind, index, total, name});
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
    Uploader uploader(target, folder, callbacks);
    for (qsizetype i = 0; i < sources.size(); ++i) {
        callbacks.token.throwIfCancelled();
        const FileUrl& source = sources.at(i);
        report(callbacks, Event::Kind::sending, i, sources.size(), source.fileName());
        const QList<LocalEntry> manifest = moving ? manifestOf(source) : QList<LocalEntry>();
        if (uploader.put(source, source.fileName()) && moving)
            removeLocal(source, manifest);
        report(callbacks, Event::Kind::done, i + 1, sources.size());
    }
}

void download(CurlRemoteProvider& source, const QStringList& paths, const FileUrl& folder, bool moving,
              const Callbacks& callbacks)
{
    for (qsizetype i = 0; i < paths.size(); ++i) {
        callbacks.token.throwIfCancelled();
        const QString name = lastComponent(paths.at(i));
        if (!RemoteTree::isPlainEntryName(name))
            throw RemoteTransportError::unsafeEntryName(name);
        report(callbacks, Event::Kind::fetching, i, paths.size(), name);
        const FileUrl local = FileSystemCore::uniqueDestination(folder.appending(name), folder);
        await(source.downloadTree(paths.at(i), local));
        if (moving)
            removeRemote(source, paths.at(i), local, callbacks.token);
        report(callbacks, Event::Kind::done, i + 1, paths.size());
    }
}

void betweenServers(CurlRemoteProvider& source, CurlRemoteProvider& target, const QStringList& paths,
                    const QString& targetFolder, bool moving, const FileUrl& staging, const Callbacks& callbacks)
{
    const StagingFolder stage(staging);
    Uploader uploader(target, targetFolder, callbacks);
    for (qsizetype i = 0; i < paths.size(); ++i) {
        callbacks.token.throwIfCancelled();
        const QString name = lastComponent(paths.at(i));
        if (!RemoteTree::isPlainEntryName(name))
            throw RemoteTransportError::unsafeEntryName(name);
        const FileUrl copy = staging.appending(name);
        report(callbacks, Event::Kind::fetching, i, paths.size(), name);
        await(source.downloadTree(paths.at(i), copy));
        report(callbacks, Event::Kind::sending, i, paths.size(), name);
        if (uploader.put(copy, name) && moving)
            removeRemote(source, paths.at(i), copy, callbacks.token);
        FileRemover::remove(copy);
        report(callbacks, Event::Kind::done, i + 1, paths.size());
    }
}

} // namespace RemoteTransfers
