#include "tools/RegularFile.h"

#include "core/SystemError.h"

#include <QString>
#include <cerrno>

namespace {

constexpr off_t sequentialAdviceFrom = 1 << 20;

} // namespace

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
    // Reads of a regular file ignore O_NONBLOCK. Large files are read ahead
    // generously; for small ones the advice would cost more than it brings.
#ifdef POSIX_FADV_SEQUENTIAL
    if (opened.status.st_size > sequentialAdviceFrom)
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
