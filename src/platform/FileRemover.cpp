#include "platform/FileRemover.h"

#include "core/SystemError.h"
#include "platform/UniqueFd.h"

#include <QScopeGuard>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

QByteArray joined(const QByteArray& folder, const char* name)
{
    return folder + '/' + name;
}

void removeChild(int folderFd, const char* name, unsigned char type, QByteArray& folderPath);

// `folderPath` grows and shrinks with the walk; it is only read for error messages.
void removeContents(UniqueFd folderFd, QByteArray& folderPath)
{
    DIR* folder = fdopendir(folderFd.get());
    if (!folder)
        throw SystemError(errno, folderPath);
    folderFd.release();
    const auto closeFolder = qScopeGuard([folder] { closedir(folder); });
    errno = 0;
    while (const dirent* entry = readdir(folder)) {
        if (!isDotOrDotDot(entry->d_name))
            removeChild(dirfd(folder), entry->d_name, entry->d_type, folderPath);
        errno = 0;
    }
    if (errno != 0)
        throw SystemError(errno, folderPath);
}

void removeChild(int folderFd, const char* name, unsigned char type, QByteArray& folderPath)
{
    if (type != DT_DIR) {
        if (unlinkat(folderFd, name, 0) == 0 || errno == ENOENT)
            return;
        if (errno != EISDIR)
            throw SystemError(errno, joined(folderPath, name));
    }
    UniqueFd child(openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!child.isValid()) {
        if (errno == ENOENT)
            return;
        throw SystemError(errno, joined(folderPath, name));
    }
    const qsizetype mark = folderPath.size();
    folderPath += '/';
    folderPath += name;
    removeContents(std::move(child), folderPath);
    folderPath.truncate(mark);
    if (unlinkat(folderFd, name, AT_REMOVEDIR) != 0 && errno != ENOENT)
        throw SystemError(errno, joined(folderPath, name));
}

} // namespace

namespace FileRemover {

void remove(const FileUrl& url)
{
    if (url.nativeFileName().isEmpty())
        throw SystemError(EINVAL, url.nativePath());
    const UniqueFd parent(::open(url.parent().nativePath().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent.isValid()) {
        if (errno == ENOENT)
            return;
        throw SystemError(errno, url.parent().nativePath());
    }
    removeAt(parent.get(), url.nativeFileName(), url.nativePath());
}

void removeAt(int folderFd, const QByteArray& name, const QByteArray& path)
{
    QByteArray folderPath = path.left(path.lastIndexOf('/'));
    removeChild(folderFd, name.constData(), DT_UNKNOWN, folderPath);
}

} // namespace FileRemover
