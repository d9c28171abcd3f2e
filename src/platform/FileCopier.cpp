#include "platform/FileCopier.h"

#include "core/SystemError.h"
#include "platform/ExtendedAttributes.h"
#include "platform/FileRemover.h"
#include "platform/FileWriting.h"
#include "platform/FolderEntries.h"
#include "platform/LocalFileError.h"
#include "platform/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// The folders the user named may well be reached through links.
constexpr int namedFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// Data moves in blocks of this size; cancelling waits for one block at most.
constexpr off_t blockSize = 8 << 20;
constexpr std::size_t bufferSize = 1 << 20;

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

} // namespace

FileCopier::FileCopier(CancellationToken token)
    : m_token(std::move(token)), m_uid(geteuid()), m_gid(getegid()), m_creationMask(creationMask())
{
}

void FileCopier::copy(const FileUrl& source, const FileUrl& target, Purpose purpose, const FileUrl& shownTarget)
{
    m_purpose = purpose;
    m_copied.clear();
    m_topCreated = false;
    m_topIdentity = {};
    m_sourceRoot = source.nativePath();
    m_shownRoot = shownTarget.isEmpty() ? target.nativePath() : shownTarget.nativePath();
    m_relative.clear();
    m_roots.push_back(target.nativePath());

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
        m_sources.clear();
        m_targets.clear();
        m_roots.back().clear();
        if (m_topCreated) {
            try {
                FileRemover::removeAt(targetParent.get(), targetName, target.nativePath(), FileRemover::Owner::ourCopy);
            } catch (const SystemError&) {
                // The copy's own failure is the one to report.
            }
        }
        throw;
    }
}

void FileCopier::copyMovedTo(const FileUrl& location)
{
    if (!m_roots.empty() && !m_roots.back().isEmpty())
        m_roots.back() = location.nativePath();
}

void FileCopier::copyEntry(int sourceDir, const char* name, const struct stat& st, int targetDir, const char* targetName)
{
    m_token.throwIfCancelled();
    if (!S_ISDIR(st.st_mode) && !m_linkOrigins.empty() && linkToEarlierCopy(st, targetDir, targetName))
        return;
    switch (st.st_mode & S_IFMT) {
    case S_IFREG: copyFile(sourceDir, name, st, targetDir, targetName); break;
    case S_IFDIR: copyFolder(sourceDir, name, st, targetDir, targetName); break;
    case S_IFLNK: copyLink(sourceDir, name, st, targetDir, targetName); break;
    default: copySpecial(st, targetDir, targetName); break;
    }
    copied(st);
}

// A second name of an entry this job has copied becomes a second name of its copy.
bool FileCopier::linkToEarlierCopy(const struct stat& st, int targetDir, const char* targetName)
{
    const auto found = m_linkOrigins.find(EntryIdentity::of(st));
    if (found == m_linkOrigins.end() || !found->second.stamp.matches(st))
        return false;
    const QByteArray& root = m_roots[found->second.root];
    if (root.isEmpty())
        return false;
    const QByteArray origin = root + found->second.relativePath;
    // Where the system refuses (another file system, too many links), a copy of its own does.
    if (linkat(AT_FDCWD, origin.constData(), targetDir, targetName, 0) != 0)
        return false;
    created();
    copied(st);
    return true;
}

void FileCopier::copied(const struct stat& st)
{
    if (!S_ISDIR(st.st_mode) && st.st_nlink > 1)
        m_linkOrigins.insert_or_assign(EntryIdentity::of(st),
                                       LinkOrigin{m_roots.size() - 1, m_relative, EntryStamp::of(st)});
    if (m_purpose == Purpose::move)
        m_copied.insert_or_assign(EntryIdentity::of(st), EntryStamp::of(st));
}

