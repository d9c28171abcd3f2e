#include "platform/FolderChain.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int parentFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Enough to look at a folder and go further up; needs no right to read it.
constexpr int ancestorFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Deeper than any path the kernel resolves; only a broken file system loops.
constexpr int maximumAncestors = 4096;

} // namespace

bool identityOf(int fd, EntryIdentity& identity)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return false;
    identity = {st.st_dev, st.st_ino};
    return true;
}

bool FolderChain::push(UniqueFd folder)
{
    EntryIdentity identity;
    if (!identityOf(folder.get(), identity))
        return false;
    m_levels.push_back({std::move(folder), identity});
    if (m_levels.size() > keptOpen)
        m_levels[m_levels.size() - 1 - keptOpen].fd.reset();
    return true;
}

bool FolderChain::pop()
{
    Level child = std::move(m_levels.back());
    m_levels.pop_back();
    if (m_levels.empty() || m_levels.back().fd.isValid())
        return true;
    UniqueFd parent(openat(child.fd.get(), "..", parentFlags));
    EntryIdentity identity;
    if (!parent.isValid() || !identityOf(parent.get(), identity))
        return false;
    if (identity != m_levels.back().identity) {
        errno = ESTALE;
        return false;
    }
    m_levels.back().fd = std::move(parent);
    return true;
}

bool FolderChain::contains(const EntryIdentity& identity) const
{
    for (const Level& level : m_levels)
        if (level.identity == identity)
            return true;
    return false;
}

bool liesIn(int folderFd, const EntryIdentity& identity)
{
    EntryIdentity current;
    if (!identityOf(folderFd, current))
        return false;
    UniqueFd held;
    int fd = folderFd;
    for (int step = 0; step < maximumAncestors; ++step) {
        if (current == identity)
            return true;
        UniqueFd parent(openat(fd, "..", ancestorFlags));
        EntryIdentity above;
        if (!parent.isValid() || !identityOf(parent.get(), above) || above == current)
            return false; // the root, or an ancestor we may not look at
        held = std::move(parent);
        fd = held.get();
        current = above;
    }
    return false;
}
