#include "archive/ArchiveStaging.h"

#include "core/FileSystemCore.h"
#include "platform/FileRemover.h"
#include "platform/LocalFileOperations.h"
#include "core/SystemError.h"

#include <cerrno>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

// Names taken between our look and our rename: give up after this many.
constexpr int publishAttempts = 100;

FileUrl makePrivateFolder(const FileUrl& folder)
{
    for (;;) {
        const FileUrl candidate = folder.appending(FileSystemCore::temporaryName());
        if (::mkdir(candidate.nativePath().constData(), 0700) == 0)
            return candidate;
        if (errno != EEXIST)
            throw SystemError(errno, folder.nativePath());
    }
}

} // namespace

ArchiveStaging::ArchiveStaging(const FileUrl& folder) : m_root(makePrivateFolder(folder)) {}

ArchiveStaging::~ArchiveStaging()
{
    try {
        FileRemover::remove(m_root);
    } catch (const SystemError&) {
        // Nothing can be reported from here; a hidden leftover is all that stays.
    }
}

qint64 ArchiveStaging::availableBytes() const
{
    struct statvfs info;
    if (statvfs(m_root.nativePath().constData(), &info) != 0)
        throw SystemError(errno, m_root.nativePath());
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

FileUrl ArchiveStaging::publish(const QByteArray& name, const FileUrl& destination) const
{
    FileUrl target = destination;
    for (int attempt = 1;; ++attempt) {
        try {
            LocalFileOperations::moveItem(entry(name), target, LocalFileOperations::AtTarget::mustBeFree);
            return target;
        } catch (const SystemError& error) {
            if (error.code() != EEXIST || attempt == publishAttempts)
                throw;
        }
        target = FileSystemCore::uniqueDestination(destination, destination.parent());
    }
}
