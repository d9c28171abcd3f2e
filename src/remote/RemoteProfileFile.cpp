#include "remote/RemoteProfileFile.h"

#include "core/SystemError.h"
#include "platform/FileWriting.h"
#include "platform/UniqueFd.h"
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

QByteArray readWholeFile(const QString& filePath)
{
    const QByteArray path = QFile::encodeName(filePath);
    // O_NONBLOCK: a FIFO by that name must not keep the import waiting for a writer.
    const UniqueFd fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!fd.isValid() || ::fstat(fd.get(), &st) != 0)
        throw SystemError(errno, path);
    if (!S_ISREG(st.st_mode))
        throw RemoteProfileFileError(RemoteProfileFileError::Reason::unreadableFormat, filePath);
    QByteArray contents;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw SystemError(errno, path);
        if (got == 0)
            return contents;
        contents.append(buffer, got);
        if (contents.size() > maximumImportFileSize)
            throw RemoteProfileFileError(RemoteProfileFileError::Reason::tooManyProfiles, filePath);
    }
}

} // namespace

RemoteProfileFileError::RemoteProfileFileError(Reason reason, const QString& filePath)
    : BrenvikError(QStringLiteral("RemoteProfileFileError"), errorText(reason, filePath)), m_reason(reason)
{
}

void exportRemoteProfiles(const QList<RemoteProfile>& profiles, const QString& filePath)
{
    writeFileAtomically(filePath, encodeRemoteProfiles(profiles, RemoteProfileJsonStyle::pretty));
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
