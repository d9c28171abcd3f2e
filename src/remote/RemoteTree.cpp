#include "remote/RemoteTree.h"

#include "core/SystemError.h"
#include "remote/RemoteTransportError.h"

#include <QStringList>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace {

void requirePlainNames(const QList<RemoteEntry>& entries)
{
    for (const RemoteEntry& entry : entries)
        if (!RemoteTree::isPlainEntryName(entry.name))
            throw RemoteTransportError::unsafeEntryName(entry.name);
}

// The folder and any missing parents; an existing folder is fine.
void makeLocalFolder(const FileUrl& folder)
{
    const QByteArray& path = folder.nativePath();
    for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray prefix = slash < 0 ? path : path.left(slash);
        if (::mkdir(prefix.constData(), 0777) != 0 && errno != EEXIST)
            throw SystemError(errno, prefix);
        if (slash < 0)
            break;
    }
    struct stat status {};
    if (::stat(path.constData(), &status) != 0)
        throw SystemError(errno, path);
    if (!S_ISDIR(status.st_mode))
        throw SystemError(EEXIST, path);
}

QList<QByteArray> localChildNames(const FileUrl& folder)
{
    DIR* directory = ::opendir(folder.nativePath().constData());
    if (!directory)
        throw SystemError(errno, folder.nativePath());
    QList<QByteArray> names;
    errno = 0;
    while (const dirent* entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    const int error = errno;
    ::closedir(directory);
    if (error != 0)
        throw SystemError(error, folder.nativePath());
    return names;
}

} // namespace

namespace RemoteTree {

bool isPlainEntryName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

QString childPath(const QString& parent, const QString& name)
{
    const QString joined = parent.endsWith(u'/') ? parent + name : parent + u'/' + name;
    const bool absolute = joined.startsWith(u'/');
    QStringList kept;
    for (const QString& component : joined.split(u'/', Qt::SkipEmptyParts)) {
        if (component == u".")
            continue;
        if (component == u".." && !kept.isEmpty() && kept.last() != u"..")
            kept.removeLast();
        else if (component != u".." || !absolute)
            kept.append(component);
    }
    const QString standardised = kept.join(u'/');
    return absolute ? u'/' + standardised : standardised;
}

void download(RemoteTransport& transport, const QString& remotePath, const FileUrl& local,
              const CancellationToken& token)
{
    token.throwIfCancelled();
    if (!transport.probeDirectory(remotePath)) {
        transport.download(remotePath, local);
        return;
    }
    makeLocalFolder(local);
    const QList<RemoteEntry> entries = transport.list(remotePath);
    requirePlainNames(entries);
    for (const RemoteEntry& entry : entries)
        download(transport, childPath(remotePath, entry.name), local.appending(entry.name), token);
}

void upload(RemoteTransport& transport, const FileUrl& local, const QString& remotePath,
            const CancellationToken& token)
{
    token.throwIfCancelled();
    struct stat status {};
    if (::lstat(local.nativePath().constData(), &status) != 0)
        throw SystemError(errno, local.nativePath());
    if (!S_ISDIR(status.st_mode)) {
        transport.upload(local, remotePath);
        return;
    }
    try {
        transport.createDirectory(remotePath);
    } catch (const CancellationError&) {
        throw;
    } catch (const BrenvikError&) {
        // Most likely the folder exists already; a real problem shows on the uploads.
    }
    const QString prefix = remotePath.endsWith(u'/') ? remotePath : remotePath + u'/';
    for (const QByteArray& name : localChildNames(local))
        upload(transport, local.appending(name), prefix + QString::fromUtf8(name), token);
}

void remove(RemoteTransport& transport, const QString& path, const CancellationToken& token)
{
    token.throwIfCancelled();
    if (!transport.probeDirectory(path)) {
        transport.deleteEntry(path, false);
        return;
    }
    const QList<RemoteEntry> entries = transport.list(path);
    requirePlainNames(entries);
    for (const RemoteEntry& entry : entries)
        remove(transport, childPath(path, entry.name), token);
    transport.deleteEntry(path, true);
}

} // namespace RemoteTree
