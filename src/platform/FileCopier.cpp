#include "platform/FileCopier.h"

#include "core/SystemError.h"
#include "platform/FileRemover.h"
#include "platform/UniqueFd.h"

#include <QScopeGuard>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// The folders the user named may well be reached through links.
constexpr int namedFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The kernel's fast paths report these when a file system pair cannot use them;
// the next slower way then does the work.
bool isUnsupported(int code)
{
    return code == EXDEV || code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == ENOTTY
        || code == EBADF;
}

// File systems without Unix permissions or owners (FAT, some network shares)
// refuse to take them; the copied data still counts.
bool isAttributeRefusal(int code)
{
    return code == EPERM || code == EOPNOTSUPP || code == ENOSYS;
}

// Errors of a data transfer that concern the writing side.
bool concernsTarget(int code)
{
    return code == ENOSPC || code == EDQUOT || code == EFBIG || code == EROFS;
}

void appendComponent(QByteArray& path, const char* name)
{
    path += '/';
    path += name;
}

} // namespace

FileCopier::FileCopier(Ownership ownership)
    : m_keepOwner(ownership == Ownership::keepSource), m_uid(geteuid()), m_gid(getegid())
{
}

void FileCopier::copy(const FileUrl& source, const FileUrl& target, const FileUrl& shownTarget)
{
    m_sourcePath = source.nativePath();
    m_targetPath = shownTarget.isEmpty() ? target.nativePath() : shownTarget.nativePath();
    m_topCreated = false;
    m_depth = 0;

    const UniqueFd sourceParent(::open(source.parent().nativePath().constData(), namedFolderFlags));
    if (!sourceParent.isValid())
        throw SystemError(errno, source.parent().nativePath());
    const UniqueFd targetParent(::open(target.parent().nativePath().constData(), namedFolderFlags));
    if (!targetParent.isValid())
        throw SystemError(errno, target.parent().nativePath());

    const QByteArray sourceName = source.nativeFileName();
    const QByteArray targetName = target.nativeFileName();
    struct stat st;
    if (fstatat(sourceParent.get(), sourceName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        failSource(errno);
    try {
        copyEntry(sourceParent.get(), sourceName.constData(), st, targetParent.get(), targetName.constData());
    } catch (...) {
        if (m_topCreated) {
            try {
                FileRemover::removeAt(targetParent.get(), targetName, target.nativePath());
            } catch (const SystemError&) {
                // The copy's own failure is the one to report.
            }
        }
        throw;
    }
}

void FileCopier::copyEntry(int sourceDir, const char* sourceName, const struct stat& st, int targetDir,
                           const char* targetName)
{
    switch (st.st_mode & S_IFMT) {
    case S_IFREG: return copyFile(sourceDir, sourceName, st, targetDir, targetName);
    case S_IFDIR: return copyFolder(sourceDir, sourceName, st, targetDir, targetName);
    case S_IFLNK: return copyLink(sourceDir, sourceName, st, targetDir, targetName);
    default: return copySpecial(st, targetDir, targetName);
    }
}

void FileCopier::copyFile(int sourceDir, const char* sourceName, const struct stat& st, int targetDir,
                          const char* targetName)
{
    // O_NONBLOCK: should the name have become a FIFO since it was looked at, opening
    // it must not wait for a writer.
    const UniqueFd in(openat(sourceDir, sourceName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in.isValid())
        failSource(errno);
    UniqueFd out(openat(targetDir, targetName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.isValid())
        failTarget(errno);
    created();
    copyData(in.get(), out.get(), st.st_size);
    const bool ownerTaken = takeSourceOwner(targetDir, targetName, out.get(), st);
    if (fchmod(out.get(), permittedMode(st, ownerTaken)) != 0 && !isAttributeRefusal(errno))
        failTarget(errno);
    applyTimes(targetDir, targetName, out.get(), st);
    if (::close(out.release()) != 0)
        failTarget(errno);
}

void FileCopier::copyData(int in, int out, off_t size)
{
    if (size > 0 && m_cloneWorks) {
        if (ioctl(out, FICLONE, in) == 0)
            return;
        m_cloneWorks = false;
    }
    off_t copied = 0;
    while (size > 0 && m_rangeCopyWorks && copied < size) {
        const ssize_t n = copy_file_range(in, nullptr, out, nullptr, size_t(size - copied), 0);
        if (n > 0) {
            copied += n;
        } else if (n == 0) {
            return; // the file has become shorter since it was looked at
        } else if (errno == EINTR) {
            continue;
        } else if (copied == 0 && isUnsupported(errno)) {
            m_rangeCopyWorks = false;
        } else {
            concernsTarget(errno) ? failTarget(errno) : failSource(errno);
        }
    }
    if (size == 0 || copied < size)
        copyByReadWrite(in, out); // continues at the current offsets up to the end
}

void FileCopier::copyByReadWrite(int in, int out)
{
    if (m_buffer.empty())
        m_buffer.resize(256 * 1024);
    for (;;) {
        const ssize_t got = ::read(in, m_buffer.data(), m_buffer.size());
        if (got == 0)
            return;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            failSource(errno);
        }
        for (ssize_t written = 0; written < got;) {
            const ssize_t n = ::write(out, m_buffer.data() + written, size_t(got - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                failTarget(errno);
            written += n;
        }
    }
}

void FileCopier::copyFolder(int sourceDir, const char* sourceName, const struct stat& st, int targetDir,
                            const char* targetName)
{
    UniqueFd in(openat(sourceDir, sourceName, folderFlags));
    if (!in.isValid())
        failSource(errno);
    if (mkdirat(targetDir, targetName, 0700) != 0)
        failTarget(errno);
    created();
    const UniqueFd out(openat(targetDir, targetName, folderFlags));
    if (!out.isValid())
        failTarget(errno);
    DIR* folder = fdopendir(in.get());
    if (!folder)
        failSource(errno);
    in.release();
    const auto closeFolder = qScopeGuard([folder] { closedir(folder); });

    ++m_depth;
    const qsizetype sourceMark = m_sourcePath.size();
    const qsizetype targetMark = m_targetPath.size();
    errno = 0;
    while (const dirent* entry = readdir(folder)) {
        if (!isDotOrDotDot(entry->d_name)) {
            appendComponent(m_sourcePath, entry->d_name);
            appendComponent(m_targetPath, entry->d_name);
            struct stat child;
            if (fstatat(dirfd(folder), entry->d_name, &child, AT_SYMLINK_NOFOLLOW) == 0)
                copyEntry(dirfd(folder), entry->d_name, child, out.get(), entry->d_name);
            else if (errno != ENOENT) // an entry deleted meanwhile is simply no longer part of the tree
                failSource(errno);
            m_sourcePath.truncate(sourceMark);
            m_targetPath.truncate(targetMark);
        }
        errno = 0;
    }
    if (errno != 0)
        failSource(errno);
    --m_depth;
    // Only now: the folder's own mode may forbid writing into it, and every entry
    // created inside has touched its modification time.
    const bool ownerTaken = takeSourceOwner(targetDir, targetName, out.get(), st);
    if (fchmod(out.get(), permittedMode(st, ownerTaken)) != 0 && !isAttributeRefusal(errno))
        failTarget(errno);
    applyTimes(targetDir, targetName, out.get(), st);
}

void FileCopier::copyLink(int sourceDir, const char* sourceName, const struct stat& st, int targetDir,
                          const char* targetName)
{
    // st_size is the length of the link text on most file systems, 0 on some.
    QByteArray text(qMax<qsizetype>(st.st_size, 255) + 1, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = readlinkat(sourceDir, sourceName, text.data(), size_t(text.size()));
        if (length < 0)
            failSource(errno);
        if (length < text.size()) {
            text.truncate(length);
            break;
        }
        text.resize(text.size() * 2);
    }
    if (symlinkat(text.constData(), targetDir, targetName) != 0)
        failTarget(errno);
    created();
    takeSourceOwner(targetDir, targetName, -1, st);
    applyTimes(targetDir, targetName, -1, st);
}

void FileCopier::copySpecial(const struct stat& st, int targetDir, const char* targetName)
{
    // FIFOs, sockets and devices are made anew from their type and device number;
    // opening one to read it could wait forever.
    if (mknodat(targetDir, targetName, (st.st_mode & S_IFMT) | 0600, st.st_rdev) != 0)
        failTarget(errno);
    created();
    const bool ownerTaken = takeSourceOwner(targetDir, targetName, -1, st);
    if (fchmodat(targetDir, targetName, permittedMode(st, ownerTaken), 0) != 0 && !isAttributeRefusal(errno))
        failTarget(errno);
    applyTimes(targetDir, targetName, -1, st);
}

// Returns whether the copy now has the source's owner and group. Changing them
// clears the set-ID bits, so the mode is set afterwards.
bool FileCopier::takeSourceOwner(int targetDir, const char* targetName, int fd, const struct stat& st)
{
    if (st.st_uid == m_uid && st.st_gid == m_gid)
        return true;
    if (!m_keepOwner)
        return false;
    const int result = fd >= 0 ? fchown(fd, st.st_uid, st.st_gid)
                               : fchownat(targetDir, targetName, st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
    if (result == 0)
        return true;
    if (!isAttributeRefusal(errno))
        failTarget(errno);
    return false;
}

mode_t FileCopier::permittedMode(const struct stat& st, bool ownerTaken) const
{
    mode_t mode = st.st_mode & 07777;
    if (!ownerTaken) {
        if (st.st_uid != m_uid)
            mode &= ~S_ISUID;
        if (st.st_gid != m_gid)
            mode &= ~S_ISGID;
    }
    return mode;
}

void FileCopier::applyTimes(int targetDir, const char* targetName, int fd, const struct stat& st)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    const int result = fd >= 0 ? futimens(fd, times) : utimensat(targetDir, targetName, times, AT_SYMLINK_NOFOLLOW);
    if (result != 0 && !isAttributeRefusal(errno))
        failTarget(errno);
}

void FileCopier::created()
{
    if (m_depth == 0)
        m_topCreated = true;
}

void FileCopier::failSource(int code) const
{
    throw SystemError(code, m_sourcePath);
}

void FileCopier::failTarget(int code) const
{
    throw SystemError(code, m_targetPath);
}