void FileCopier::copyFile(int sourceDir, const char* name, const struct stat& st, int targetDir, const char* targetName)
{
    // O_NONBLOCK: should the name have become a FIFO since it was looked at, opening
    // it must not wait for a writer.
    const UniqueFd in(openat(sourceDir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in.isValid())
        failSource(errno);
    writeFile(in.get(), st, targetDir, targetName);
}

void FileCopier::copyOpenFile(int in, const struct stat& st, int targetDir, const char* targetName,
                              const QByteArray& shownSource, const QByteArray& shownTarget)
{
    m_purpose = Purpose::copy;
    m_sourceRoot = shownSource;
    m_shownRoot = shownTarget;
    m_relative.clear();
    writeFile(in, st, targetDir, targetName);
}

void FileCopier::writeFile(int in, const struct stat& st, int targetDir, const char* targetName)
{
    // Created with its final mode where the creation mask leaves it whole, which saves a chmod per file.
    const mode_t mode = permittedMode(st, st.st_uid == m_uid && st.st_gid == m_gid);
    const bool modeIsFinal = m_creationMask >= 0 && (mode & (mode_t(m_creationMask) | 07000)) == 0;
    UniqueFd out(openat(targetDir, targetName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        modeIsFinal ? mode : 0600));
    if (!out.isValid())
        failTarget(errno);
    created();
    copyData(in, out.get(), st);
    copyAttributes(in, out.get(), st, modeIsFinal);
    if (::close(out.release()) != 0)
        failTarget(errno);
}

void FileCopier::copyData(int in, int out, const struct stat& st)
{
    const off_t size = st.st_size;
    if (size == 0)
        return copyStream(in, out); // files of the kernel's own file systems report no size
    if (m_cloneWorks) {
        m_token.throwIfCancelled();
        if (ioctl(out, FICLONE, in) == 0)
            return;
        m_cloneWorks = false;
    }
    if (off_t(st.st_blocks) * 512 < size && copyHoles(in, out, size))
        return;
    copyRange(in, out, 0, size);
}

// Copies only the parts that hold data and leaves the holes between them
// holes. False when the file system cannot tell where they are.
bool FileCopier::copyHoles(int in, int out, off_t size)
{
    for (off_t data = 0; data < size;) {
        m_token.throwIfCancelled();
        const off_t from = data;
        data = lseek(in, from, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // nothing but a hole up to the end
        if (data < 0 && from == 0 && isUnsupported(errno))
            return false;
        if (data < 0)
            failSource(errno);
        const off_t hole = lseek(in, data, SEEK_HOLE);
        if (hole < 0)
            failSource(errno);
        copyRange(in, out, data, std::min(hole, size) - data);
        data = hole;
    }
    if (ftruncate(out, size) != 0)
        failTarget(errno);
    return true;
}

void FileCopier::copyRange(int in, int out, off_t offset, off_t length)
{
    off_t inOffset = offset;
    off_t outOffset = offset;
    const off_t end = offset + length;
    while (inOffset < end) {
        m_token.throwIfCancelled();
        const std::size_t chunk = std::size_t(std::min(end - inOffset, blockSize));
        if (m_rangeCopyWorks) {
            const ssize_t n = copy_file_range(in, &inOffset, out, &outOffset, chunk, 0);
            if (n > 0)
                continue;
            if (n == 0)
                return; // the file has become shorter since it was looked at
            if (errno == EINTR)
                continue;
            if (!isUnsupported(errno))
                concernsTarget(errno) ? failTarget(errno) : failSource(errno);
            m_rangeCopyWorks = false;
        }
        if (m_buffer.empty())
            m_buffer.resize(bufferSize);
        const ssize_t got = pread(in, m_buffer.data(), std::min(chunk, m_buffer.size()), inOffset);
        if (got == 0)
            return;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failSource(errno);
        for (ssize_t written = 0; written < got;) {
            const ssize_t n = pwrite(out, m_buffer.data() + written, std::size_t(got - written), outOffset);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                failTarget(errno);
            written += n;
            outOffset += n;
        }
        inOffset += got;
    }
}

void FileCopier::copyStream(int in, int out)
{
    if (m_buffer.empty())
        m_buffer.resize(bufferSize);
    for (;;) {
        m_token.throwIfCancelled();
        const ssize_t got = ::read(in, m_buffer.data(), m_buffer.size());
        if (got == 0)
            return;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failSource(errno);
        if (!writeAll(out, QByteArrayView(m_buffer.data(), got)))
            failTarget(errno);
    }
}

void FileCopier::copyFolder(int sourceDir, const char* name, const struct stat& st, int targetDir, const char* targetName)
{
    UniqueFd in(openat(sourceDir, name, folderFlags));
    EntryIdentity identity;
    if (!in.isValid() || !identityOf(in.get(), identity))
        failSource(errno);
    // Met again below itself, through a bind mount, or the copy being made: the walk would never end.
    if (m_sources.contains(identity) || (!m_targets.isEmpty() && identity == m_topIdentity))
        throw LocalFileError(LocalFileError::Reason::folderCopiedIntoItself, m_sourceRoot + m_relative);
    if (mkdirat(targetDir, targetName, 0700) != 0)
        failTarget(errno);
    created();
    UniqueFd out(openat(targetDir, targetName, folderFlags));
    if (!out.isValid())
        failTarget(errno);
    if (!m_sources.push(std::move(in)))
        failSource(errno);
    if (!m_targets.push(std::move(out)))
        failTarget(errno);
    if (m_targets.size() == 1)
        m_topIdentity = m_targets.topIdentity();

    copyChildren();
    // Only now: the folder's own mode may forbid writing into it, and every entry
    // created inside has touched its modification time.
    copyAttributes(m_sources.top(), m_targets.top(), st);
    if (!m_sources.pop())
        failSource(errno);
    if (!m_targets.pop())
        failTarget(errno);
}

void FileCopier::copyChildren()
{
    FolderEntries entries;
    if (!entries.read(m_sources.top()))
        failSource(errno);
    const qsizetype mark = m_relative.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const char* name = entries.name(i);
        m_relative += '/';
        m_relative += name;
        struct stat child;
        if (fstatat(m_sources.top(), name, &child, AT_SYMLINK_NOFOLLOW) == 0)
            copyEntry(m_sources.top(), name, child, m_targets.top(), name);
        else if (errno != ENOENT) // an entry deleted meanwhile is simply no longer part of the tree
            failSource(errno);
        m_relative.truncate(mark);
    }
}

void FileCopier::copyLink(int sourceDir, const char* name, const struct stat& st, int targetDir, const char* targetName)
{
    // st_size is the length of the link text on most file systems, 0 on some.
    QByteArray text(qMax<qsizetype>(st.st_size, 255) + 1, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = readlinkat(sourceDir, name, text.data(), std::size_t(text.size()));
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

void FileCopier::copyAttributes(int sourceFd, int targetFd, const struct stat& st, bool modeIsFinal)
{
    const bool ownerTaken = takeSourceOwner(-1, nullptr, targetFd, st);
    ExtendedAttributes::Outcome outcome;
    if (!ExtendedAttributes::copy(sourceFd, targetFd, outcome))
        failTarget(errno);
    if (outcome == ExtendedAttributes::Outcome::notStorable)
        ++m_attributesNotKept;
    // After the ACL: the mode's group bits are the ACL's mask, as on the source.
    // A new owner clears the set-ID bits, so the mode is set again then.
    const bool ownerChanged = st.st_uid != m_uid || st.st_gid != m_gid;
    if ((!modeIsFinal || ownerChanged) && fchmod(targetFd, permittedMode(st, ownerTaken)) != 0
        && !isAttributeRefusal(errno))
        failTarget(errno);
    applyTimes(-1, nullptr, targetFd, st);
}

// Returns whether the copy now has the source's owner and group. Changing them
// clears the set-ID bits, so the mode is set afterwards.
bool FileCopier::takeSourceOwner(int targetDir, const char* targetName, int fd, const struct stat& st)
{
    if (st.st_uid == m_uid && st.st_gid == m_gid)
        return true;
    if (m_purpose != Purpose::move)
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
    if (m_targets.isEmpty())
        m_topCreated = true;
}

void FileCopier::failSource(int code) const
{
    throw SystemError(code, m_sourceRoot + m_relative);
}

void FileCopier::failTarget(int code) const
{
    throw SystemError(code, m_shownRoot + m_relative);
}
