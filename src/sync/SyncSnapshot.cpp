#include "sync/SyncSnapshot.h"

#include "core/CancellationToken.h"
#include "core/SystemError.h"
#include "platform/UniqueFd.h"
#include "sync/SyncError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using Kind = SyncEntryState::Kind;

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr std::size_t listingBufferSize = 64 * 1024;

// The layout the kernel writes for getdents64.
struct KernelDirent {
    ino64_t inode;
    off64_t offset;
    unsigned short length;
    unsigned char type;
    char name[1];
};

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

Kind kindOf(mode_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFDIR: return Kind::folder;
    case S_IFREG: return Kind::file;
    case S_IFLNK: return Kind::link;
    default: return Kind::other;
    }
}

} // namespace

class SyncSnapshot::Walker {
public:
    Walker(SyncSnapshot& snapshot, const CancellationToken& token, QByteArray rootPath)
        : m_snapshot(snapshot), m_token(token), m_path(std::move(rootPath)), m_buffer(listingBufferSize)
    {
    }

    // Lists the folder open at `fd` into the entries of `folder` (an index into
    // the nodes, or none for the root), then walks its sub-folders.
    void walk(int fd, std::optional<std::uint32_t> folder, int depth)
    {
        const std::uint32_t first = std::uint32_t(m_snapshot.m_nodes.size());
        list(fd);
        readProperties(fd, first);
        std::vector<Node>& nodes = m_snapshot.m_nodes;
        const char* names = m_snapshot.m_names.data();
        std::sort(nodes.begin() + first, nodes.end(), [names](const Node& a, const Node& b) {
            const int order = std::memcmp(names + a.nameOffset, names + b.nameOffset, std::min(a.nameLength, b.nameLength));
            return order != 0 ? order < 0 : a.nameLength < b.nameLength;
        });
        const std::uint32_t end = std::uint32_t(nodes.size());
        Node& owner = folder ? nodes[*folder] : m_snapshot.m_root;
        owner.firstChild = first;
        owner.childCount = end - first;

        for (std::uint32_t i = first; i < end; ++i) {
            if (!nodes[i].state.isFolder())
                continue;
            const char* name = m_snapshot.m_names.data() + nodes[i].nameOffset;
            const UniqueFd child(openat(fd, name, folderFlags));
            if (!child.isValid())
                continue; // unreadable or gone: its contents count as absent
            const qsizetype mark = m_path.size();
            m_path += '/';
            m_path += name;
            if (depth + 1 >= maximumDepth)
                throw SyncError(SyncError::Reason::tooDeep, m_path);
            walk(child.get(), i, depth + 1);
            m_path.truncate(mark);
        }
    }

private:
    // Appends a node per entry; the kind comes from the listing where it tells it.
    void list(int fd)
    {
        for (;;) {
            const long got = syscall(SYS_getdents64, fd, m_buffer.data(), m_buffer.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return; // an error while listing ends this folder like its end would
            for (long at = 0; at < got;) {
                const auto* entry = reinterpret_cast<const KernelDirent*>(m_buffer.data() + at);
                at += entry->length;
                if (isDotOrDotDot(entry->name))
                    continue;
                appendNode(entry->name, entry->type);
            }
        }
    }

    void appendNode(const char* name, unsigned char type)
    {
        std::vector<char>& names = m_snapshot.m_names;
        const std::size_t length = std::strlen(name);
        Node node;
        node.nameOffset = std::uint32_t(names.size());
        node.nameLength = std::uint32_t(length);
        // A folder needs nothing but its kind; everything else is looked at closely.
        node.state.kind = type == DT_DIR ? Kind::folder : Kind::absent;
        names.insert(names.end(), name, name + length + 1); // kept NUL-terminated for the system calls
        m_snapshot.m_nodes.push_back(node);
    }

    void readProperties(int fd, std::uint32_t first)
    {
        std::vector<Node>& nodes = m_snapshot.m_nodes;
        std::uint32_t kept = first;
        for (std::uint32_t i = first; i < nodes.size(); ++i) {
            m_token.throwIfCancelled();
            Node node = nodes[i];
            if (!node.state.isFolder()) {
                const char* name = m_snapshot.m_names.data() + node.nameOffset;
                struct stat st;
                if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                    if (errno == ENOENT)
                        continue; // deleted since it was listed
                    throw SystemError(errno, m_path + '/' + name);
                }
                node.state.kind = kindOf(st.st_mode);
                if (!node.state.isFolder()) {
                    node.state.size = st.st_size;
                    node.state.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
                }
            }
            nodes[kept++] = node;
        }
        nodes.resize(kept);
    }

    SyncSnapshot& m_snapshot;
    const CancellationToken& m_token;
    QByteArray m_path; // of the folder being walked, for error messages
    std::vector<char> m_buffer;
};

SyncSnapshot SyncSnapshot::take(const QByteArray& root, const CancellationToken& token)
{
    // The root is the folder the user chose, and may well be reached through a link.
    const UniqueFd fd(::open(root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isValid())
        throw SystemError(errno, root);
    SyncSnapshot snapshot;
    snapshot.m_root.state.kind = Kind::folder;
    Walker(snapshot, token, root == "/" ? QByteArray() : root).walk(fd.get(), std::nullopt, 0);
    return snapshot;
}
