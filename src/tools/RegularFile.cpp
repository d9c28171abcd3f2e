#include "tools/RegularFile.h"

#include "platform/SystemError.h"

#include <QString>
#include <cerrno>

namespace RegularFile {

std::optional<Opened> open(int folderFd, const char* name, const QByteArray& reportedPath)
{
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait forever.
    const int fd = ::openat(folderFd, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw SystemError(errno, reportedPath);
    Opened opened{UniqueFd(fd), {}};
    if (::fstat(fd, &opened.status) != 0)
        throw SystemError(errno, reportedPath);
    if (!S_ISREG(opened.status.st_mode))
        return std::nullopt;
    // Back to blocking reads, and the kernel may read ahead generously.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return opened;
}

} // namespace RegularFile

NotRegularFileError::NotRegularFileError(const QByteArray& nativePath)
    : BrenvikError(QStringLiteral("NotRegularFileError"),
                   QStringLiteral("„%1“ ist keine gewöhnliche Datei.").arg(QString::fromUtf8(nativePath)))
{
}
