#include "platform/LocalFileOperations.h"

#include "core/SystemError.h"
#include "platform/FileCopier.h"
#include "platform/FileRemover.h"
#include "platform/LocalFileError.h"
#include "platform/RealPath.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

// The entry's path with every link above it resolved; the entry itself is kept
// as it is, since it may be a link that is copied as such.
FileUrl resolvedLocation(const FileUrl& url)
{
    return FileUrl::fromNativePath(realPath(url.parent().nativePath())).appending(url.nativeFileName());
}

FileUrl stagingUrl(const FileUrl& folder)
{
    return folder.appending(".brvk-" + QByteArray::number(QRandomGenerator::system()->generate64(), 16));
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

void removeQuietly(const FileUrl& url)
{
    try {
        FileRemover::remove(url);
    } catch (const SystemError&) {
        // Only called while another failure is being reported.
    }
}

void checkPreconditions(const FileUrl& source, const FileUrl& target, AtTarget& atTarget, bool isMove)
{
    const std::optional<struct stat> sourceStat = statIfPresent(source);
    if (!sourceStat)
        throw SystemError(ENOENT, source.nativePath());
    const std::optional<struct stat> targetStat = statIfPresent(target);
    if (S_ISDIR(sourceStat->st_mode)) {
        const FileUrl realSource = resolvedLocation(source);
        const FileUrl realTargetFolder = FileUrl::fromNativePath(realPath(target.parent().nativePath()));
        if (realTargetFolder.isInside(realSource))
            throw LocalFileError(isMove ? LocalFileError::Reason::folderMovedIntoItself
                                        : LocalFileError::Reason::folderCopiedIntoItself,
                                 source.nativePath());
    }
    if (!targetStat) {
        struct stat folder;
        if (stat(target.parent().nativePath().constData(), &folder) != 0)
            throw SystemError(errno, target.parent().nativePath());
        atTarget = AtTarget::mustBeFree;
        return;
    }
    if (atTarget == AtTarget::mustBeFree)
        throw SystemError(EEXIST, target.nativePath());
    if (targetStat->st_dev == sourceStat->st_dev && targetStat->st_ino == sourceStat->st_ino)
        throw LocalFileError(LocalFileError::Reason::sameEntry, target.nativePath());
    if (S_ISDIR(targetStat->st_mode) && resolvedLocation(source).isInside(resolvedLocation(target)))
        throw LocalFileError(LocalFileError::Reason::targetContainsSource, target.nativePath());
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
FileUrl copyAndPlace(const FileUrl& source, const FileUrl& target, AtTarget atTarget, FileCopier::Ownership ownership)
{
    const FileUrl staged = stagingUrl(target.parent());
    FileCopier(ownership).copy(source, staged, target);
    try {
        return place(staged, target, atTarget);
    } catch (...) {
        removeQuietly(staged);
        throw;
    }
}

void moveAcrossFileSystems(const FileUrl& source, const FileUrl& target, AtTarget atTarget)
{
    // Copying everything only to find that the source cannot go would leave the user with two.
    if (faccessat(AT_FDCWD, source.parent().nativePath().constData(), W_OK | X_OK, AT_EACCESS) != 0)
        throw SystemError(errno, source.nativePath());
    const FileUrl old = copyAndPlace(source, target, atTarget, FileCopier::Ownership::keepSource);
    std::optional<LocalFileError> firstError;
    try {
        FileRemover::remove(source);
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

void copyItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget)
{
    checkPreconditions(source, target, atTarget, false);
    removeReplaced(copyAndPlace(source, target, atTarget, FileCopier::Ownership::copier), target);
}

void moveItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget)
{
    checkPreconditions(source, target, atTarget, true);
    if (atTarget == AtTarget::mustBeFree) {
        if (!renamedOnSameFileSystem(source, target, source.nativePath()))
            moveAcrossFileSystems(source, target, atTarget);
        return;
    }
    const FileUrl staged = stagingUrl(target.parent());
    if (!renamedOnSameFileSystem(source, staged, source.nativePath())) {
        moveAcrossFileSystems(source, target, atTarget);
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

void removeItem(const FileUrl& url)
{
    FileRemover::remove(url);
}

} // namespace LocalFileOperations
