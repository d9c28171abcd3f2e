#include "remote/RemoteProfileFile.h"

#include "core/SystemError.h"
#include "remote/RemoteProfileJson.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 500 profiles with generous texts stay far below this; anything larger is not
// read into memory at all.
constexpr qint64 maximumImportFileSize = 32 * 1024 * 1024;

QString errorText(RemoteProfileFileError::Reason reason, const QString& filePath)
{
    const QString name = QFileInfo(filePath).fileName();
    switch (reason) {
    case RemoteProfileFileError::Reason::unreadableFormat:
        return QStringLiteral("Die Datei „%1“ konnte nicht gelesen werden, da sie nicht das richtige Format hat.")
            .arg(name);
    case RemoteProfileFileError::Reason::tooManyProfiles:
        return QStringLiteral("Die Datei „%1“ konnte nicht geöffnet werden, da sie zu groß ist.").arg(name);
    }
    return {};
}

// Closes the descriptor and removes the temporary file unless it was committed.
class TemporaryFile {
public:
    TemporaryFile(QByteArray path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_committed)
            ::unlink(m_path.constData());
    }

    void writeAll(const QByteArray& bytes) const
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t written = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                throw SystemError(errno, m_path);
            done += written;
        }
        if (::fsync(m_fd) != 0)
            throw SystemError(errno, m_path);
    }

    void commit(const QByteArray& destination)
    {
        if (::close(std::exchange(m_fd, -1)) != 0)
            throw SystemError(errno, m_path);
        if (::rename(m_path.constData(), destination.constData()) != 0)
            throw SystemError(errno, destination);
        m_committed = true;
    }

private:
    QByteArray m_path;
    int m_fd;
    bool m_committed = false;
};

QByteArray readWholeFile(const QString& filePath)
{
    const QByteArray path = QFile::encodeName(filePath);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw SystemError(errno, path);
    QByteArray contents;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            throw SystemError(error, path);
        }
        if (got == 0)
            break;
        contents.append(buffer, got);
        if (contents.size() > maximumImportFileSize) {
            ::close(fd);
            throw RemoteProfileFileError(RemoteProfileFileError::Reason::tooManyProfiles, filePath);
        }
    }
    ::close(fd);
    return contents;
}

} // namespace

RemoteProfileFileError::RemoteProfileFileError(Reason reason, const QString& filePath)
    : BrenvikError(QStringLiteral("RemoteProfileFileError"), errorText(reason, filePath)), m_reason(reason)
{
}

void exportRemoteProfiles(const QList<RemoteProfile>& profiles, const QString& filePath)
{
    const QByteArray destination = QFile::encodeName(filePath);
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    const QByteArray temporaryPath =
        folder + "/.brvk-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1();
    const int fd = ::open(temporaryPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        throw SystemError(errno, destination);
    TemporaryFile temporary(temporaryPath, fd);
    struct stat existing;
    // Replacing a file keeps its permissions; a new one gets the umask's.
    if (::stat(destination.constData(), &existing) == 0 && ::fchmod(fd, existing.st_mode & 07777) != 0)
        throw SystemError(errno, destination);
    temporary.writeAll(encodeRemoteProfiles(profiles, RemoteProfileJsonStyle::pretty));
    temporary.commit(destination);
}

QList<RemoteProfile> readImportedRemoteProfiles(const QString& filePath)
{
    std::optional<QList<RemoteProfile>> profiles = decodeRemoteProfiles(readWholeFile(filePath));
    if (!profiles)
        throw RemoteProfileFileError(RemoteProfileFileError::Reason::unreadableFormat, filePath);
    if (profiles->size() > maximumImportedProfiles)
        throw RemoteProfileFileError(RemoteProfileFileError::Reason::tooManyProfiles, filePath);
    for (RemoteProfile& profile : *profiles) {
        profile.id = QUuid::createUuid();
        profile.name += QStringLiteral(" (importiert)");
    }
    return *profiles;
}
