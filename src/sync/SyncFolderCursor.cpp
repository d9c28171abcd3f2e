#include "sync/SyncFolderCursor.h"

#include "core/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

SyncFolderCursor::SyncFolderCursor(QByteArray root)
    : m_root(std::move(root)), m_rootFd(::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (!m_rootFd.isValid())
        throw SystemError(errno, m_root);
}

int SyncFolderCursor::open(const QByteArray& relative, bool create)
{
    const QList<QByteArray> names = relative.isEmpty() ? QList<QByteArray>() : relative.split('/');
    std::size_t shared = 0;
    while (shared < m_chain.size() && shared < std::size_t(names.size()) && m_chain[shared].name == names[shared])
        ++shared;
    m_chain.resize(shared);
    for (std::size_t i = shared; i < std::size_t(names.size()); ++i) {
        const QByteArray& name = names[qsizetype(i)];
        const auto path = [&] { return pathOf(names.mid(0, qsizetype(i) + 1).join('/')); };
        const int parent = i == 0 ? m_rootFd.get() : m_chain.back().fd.get();
        UniqueFd fd(openat(parent, name.constData(), folderFlags));
        if (!fd.isValid() && errno == ENOENT && create) {
            if (mkdirat(parent, name.constData(), 0777) != 0 && errno != EEXIST) {
                const int code = errno;
                throw SystemError(code, path());
            }
            fd = UniqueFd(openat(parent, name.constData(), folderFlags));
        }
        if (!fd.isValid()) {
            // A link where a folder belongs reads ELOOP; what the user sees is that it is no folder.
            const int code = errno == ELOOP ? ENOTDIR : errno;
            throw SystemError(code, path());
        }
        m_chain.push_back({name, std::move(fd)});
    }
    return m_chain.empty() ? m_rootFd.get() : m_chain.back().fd.get();
}

QByteArray SyncFolderCursor::pathOf(const QByteArray& relative) const
{
    return relative.isEmpty() ? m_root : (m_root.endsWith('/') ? m_root : m_root + '/') + relative;
}
