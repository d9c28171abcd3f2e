#include "remote/RemoteTree.h"

#include "core/SystemError.h"
#include "remote/RemoteTransportError.h"

#include <QDir>
#include <QSet>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace {

using RemoteTree::maximumDepth;

// Checked before anything of the folder is touched.
void requireSafeListing(const QString& folder, const QList<RemoteEntry>& entries)
{
    QSet<QString> seen;
    for (const RemoteEntry& entry : entries) {
        if (!RemoteTree::isPlainEntryName(entry.name) || seen.contains(entry.name))
            throw RemoteTransportError::unsafeEntryName(entry.name);
        if (!entry.typeKnown)
            throw RemoteTransportError::untypedListing(folder);
        seen.insert(entry.name);
    }
}

// The folder and any missing parents; an existing folder is fine.
void makeLocalFolder(const FileUrl& folder)
{
    const QByteArray& path = folder.nativePath();
    const bool made = QDir().mkpath(folder.path());
    const int failure = errno; // of the step that failed
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        throw SystemError(made ? errno : failure, path);
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

QString parentPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// The type of the entry a tree operation starts from, read from its parent's
// listing: a change of folder would follow a link. A folder claim is checked
// against the exact listing, where no name can forge another entry's line.
RemoteEntry startingEntry(RemoteTransport& transport, const QString& path)
{
    RemoteEntry entry;
    entry.name = path.mid(path.lastIndexOf(u'/') + 1);
    entry.isDirectory = path.isEmpty() || path == u"/";
    if (entry.isDirectory)
        return entry;
    const QString parent = parentPath(path);
    const auto find = [&](const QList<RemoteEntry>& entries) -> std::optional<RemoteEntry> {
        for (const RemoteEntry& listed : entries)
            if (listed.name == entry.name && listed.typeKnown)
                return listed;
        return std::nullopt;
    };
    std::optional<RemoteEntry> listed = find(transport.list(parent));
    // Twice: the two listings of an exact one also differ when the folder
    // changed between them.
    for (int attempt = 0; listed && listed->isDirectory && attempt < 2; ++attempt) {
        try {
            listed = find(transport.listExactly(parent));
            break;
        } catch (const RemoteTransportError& error) {
            if (error.kind() != RemoteTransportError::Kind::unreadableNames)
                throw;
            if (attempt == 1)
                listed.reset();
        }
    }
    if (listed)
        return *listed;
    // Not in a typed listing (hidden, or the parent cannot be read): only what
    // is certainly no folder is worked on.
    if (transport.probeDirectory(path))
        throw RemoteTransportError::untypedListing(path);
    return entry;
}

class Walk {
public:
    Walk(RemoteTransport& transport, const CancellationToken& token, RemoteTransferLog* log,
         RemoteTree::FileUpload send = {})
        : m_transport(transport), m_token(token), m_log(log), m_send(std::move(send))
    {
    }

    // Everything else is done; what was left out ends the operation.
    void finish() const
    {
        if (!m_leftOut.isEmpty())
            throw RemoteTransportError::linksLeftOut(m_leftOut);
    }

    void download(const RemoteEntry& entry, const QString& remotePath, const FileUrl& local, int depth)
    {
        m_token.throwIfCancelled();
        if (!entry.isDirectory || entry.isLink) {
            if (isFileToFetch(entry, remotePath))
                fetch({{remotePath, local}});
            return;
        }
        if (depth > maximumDepth)
            throw RemoteTransportError::tooDeep(remotePath);
        makeLocalFolder(local);
        const QList<RemoteEntry> entries = m_transport.listExactly(remotePath);
        requireSafeListing(remotePath, entries);
        const qsizetype leftOutBefore = m_leftOut.size();
        // The folder's files go together: a transport may fetch them through one connection.
        QList<FileDownload> files;
        for (const RemoteEntry& child : entries) {
            const QString childPath = RemoteTree::childPath(remotePath, child.name);
            if (child.isDirectory && !child.isLink) {
                download(child, childPath, local.appending(child.name), depth + 1);
                continue;
            }
            m_token.throwIfCancelled();
            if (isFileToFetch(child, childPath))
                files.append({childPath, local.appending(child.name)});
        }
        fetch(files);
        if (m_leftOut.size() == leftOutBefore)
            logged(&RemoteTransferLog::folders, remotePath);
    }

    void upload(const FileUrl& local, const QString& remotePath, int depth)
    {
        m_token.throwIfCancelled();
        struct stat status {};
        if (::lstat(local.nativePath().constData(), &status) != 0)
            throw SystemError(errno, local.nativePath());
        if (S_ISREG(status.st_mode)) {
            if (m_send)
                m_send(m_transport, local, remotePath);
            else
                m_transport.upload(local, remotePath);
            logged(&RemoteTransferLog::files, local.path());
            return;
        }
        if (!S_ISDIR(status.st_mode)) {
            // A link (it could point anywhere, ~/.ssh say), a FIFO, a device.
            m_leftOut.append(local.path());
            return;
        }
        if (depth > maximumDepth)
            throw RemoteTransportError::tooDeep(local.path());
        QList<std::pair<QByteArray, QString>> children;
        for (const QByteArray& name : localChildNames(local)) {
            const std::optional<QString> text = RemoteTree::transferableName(name);
            if (!text)
                throw RemoteTransportError::unusableName(name);
            children.append({name, *text});
        }
        try {
            m_transport.createDirectory(remotePath);
        } catch (const CancellationError&) {
            throw;
        } catch (const BrenvikError&) {
            // Most likely the folder exists already; a real problem shows on the uploads.
        }
        const QString prefix = remotePath.endsWith(u'/') ? remotePath : remotePath + u'/';
        const qsizetype leftOutBefore = m_leftOut.size();
        for (const auto& [name, text] : children)
            upload(local.appending(name), prefix + text, depth + 1);
        if (m_leftOut.size() == leftOutBefore)
            logged(&RemoteTransferLog::folders, local.path());
    }

    void remove(const RemoteEntry& entry, const QString& path, int depth)
    {
        m_token.throwIfCancelled();
        if (!entry.isDirectory || entry.isLink) {
            m_transport.deleteEntry(path, false);
            return;
        }
        if (depth > maximumDepth)
            throw RemoteTransportError::tooDeep(path);
        const QList<RemoteEntry> entries = m_transport.listExactly(path);
        requireSafeListing(path, entries);
        for (const RemoteEntry& child : entries)
            remove(child, RemoteTree::childPath(path, child.name), depth + 1);
        m_token.throwIfCancelled();
        m_transport.deleteEntry(path, true);
    }

private:
    // Files and links to files; a link to a folder is left out.
    bool isFileToFetch(const RemoteEntry& entry, const QString& remotePath)
    {
        if (!entry.isLink || !m_transport.probeDirectory(remotePath))
            return true;
        m_leftOut.append(remotePath);
        return false;
    }

    void fetch(const QList<FileDownload>& files)
    {
        if (files.isEmpty())
            return;
        m_token.throwIfCancelled();
        m_transport.downloadFiles(files, [&](qsizetype i) { logged(&RemoteTransferLog::files, files[i].remotePath); });
    }

    void logged(QStringList RemoteTransferLog::*list, const QString& path)
    {
        if (m_log)
            (m_log->*list).append(path);
    }

    RemoteTransport& m_transport;
    const CancellationToken& m_token;
    RemoteTransferLog* m_log;
    RemoteTree::FileUpload m_send;
    QStringList m_leftOut;
};

} // namespace

namespace RemoteTree {

bool isPlainEntryName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

std::optional<QString> transferableName(const QByteArray& name)
{
    if (name.contains('\n') || name.contains('\r') || name.contains('\0'))
        return std::nullopt;
    QString text = QString::fromUtf8(name);
    if (text.toUtf8() != name)
        return std::nullopt;
    return text;
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
              const CancellationToken& token, RemoteTransferLog* log)
{
    token.throwIfCancelled();
    Walk walk(transport, token, log);
    walk.download(startingEntry(transport, remotePath), remotePath, local, 0);
    walk.finish();
}

void upload(RemoteTransport& transport, const FileUrl& local, const QString& remotePath,
            const CancellationToken& token, RemoteTransferLog* log, const FileUpload& send)
{
    if (!transferableName(local.nativeFileName()))
        throw RemoteTransportError::unusableName(local.nativeFileName());
    Walk walk(transport, token, log, send);
    walk.upload(local, remotePath, 0);
    walk.finish();
}

void remove(RemoteTransport& transport, const QString& path, const CancellationToken& token)
{
    token.throwIfCancelled();
    Walk(transport, token, nullptr).remove(startingEntry(transport, path), path, 0);
}

} // namespace RemoteTree
