#include "remote/PartialDownload.h"

#include "core/FileSystemCore.h"
#include "core/SystemError.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

void downloadThroughPartialFile(const FileUrl& localFile, const std::function<void(const FileUrl& partial)>& transfer)
{
    const FileUrl partial = localFile.parent().appending(FileSystemCore::temporaryName());
    try {
        transfer(partial);
    } catch (...) {
        ::unlink(partial.nativePath().constData());
        throw;
    }
    movePartialIntoPlace(partial, localFile);
}

void movePartialIntoPlace(const FileUrl& partial, const FileUrl& localFile)
{
    if (std::rename(partial.nativePath().constData(), localFile.nativePath().constData()) != 0) {
        const int error = errno;
        ::unlink(partial.nativePath().constData());
        throw SystemError(error, localFile.nativePath());
    }
}
