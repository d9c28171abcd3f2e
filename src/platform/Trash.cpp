#include "platform/Trash.h"

#include "core/NumberedName.h"
#include "core/SystemError.h"
#include "platform/FileWriting.h"
#include "platform/LocalFileError.h"
#include "platform/LocalFileOperations.h"
#include "platform/RealPath.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

struct TrashFolder {
    QByteArray path;
    QByteArray topdir; // empty for the home trash, whose Path= entries are absolute
};

QByteArray homeFolder()
{
    const QByteArray home = qgetenv("HOME");
    if (home.startsWith('/'))
        return home;
    const passwd* entry = getpwuid(getuid());
    return entry ? QByteArray(entry->pw_dir) : QByteArray("/");
}

QByteArray homeTrashPath()
{
    QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (!dataHome.startsWith('/'))
        dataHome = homeFolder() + "/.local/share";
    return dataHome + "/Trash";
}

void makeFolder(const QByteArray& path)
{
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        throw SystemError(errno, path);
}

void makeFolderChain(const QByteArray& path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1))
        makeFolder(path.left(slash));
    makeFolder(path);
}

// The mount point of the file system that holds `folder`.
QByteArray topdirOf(const QByteArray& folder)
{
    QByteArray path = realPath(folder);
    struct stat st;
    if (stat(path.constData(), &st) != 0)
        throw SystemError(errno, path);
    while (path != "/") {
        const qsizetype slash = path.lastIndexOf('/');
        const QByteArray parent = slash > 0 ? path.left(slash) : QByteArray("/");
        struct stat parentStat;
        if (stat(parent.constData(), &parentStat) != 0 || parentStat.st_dev != st.st_dev)
            break;
        path = parent;
    }
    return path;
}

// A trash folder we may use: a real folder (not a link) of our own.
bool isOwnFolder(const QByteArray& path)
{
    struct stat st;
    return lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

std::optional<TrashFolder> volumeTrash(const QByteArray& topdir)
{
    const QByteArray uid = QByteArray::number(getuid());
    const QByteArray base = topdir == "/" ? QByteArray() : topdir;
    // A shared ".Trash" counts only as a real folder with the sticky bit, as
    // otherwise others could swap in their own.
    const QByteArray shared = base + "/.Trash";
    struct stat st;
    if (lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const QByteArray own = shared + '/' + uid;
        if ((mkdir(own.constData(), 0700) == 0 || errno == EEXIST) && isOwnFolder(own))
            return TrashFolder{own, topdir};
    }
    const QByteArray own = base + "/.Trash-" + uid;
    if ((mkdir(own.constData(), 0700) == 0 || errno == EEXIST) && isOwnFolder(own))
        return TrashFolder{own, topdir};
    return std::nullopt;
}

TrashFolder trashFor(const FileUrl& url, dev_t device)
{
    const QByteArray home = homeTrashPath();
    makeFolderChain(home);
    struct stat st;
    if (stat(home.constData(), &st) != 0)
        throw SystemError(errno, home);
    if (st.st_dev == device)
        return TrashFolder{home, {}};
    const std::optional<TrashFolder> trash = volumeTrash(topdirOf(url.parent().nativePath()));
    if (!trash || stat(trash->path.constData(), &st) != 0 || st.st_dev != device)
        throw LocalFileError(LocalFileError::Reason::noTrashOnVolume, url.nativePath());
    return *trash;
}

// "<name>.trashinfo" must fit the 255 bytes of a name, so long names are
// shortened in the trash; the info file keeps the whole original name.
constexpr qsizetype trashNameMaximum = 255 - qsizetype(sizeof ".trashinfo" - 1);
constexpr int maximumClaims = 10000;

QByteArray trashInfo(const TrashFolder& trash, const FileUrl& url)
{
    QByteArray location = url.nativePath();
    if (!trash.topdir.isEmpty()) {
        // Relative to the volume, so the entry can go back wherever it is mounted.
        location = realPath(url.parent().nativePath()) + '/' + url.nativeFileName();
        if (trash.topdir != "/")
            location = location.mid(trash.topdir.size());
        location = location.mid(1);
    }
    char date[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + location.toPercentEncoding("/") + "\nDeletionDate=" + date + '\n';
}

// Claims a name in the trash by creating its info file (the name is free only
// when neither the info file nor the entry exists) and returns the name.
QByteArray claimName(int infoFd, int filesFd, const TrashFolder& trash, const FileUrl& url)
{
    const QByteArray info = trashInfo(trash, url);
    for (int n = 1; n <= maximumClaims; ++n) {
        const QByteArray name = numberedName(url.nativeFileName(), quint64(n), trashNameMaximum);
        const QByteArray infoName = name + ".trashinfo";
        const QByteArray infoPath = trash.path + "/info/" + infoName;
        UniqueFd fd(openat(infoFd, infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd.isValid()) {
            if (errno == EEXIST)
                continue;
            throw SystemError(errno, infoPath);
        }
        struct stat st;
        if (fstatat(filesFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            unlinkat(infoFd, infoName.constData(), 0);
            continue;
        }
        try {
            if (!writeAll(fd.get(), info) || ::close(fd.release()) != 0)
                throw SystemError(errno, infoPath);
        } catch (...) {
            unlinkat(infoFd, infoName.constData(), 0);
            throw;
        }
        return name;
    }
    throw SystemError(EEXIST, trash.path + "/files/" + url.nativeFileName());
}

UniqueFd openTrashPart(const TrashFolder& trash, const char* part)
{
    const QByteArray path = trash.path + '/' + part;
    makeFolder(path);
    UniqueFd fd(::open(path.constData(), folderFlags));
    if (!fd.isValid())
        throw SystemError(errno, path);
    return fd;
}

} // namespace

namespace Trash {

FileUrl moveToTrash(const FileUrl& url)
{
    struct stat st;
    if (lstat(url.nativePath().constData(), &st) != 0)
        throw SystemError(errno, url.nativePath());
    const TrashFolder trash = trashFor(url, st.st_dev);
    const UniqueFd filesFd = openTrashPart(trash, "files");
    const UniqueFd infoFd = openTrashPart(trash, "info");
    const QByteArray name = claimName(infoFd.get(), filesFd.get(), trash, url);
    const char* path = url.nativePath().constData();
    int result = renameat2(AT_FDCWD, path, filesFd.get(), name.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) // the name was claimed above
        result = renameat(AT_FDCWD, path, filesFd.get(), name.constData());
    if (result != 0) {
        const int code = errno;
        unlinkat(infoFd.get(), (name + ".trashinfo").constData(), 0);
        if (code == EXDEV)
            throw LocalFileError(LocalFileError::Reason::noTrashOnVolume, url.nativePath());
        throw SystemError(code, url.nativePath());
    }
    return FileUrl::fromNativePath(trash.path + "/files/" + name);
}

void restore(const FileUrl& trashed, const FileUrl& location)
{
    struct stat st;
    if (lstat(location.nativePath().constData(), &st) == 0)
        throw SystemError(EEXIST, location.nativePath());
    if (stat(location.parent().nativePath().constData(), &st) != 0)
        throw SystemError(errno, location.parent().nativePath());
    LocalFileOperations::moveItem(trashed, location, LocalFileOperations::AtTarget::mustBeFree);
    const FileUrl filesFolder = trashed.parent();
    if (filesFolder.nativeFileName() == "files") {
        const QByteArray info = filesFolder.parent().nativePath() + "/info/" + trashed.nativeFileName() + ".trashinfo";
        // The entry is back; an info file that cannot go only leaves a stale line in trash views.
        unlink(info.constData());
    }
}

} // namespace Trash
