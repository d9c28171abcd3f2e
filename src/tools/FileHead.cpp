#include "tools/FileHead.h"

#include "core/SystemError.h"
#include "platform/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads in slices, so that a cancelled read stops soon even on a slow volume.
constexpr qint64 sliceBytes = qint64(1) << 20;

void requireRegular(const struct stat& st, const FileUrl& url)
{
    if (S_ISDIR(st.st_mode))
        throw SystemError(EISDIR, url.nativePath());
    if (!S_ISREG(st.st_mode))
        throw FileReadError::notRegular(url);
}

} // namespace

FileHead readFileHead(const FileUrl& url, qint64 limit, const CancellationToken& token)
{
    if (!url.isLocal())
        throw FileReadError::notLocal(url);
    const QByteArray& path = url.nativePath();
    struct stat st;
    if (stat(path.constData(), &st) != 0)
        throw SystemError(errno, path);
    requireRegular(st, url);
    // Not blocking: should a pipe have taken the file's place since, opening it
    // must not wait for a writer; the second look below then refuses it.
    UniqueFd fd(open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.isValid())
        throw SystemError(errno, path);
    if (fstat(fd.get(), &st) != 0)
        throw SystemError(errno, path);
    requireRegular(st, url);

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

FileReadError::FileReadError(QString description)
    : BrenvikError(QStringLiteral("FileReadError"), std::move(description))
{
}

FileReadError FileReadError::notRegular(const FileUrl& url)
{
    return FileReadError(QStringLiteral("„%1“ ist keine gewöhnliche Datei. Pipes, Sockets und Geräte werden nicht gelesen.")
                             .arg(url.path()));
}

FileReadError FileReadError::notLocal(const FileUrl& url)
{
    return FileReadError(
        QStringLiteral("„%1“ liegt nicht im lokalen Dateisystem und kann hier nicht gelesen werden.").arg(url.path()));
}
