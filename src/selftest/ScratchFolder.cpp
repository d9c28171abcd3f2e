#include "selftest/ScratchFolder.h"

#include "core/SystemError.h"
#include "platform/TemporaryDirectory.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <cerrno>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Folders the user made unwritable or unreadable would keep their contents.
int makeFolderAccessible(const char* path, const struct stat* st, int type, struct FTW*)
{
    if (type == FTW_D || type == FTW_DNR)
        chmod(path, (st->st_mode & 07777) | S_IRWXU);
    return 0;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    ::remove(path);
    return 0;
}

} // namespace

ScratchFolder::ScratchFolder(const QString& purpose)
{
    const QString name = QStringLiteral("Brenvik-%1-%2").arg(purpose, QUuid::createUuid().toString(QUuid::WithoutBraces));
    const QByteArray path = temporaryDirectory() + '/' + name.toUtf8();
    // A TMPDIR that does not exist yet is made; only the folder itself must be private.
    QDir().mkpath(QFile::decodeName(temporaryDirectory()));
    if (::mkdir(path.constData(), 0700) != 0)
        throw SystemError(errno, path);
    m_url = FileUrl::fromNativePath(path);
}

ScratchFolder::~ScratchFolder()
{
    nftw(m_url.nativePath().constData(), makeFolderAccessible, 16, FTW_PHYS);
    nftw(m_url.nativePath().constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}
