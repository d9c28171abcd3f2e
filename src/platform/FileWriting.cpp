#include "platform/FileWriting.h"

#include "core/FileSystemCore.h"
#include "core/SystemError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

bool writeAll(int fd, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        done += written;
    }
    return true;
}

void writeFileAtomically(const QString& path, QByteArrayView bytes)
{
    const QByteArray destination = QFile::encodeName(path);
    QTemporaryFile file(QFileInfo(path).absolutePath() + u'/' + QLatin1StringView(FileSystemCore::temporaryPrefix)
                        + QStringLiteral("XXXXXX"));
    if (!file.open())
        throw SystemError(errno != 0 ? errno : EIO, destination);
    // QTemporaryFile makes it private (0600); it gets the mode the file it replaces had, or a new file's.
    struct stat existing;
    const int mask = creationMask();
    const mode_t mode = ::stat(destination.constData(), &existing) == 0 ? existing.st_mode & 07777
                                                                         : 0666 & ~mode_t(mask < 0 ? 022 : mask);
    if (::fchmod(file.handle(), mode) != 0 || !writeAll(file.handle(), bytes) || ::fsync(file.handle()) != 0)
        throw SystemError(errno, destination);
    // rename(2) rather than QFile's: it replaces an existing file, and a link itself rather than where it leads.
    if (std::rename(QFile::encodeName(file.fileName()).constData(), destination.constData()) != 0)
        throw SystemError(errno, destination);
    file.setAutoRemove(false);
}

int creationMask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("Umask:")) {
            bool ok = false;
            const int mask = line.mid(6).trimmed().toInt(&ok, 8);
            return ok ? mask : -1;
        }
    }
    return -1;
}
