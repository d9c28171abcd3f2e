#include "tools/FileHead.h"

#include "core/SystemError.h"
#include "tools/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads in slices, so that a cancelled read stops soon even on a slow volume.
constexpr qint64 sliceBytes = qint64(1) << 20;

void requireRegular(const struct stat& st, const QByteArray& path)
{
    if (S_ISDIR(st.st_mode))
        throw SystemError(EISDIR, path);
    if (!S_ISREG(st.st_mode))
        throw NotRegularFileError(path);
}

} // namespace

FileHead readFileHead(const FileUrl& url, qint64 limit, const CancellationToken& token)
{
    const QByteArray& path = url.nativePath();
    if (!url.isLocal())
        throw NotRegularFileError(path);
    // Looked at before opening: opening a device can do something by itself.
    struct stat st;
    if (stat(path.constData(), &st) != 0)
        throw SystemError(errno, path);
    requireRegular(st, path);
    // Should a pipe have taken the file's place since, this open does not wait for a writer.
    std::optional<RegularFile::Opened> opened = RegularFile::open(AT_FDCWD, path.constData(), path);
    if (!opened)
        throw NotRegularFileError(path);
    const UniqueFd& fd = opened->fd;
    st = opened->status;

    FileHead head;
    head.size = qint64(st.st_size);
    // Files of the kernel's own folders report size 0 and still have contents.
    head.bytes.resize(qsizetype(std::clamp<qint64>(head.size + 1, 1, limit)));
    qint64 total = 0;
    while (total < limit) {
        token.throwIfCancelled();
        if (total == head.bytes.size())
            head.bytes.resize(qsizetype(std::min<qint64>(limit, total * 2)));
        const qint64 wanted = std::min<qint64>(sliceBytes, head.bytes.size() - total);
        const ssize_t got = read(fd.get(), head.bytes.data() + total, size_t(wanted));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw SystemError(errno, path);
        }
        if (got == 0)
            break;
        total += got;
    }
    head.bytes.truncate(qsizetype(total));
    return head;
}
