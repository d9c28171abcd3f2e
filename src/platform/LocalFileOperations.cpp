#include "platform/LocalFileOperations.h"

#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "platform/FileCopier.h"
#include "platform/FileRemover.h"
#include "platform/FolderChain.h"
#include "platform/LocalFileError.h"
#include "platform/RealPath.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace LocalFileOperations {
namespace {

std::optional<struct stat> statIfPresent(const FileUrl& url)
{
    struct stat st;
    if (lstat(url.nativePath().constData(), &st) == 0)
        return st;
    if (errno == ENOENT)
        return std::nullopt;
    throw SystemError(errno, url.nativePath());
}

// Opened only to be looked at and walked up from: needs no right to read it.
UniqueFd openFolder(const FileUrl& folder)
{
    UniqueFd fd(::open(folder.nativePath().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isValid())
        throw SystemError(errno, folder.nativePath());
    return fd;
}

// Whether replacing `target` would destroy the source: the same entry under
// another name, the entry a link source leads to, or a folder the source
// (followed through its links) lies in.
bool isSameObject(const FileUrl& source, const struct stat& sourceStat, const struct stat& targetStat)
{
    const EntryIdentity target = EntryIdentity::of(targetStat);
    if (EntryIdentity::of(sourceStat) == target)
        return true;
    QByteArray resolved;
    try {
        resolved = realPath(source.nativePath());
    } catch (const SystemError&) {
        return false; // a dangling link leads nowhere
    }
    struct stat followed;
    if (stat(resolved.constData(), &followed) == 0 && EntryIdentity::of(followed) == target)
        return true;
    if (!S_ISDIR(targetStat.st_mode))
        return false;
    try {
        return liesIn(openFolder(FileUrl::fromNativePath(resolved).parent()).get(), target);
    } catch (const SystemError&) {
        return false;
    }
}

FileUrl stagingUrl(const FileUrl& folder)
{
    return folder.appending(FileSystemCore::temporaryName());
}

bool isUnsupportedRenameFlag(int code)
{
    return code == EINVAL || code == ENOSYS || code == EOPNOTSUPP;
}

// A rename that never replaces what is at `to`. Errors name `reportedPath`
// (the entry the user knows), or `to` when that name is taken.
void renameNoReplace(const FileUrl& from, const FileUrl& to, const QByteArray& reportedPath)
{
    const char* fromPath = from.nativePath().constData();
    const char* toPath = to.nativePath().constData();
    if (renameat2(AT_FDCWD, fromPath, AT_FDCWD, toPath, RENAME_NOREPLACE) == 0)
        return;
    if (isUnsupportedRenameFlag(errno)) {
        // File systems that cannot refuse atomically: look before renaming.
        if (statIfPresent(to))
            throw SystemError(EEXIST, to.nativePath());
        if (::rename(fromPath, toPath) == 0)
            return;
    }
    throw SystemError(errno, errno == EEXIST ? to.nativePath() : reportedPath);
}

void removeQuietly(const FileUrl& url, FileRemover::Owner owner)
{
    try {
        FileRemover::remove(url, owner);
    } catch (const SystemError&) {
        // Only called while another failure is being reported.
    }
}

void checkPreconditions(const FileUrl& source, const FileUrl& target, AtTarget& atTarget, bool isMove)
{
    const std::optional<struct stat> sourceStat = statIfPresent(source);
    if (!sourceStat)
        throw SystemError(ENOENT, source.nativePath());
    const UniqueFd targetFolder = openFolder(target.parent());
    if (S_ISDIR(sourceStat->st_mode) && liesIn(targetFolder.get(), EntryIdentity::of(*sourceStat)))
        throw LocalFileError(isMove ? LocalFileError::Reason::folderMovedIntoItself
                                    : LocalFileError::Reason::folderCopiedIntoItself,
                             source.nativePath());
    const std::optional<struct stat> targetStat = statIfPresent(target);
    if (!targetStat) {
        atTarget = AtTarget::mustBeFree;
        return;
    }
    if (atTarget == AtTarget::mustBeFree)
        throw SystemError(EEXIST, target.nativePath());
    if (isSameObject(source, *sourceStat, *targetStat))
        throw LocalFileError(LocalFileError::Reason::sameEntry, target.nativePath());
}

// Puts the complete entry `staged` (a sibling of `target`) at `target`. Returns
// where a replaced entry now lies, for the caller to remove, or an empty url.
FileUrl place(const FileUrl& staged, const FileUrl& target, AtTarget atTarget)
{
    if (atTarget == AtTarget::mustBeFree) {
        renameNoReplace(staged, target, target.nativePath());
        return {};
    }
    if (renameat2(AT_FDCWD, staged.nativePath().constData(), AT_FDCWD, target.nativePath().constData(),
                  RENAME_EXCHANGE)
        == 0)
        return staged;
    if (errno == ENOENT) { // the old entry went away meanwhile
        renameNoReplace(staged, target, target.nativePath());
        return {};
    }
    if (!isUnsupportedRenameFlag(errno))
        throw SystemError(errno, target.nativePath());
    // No atomic exchange here: set the old entry aside, and back if the new one cannot take its place.
    const FileUrl aside = stagingUrl(target.parent());
    renameNoReplace(target, aside, target.nativePath());
    try {
        renameNoReplace(staged, target, target.nativePath());
    } catch (...) {
        ::rename(aside.nativePath().constData(), target.nativePath().constData());
        throw;
    }
    return aside;
}

void removeReplaced(const FileUrl& old, const FileUrl& target)
{
    if (old.isEmpty())
        return;
    try {
        FileRemover::remove(old);
    } catch (const SystemError& error) {
        throw LocalFileError(LocalFileError::Reason::oldTargetNotRemoved, target.nativePath(), error.description());
    }
}

// Copies to a staging name and puts the copy in place; returns the replaced entry's url.
FileUrl copyAndPlace(const FileUrl& source, const FileUrl& target, AtTarget atTarget, FileCopier& copier,
                     FileCopier::Purpose purpose)
{
    const FileUrl staged = stagingUrl(target.parent());
    copier.copy(source, staged, purpose, target);
    FileUrl old;
    try {
        old = place(staged, target, atTarget);
    } catch (...) {
        removeQuietly(staged, FileRemover::Owner::ourCopy);
        throw;
    }
    copier.copyMovedTo(target);
    return old;
}

void moveAcrossFileSystems(const FileUrl& source, const FileUrl& target, AtTarget atTarget, FileCopier& copier)
{
    // Copying everything only to find that the source cannot go would leave the user with two.
    if (faccessat(AT_FDCWD, source.parent().nativePath().constData(), W_OK | X_OK, AT_EACCESS) != 0)
        throw SystemError(errno, source.nativePath());
    const FileUrl old = copyAndPlace(source, target, atTarget, copier, FileCopier::Purpose::move);
    std::optional<LocalFileError> firstError;
    try {
        if (!FileRemover::removeCopied(source, copier.copiedEntries()))
            firstError.emplace(LocalFileError::Reason::sourceChanged, source.nativePath());
    } catch (const SystemError& error) {
        firstError.emplace(LocalFileError::Reason::sourceNotRemoved, source.nativePath(), error.description());
    }
    try {
        removeReplaced(old, target);
    } catch (const LocalFileError& error) {
        if (!firstError)
            firstError = error;
    }
    if (firstError)
        throw *firstError;
}

// A rename that reports a change of file system as false instead of an error.
bool renamedOnSameFileSystem(const FileUrl& from, const FileUrl& to, const QByteArray& reportedPath)
{
    try {
        renameNoReplace(from, to, reportedPath);
        return true;
    } catch (const SystemError& error) {
        if (error.code() != EXDEV)
            throw;
        return false;
    }
}

} // namespace

void copyItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget, FileCopier& copier)
{
    checkPreconditions(source, target, atTarget, false);
    removeReplaced(copyAndPlace(source, target, atTarget, copier, FileCopier::Purpose::copy), target);
}

void moveItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget, FileCopier& copier)
{
    checkPreconditions(source, target, atTarget, true);
    if (atTarget == AtTarget::mustBeFree) {
        if (!renamedOnSameFileSystem(source, target, source.nativePath()))
            moveAcrossFileSystems(source, target, atTarget, copier);
        return;
    }
    const FileUrl staged = stagingUrl(target.parent());
    if (!renamedOnSameFileSystem(source, staged, source.nativePath())) {
        moveAcrossFileSystems(source, target, atTarget, copier);
        return;
    }
    FileUrl old;
    try {
        old = place(staged, target, atTarget);
    } catch (...) {
        try {
            renameNoReplace(staged, source, source.nativePath());
        } catch (const SystemError&) {
            // Then it stays under the staging name; the error below is the one to report.
        }
        throw;
    }
    removeReplaced(old, target);
}

void copyItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget)
{
    FileCopier copier;
    copyItem(source, target, atTarget, copier);
}

void moveItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget)
{
    FileCopier copier;
    moveItem(source, target, atTarget, copier);
}

void removeItem(const FileUrl& url)
{
    FileRemover::remove(url);
}

} // namespace LocalFileOperations
