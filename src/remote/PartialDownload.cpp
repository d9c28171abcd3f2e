#include "remote/PartialDownload.h"

#include "core/FileSystemCore.h"
#include "core/SystemError.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

void downloadThroughPartialFile(const FileUrl& localFile, const std::function<void(const FileUrl& partial)>& transfer)
{
    const FileUrl partial = partialFileFor(localFile);
    try {
        transfer(partial);
    } catch (...) {
        ::unlink(partial.nativePath().constData());
        throw;
    }
    movePartialIntoPlace(partial, localFile);
}

FileUrl partialFileFor(const FileUrl& localFile)
{
    return localFile.parent().appending(FileSystemCore::temporaryName());
}

qint64 currentFileSize(const FileUrl& file)
{
    struct stat status {};
    return ::stat(file.nativePath().constData(), &status) == 0 ? qint64(status.st_size) : -1;
}

void movePartialIntoPlace(const FileUrl& partial, const FileUrl& localFile)
{
    if (std::rename(partial.nativePath().constData(), localFile.nativePath().constData()) != 0) {
        const int error = errno;
        ::unlink(partial.nativePath().constData());
        throw SystemError(error, localFile.nativePath());
    }
}
