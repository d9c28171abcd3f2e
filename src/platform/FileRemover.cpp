#include "platform/FileRemover.h"

#include "core/SystemError.h"
#include "platform/FolderChain.h"
#include "platform/FolderEntries.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

class Removal {
public:
    Removal(QByteArray folderPath, FileRemover::Owner owner, const CopiedEntries* only)
        : m_path(std::move(folderPath)), m_owner(owner), m_only(only)
    {
    }

    // Returns whether everything went that was to go; throws the first error.
    bool run(int folderFd, const QByteArray& name)
    {
        UniqueFd parent(fcntl(folderFd, F_DUPFD_CLOEXEC, 0));
        if (!parent.isValid() || !m_folders.push(std::move(parent)))
            throw SystemError(errno, m_path);
        removeChild(name.constData(), DT_UNKNOWN);
        if (m_firstError)
            throw *m_firstError;
        return !m_leftOver;
    }

private:
    void removeChild(const char* name, unsigned char type)
    {
        if (m_only && !isCopied(name, type))
            return;
        if (type != DT_DIR) {
            if (unlinkat(m_folders.top(), name, 0) == 0 || errno == ENOENT)
                return;
            if (errno != EISDIR)
                return note(errno, name);
        }
        UniqueFd child(openat(m_folders.top(), name, folderFlags));
        if (!child.isValid())
            return errno == ENOENT ? void() : note(errno, name);
        if (m_owner == FileRemover::Owner::ourCopy)
            openUp(child.get());
        const qsizetype mark = m_path.size();
        m_path += '/';
        m_path += name;
        if (!m_folders.push(std::move(child))) {
            note(errno, nullptr);
            m_path.truncate(mark);
            return;
        }
        FolderEntries entries;
        if (entries.read(m_folders.top())) {
            for (std::size_t i = 0; i < entries.size(); ++i)
                removeChild(entries.name(i), entries.type(i));
        } else {
            note(errno, nullptr);
        }
        if (!m_folders.pop())
            throw SystemError(errno, m_path);
        m_path.truncate(mark);
        if (unlinkat(m_folders.top(), name, AT_REMOVEDIR) == 0 || errno == ENOENT)
            return;
        if (m_only && (errno == ENOTEMPTY || errno == EEXIST))
            m_leftOver = true; // what was not copied keeps its folder
        else
            note(errno, name);
    }

    bool isCopied(const char* name, unsigned char& type)
    {
        struct stat st;
        if (fstatat(m_folders.top(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                note(errno, name);
            return false;
        }
        const auto found = m_only->find(EntryIdentity::of(st));
        if (found == m_only->end() || !found->second.matches(st)) {
            m_leftOver = true;
            return false;
        }
        type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        return true;
    }

    static void openUp(int folderFd)
    {
        struct stat st;
        if (fstat(folderFd, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU)
            fchmod(folderFd, (st.st_mode & 07777) | S_IRWXU); // a folder of someone else's stays as it is
    }

    void note(int code, const char* name)
    {
        if (!m_firstError)
            m_firstError.emplace(code, name ? m_path + '/' + name : m_path);
    }

    QByteArray m_path; // of the folder being worked in
    FileRemover::Owner m_owner;
    const CopiedEntries* m_only;
    FolderChain m_folders;
    std::optional<SystemError> m_firstError;
    bool m_leftOver = false;
};

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash > 0 ? path.left(slash) : QByteArray("/");
}

UniqueFd openParent(const FileUrl& url)
{
    if (url.nativeFileName().isEmpty())
        throw SystemError(EINVAL, url.nativePath());
    return UniqueFd(::open(url.parent().nativePath().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

} // namespace

namespace FileRemover {

void remove(const FileUrl& url, Owner owner)
{
    const UniqueFd parent = openParent(url);
    if (!parent.isValid()) {
        if (errno == ENOENT)
            return;
        throw SystemError(errno, url.parent().nativePath());
    }
    removeAt(parent.get(), url.nativeFileName(), url.nativePath(), owner);
}

void removeAt(int folderFd, const QByteArray& name, const QByteArray& path, Owner owner)
{
    Removal(folderOf(path), owner, nullptr).run(folderFd, name);
}

bool removeCopied(const FileUrl& url, const CopiedEntries& copied)
{
    const UniqueFd parent = openParent(url);
    if (!parent.isValid())
        throw SystemError(errno, url.parent().nativePath());
    return Removal(url.parent().nativePath(), Owner::user, &copied).run(parent.get(), url.nativeFileName());
}

} // namespace FileRemover
