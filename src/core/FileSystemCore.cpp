#include "core/FileSystemCore.h"

#include "core/MaskList.h"
#include "core/NaturalOrder.h"
#include "core/NumberedName.h"
#include "core/SystemError.h"

#include <QByteArray>
#include <QUuid>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <numeric>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// "Bericht 10000.pdf" is far beyond any folder a user keeps; past it, something is wrong.
constexpr quint64 maximumNumberedNames = 10000;

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

FileTime modificationTime(const struct stat& st)
{
    return FileTime(std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec));
}

FileItem itemFromStat(FileUrl url, const struct stat& st)
{
    FileItem item;
    item.url = std::move(url);
    item.isDirectory = S_ISDIR(st.st_mode);
    item.isSymbolicLink = S_ISLNK(st.st_mode);
    item.size = (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) ? qint64(st.st_size) : 0;
    item.modified = modificationTime(st);
    item.modeBits = quint16(st.st_mode & 07777);
    return item;
}

// Closes a directory stream on every path out of a walk.
struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

DirHandle openDirectory(const QByteArray& path, int& fd)
{
    fd = open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        const int saved = errno;
        close(fd);
        errno = saved;
    }
    return DirHandle(dir);
}

// Sorts `items` by a precomputed key per item; `less` compares two indices.
template<typename Less>
void stableSortBy(QList<FileItem>& items, Less less)
{
    std::vector<qsizetype> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), less);
    QList<FileItem> sorted;
    sorted.reserve(items.size());
    for (qsizetype index : order)
        sorted.append(std::move(items[index]));
    items = std::move(sorted);
}

std::vector<QString> nameKeys(const QList<FileItem>& items)
{
    std::vector<QString> keys;
    keys.reserve(items.size());
    for (const FileItem& item : items) {
        const QByteArray name = item.url.nativeFileName();
        keys.push_back(item.url.isRemote() ? NaturalOrder::sortKey(item.name())
                                           : NaturalOrder::sortKeyFromUtf8(name.constData(), name.size()));
    }
    return keys;
}

template<typename T>
int threeWay(const T& a, const T& b)
{
    return (a > b) - (a < b);
}

} // namespace

namespace FileSystemCore {

QString temporaryName()
{
    return QLatin1StringView(temporaryPrefix) + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QList<FileItem> contents(const FileUrl& folder, bool showHidden, const CancellationToken& token)
{
    const QByteArray& folderPath = folder.nativePath();
    int fd = -1;
    DirHandle dir = openDirectory(folderPath, fd);
    if (!dir)
        throw SystemError(errno, folderPath);

    QList<FileItem> items;
    QByteArray childPath = folderPath;
    if (!childPath.endsWith('/'))
        childPath.append('/');
    const qsizetype prefixLength = childPath.size();

    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                throw SystemError(errno, folderPath);
            break;
        }
        if (isDotOrDotDot(entry->d_name) || (!showHidden && entry->d_name[0] == '.'))
            continue;
        token.throwIfCancelled();

        struct stat st;
        childPath.truncate(prefixLength);
        childPath.append(entry->d_name);
        if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue;
            throw SystemError(errno, childPath);
        }
        items.append(itemFromStat(FileUrl::fromNativePath(childPath), st));
    }
    sortInListingOrder(items);
    return items;
}

qint64 directorySize(const FileUrl& folder, const CancellationToken& token)
{
    qint64 total = 0;
    std::vector<QByteArray> pending{folder.nativePath()};
    while (!pending.empty()) {
        const QByteArray path = std::move(pending.back());
        pending.pop_back();
        int fd = -1;
        DirHandle dir = openDirectory(path, fd);
        if (!dir)
            continue; // an unreadable subfolder is skipped, the walk goes on
        while (const dirent* entry = readdir(dir.get())) {
            if (isDotOrDotDot(entry->d_name))
                continue;
            token.throwIfCancelled();
            struct stat st;
            if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT || errno == EACCES)
                    continue;
                throw SystemError(errno, path + '/' + entry->d_name);
            }
            if (S_ISDIR(st.st_mode))
                pending.push_back(path + '/' + entry->d_name);
            else if (S_ISREG(st.st_mode))
                total += st.st_blocks > 0 ? qint64(st.st_blocks) * 512 : 0;
        }
    }
    return total;
}

FileUrl uniqueDestination(const FileUrl& source, const FileUrl& folder)
{
    const long nameMaximum = pathconf(folder.nativePath().constData(), _PC_NAME_MAX);
    const QByteArray name = source.nativeFileName();
    for (quint64 n = 1; n <= maximumNumberedNames; ++n) {
        const FileUrl candidate = folder.appending(numberedName(name, n, nameMaximum > 0 ? nameMaximum : 255));
        struct stat st;
        if (lstat(candidate.nativePath().constData(), &st) == 0)
            continue;
        if (errno == ENOENT)
            return candidate;
        throw SystemError(errno, candidate.nativePath());
    }
    throw SystemError(EEXIST, folder.appending(name).nativePath());
}

bool matches(const QString& name, const QString& masks)
{
    return MaskList(masks).matches(name);
}

void sortInListingOrder(QList<FileItem>& items)
{
    const std::vector<QString> keys = nameKeys(items);
    stableSortBy(items, [&](qsizetype a, qsizetype b) {
        if (items[a].isDirectory != items[b].isDirectory)
            return items[a].isDirectory;
        return keys[a] < keys[b];
    });
}

void sortByColumn(QList<FileItem>& items, const QString& key, bool ascending)
{
    std::vector<QString> textKeys;
    std::function<int(qsizetype, qsizetype)> compare;
    if (key == u"size") {
        compare = [&](qsizetype a, qsizetype b) { return threeWay(items[a].size, items[b].size); };
    } else if (key == u"modified") {
        compare = [&](qsizetype a, qsizetype b) {
            return threeWay(items[a].modified.value_or(FileTime::min()), items[b].modified.value_or(FileTime::min()));
        };
    } else if (key == u"permissions") {
        for (const FileItem& item : items)
            textKeys.push_back(item.permissions());
        compare = [&](qsizetype a, qsizetype b) { return threeWay(textKeys[a], textKeys[b]); };
    } else {
        if (key == u"ext" || key == u"kind") {
            for (const FileItem& item : items)
                textKeys.push_back(NaturalOrder::sortKey(
                    key == u"kind" ? item.kind() : (item.isDirectory ? QString() : item.url.pathExtension())));
        } else {
            textKeys = nameKeys(items);
        }
        compare = [&](qsizetype a, qsizetype b) { return threeWay(textKeys[a], textKeys[b]); };
    }
    stableSortBy(items, [&](qsizetype a, qsizetype b) {
        if (items[a].isDirectory != items[b].isDirectory)
            return items[a].isDirectory;
        const int result = compare(a, b);
        return ascending ? result < 0 : result > 0;
    });
}

} // namespace FileSystemCore
