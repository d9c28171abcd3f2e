#include "sync/SyncFileCopy.h"

#include "core/CancellationToken.h"
#include "core/SystemError.h"
#include "platform/UniqueFd.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t blockSize = 1 << 20;

// Read once: asking for the mask means setting it, which other threads could see.
mode_t processUmask()
{
    static const mode_t mask = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
                if (line.startsWith("Umask:"))
                    return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
            }
        }
        return mode_t(07777); // unknown: every mode is set explicitly
    }();
    return mask;
}

bool concernsTarget(int code)
{
    return code == ENOSPC || code == EDQUOT || code == EFBIG || code == EROFS || code == EIO;
}

// The kernel's in-place copy is missing between some file systems; reading and
// writing then does the work.
bool isUnsupported(int code)
{
    return code == EXDEV || code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == EBADF;
}

class Transfer {
public:
    Transfer(int in, int out, const CancellationToken& token, const QByteArray& shownSource, const QByteArray& shownTarget)
        : m_in(in), m_out(out), m_token(token), m_source(shownSource), m_target(shownTarget)
    {
    }

    void run(off_t size)
    {
        // Up to the size seen when the source was opened; the caller compares the
        // source's status afterwards and refuses a copy of a file that changed.
        off_t copied = 0;
        while (copied < size) {
            m_token.throwIfCancelled();
            const ssize_t n = copy_file_range(m_in, nullptr, m_out, nullptr, std::min<std::size_t>(size - copied, blockSize), 0);
            if (n > 0) {
                copied += n;
            } else if (n == 0) {
                return;
            } else if (errno == EINTR) {
                continue;
            } else if (copied == 0 && isUnsupported(errno)) {
                return readAndWrite(size);
            } else {
                fail(errno);
            }
        }
    }

private:
    void readAndWrite(off_t size)
    {
        std::vector<char> buffer(std::min<std::size_t>(std::size_t(size), blockSize));
        for (off_t copied = 0; copied < size;) {
            m_token.throwIfCancelled();
            const ssize_t got = ::read(m_in, buffer.data(), std::min<std::size_t>(size - copied, buffer.size()));
            if (got == 0)
                return;
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                throw SystemError(errno, m_source);
            for (ssize_t written = 0; written < got;) {
                const ssize_t n = ::write(m_out, buffer.data() + written, std::size_t(got - written));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    throw SystemError(errno, m_target);
                written += n;
            }
            copied += got;
        }
    }

    [[noreturn]] void fail(int code) const { throw SystemError(code, concernsTarget(code) ? m_target : m_source); }

    int m_in;
    int m_out;
    const CancellationToken& m_token;
    const QByteArray& m_source;
    const QByteArray& m_target;
};

} // namespace

void SyncFileCopy::copyRegularFile(int source, const struct stat& st, int targetDir, const char* name,
                                   const CancellationToken& token, const QByteArray& shownSource,
                                   const QByteArray& shownTarget)
{
    const mode_t mode = st.st_mode & 01777; // a copy never hands out set-ID rights
    // Most modes survive the umask as they are; only the others need a second call.
    const bool createdWithMode = (mode & ~processUmask()) == mode;
    UniqueFd out(openat(targetDir, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        createdWithMode ? mode : 0600));
    if (!out.isValid())
        throw SystemError(errno, shownTarget);
    Transfer(source, out.get(), token, shownSource, shownTarget).run(st.st_size);
    // File systems without Unix permissions refuse modes; the data still counts.
    if (!createdWithMode && fchmod(out.get(), mode) != 0 && errno != EPERM && errno != EOPNOTSUPP)
        throw SystemError(errno, shownTarget);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(out.get(), times) != 0 && errno != EPERM && errno != EOPNOTSUPP)
        throw SystemError(errno, shownTarget);
    if (::close(out.release()) != 0)
        throw SystemError(errno, shownTarget);
}
