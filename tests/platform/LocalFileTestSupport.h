#pragma once

#include "core/FileUrl.h"

#include <QByteArray>
#include <QMap>
#include <QUuid>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sched.h>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Helpers for tests of the local file layer: exact pictures of trees, so a test
// can say "nothing changed" or "the copy is the source" in one comparison.
namespace LocalFileTest {

inline QByteArray readBytes(const FileUrl& url)
{
    QByteArray result;
    const int fd = open(url.nativePath().constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot read " + url.nativePath().toStdString());
    char buffer[65536];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        result.append(buffer, n);
    close(fd);
    return result;
}

inline struct stat lstatOf(const FileUrl& url)
{
    struct stat st {};
    if (lstat(url.nativePath().constData(), &st) != 0)
        throw std::runtime_error("cannot stat " + url.nativePath().toStdString());
    return st;
}

// Bytes on disk: holes take none, a one-byte file a whole block.
inline qint64 allocated(const FileUrl& url)
{
    return qint64(lstatOf(url).st_blocks) * 512;
}

inline bool exists(const FileUrl& url)
{
    struct stat st;
    return lstat(url.nativePath().constData(), &st) == 0;
}

// What `body` threw as `Error`, or nothing when it did not throw.
template <typename Error>
std::optional<Error> thrown(const std::function<void()>& body)
{
    try {
        body();
    } catch (const Error& error) {
        return error;
    }
    return std::nullopt;
}

// The names in a folder in the order the file system lists them.
inline QList<QByteArray> namesInListingOrder(const FileUrl& folder)
{
    QList<QByteArray> names;
    DIR* dir = opendir(folder.nativePath().constData());
    if (!dir)
        throw std::runtime_error("cannot list " + folder.nativePath().toStdString());
    while (const dirent* entry = readdir(dir))
        if (QByteArray(entry->d_name) != "." && QByteArray(entry->d_name) != "..")
            names.append(entry->d_name);
    closedir(dir);
    return names;
}

// One line per entry below `root`, keyed by relative path: type, mode bits,
// modification time to the nanosecond (folders and files), and the content or
// link text. Access times are left out: reading a file changes them.
inline QMap<QByteArray, QByteArray> snapshot(const FileUrl& root, bool withTimes = true, const QByteArray& prefix = {})
{
    QMap<QByteArray, QByteArray> result;
    for (const QByteArray& name : namesInListingOrder(root)) {
        const FileUrl url = root.appending(name);
        const struct stat st = lstatOf(url);
        QByteArray line = QByteArray::number(st.st_mode & 07777, 8);
        if (withTimes && !S_ISLNK(st.st_mode))
            line += ' ' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' + QByteArray::number(qint64(st.st_mtim.tv_nsec));
        if (S_ISREG(st.st_mode)) {
            line = "file " + line + ' ' + readBytes(url);
        } else if (S_ISLNK(st.st_mode)) {
            char text[4096];
            line = "link -> " + QByteArray(text, qMax<ssize_t>(readlink(url.nativePath().constData(), text, sizeof text), 0));
        } else if (S_ISDIR(st.st_mode)) {
            line = "folder " + line;
            result.insert(snapshot(url, withTimes, prefix + name + '/'));
        } else {
            line = "special " + QByteArray::number(st.st_mode & S_IFMT, 8) + ' ' + line + ' ' + QByteArray::number(qulonglong(st.st_rdev));
        }
        result.insert(prefix + name, line);
    }
    return result;
}

// Names in a folder that the file layer uses for work in progress.
inline QList<QByteArray> stagingLeftovers(const FileUrl& folder)
{
    QList<QByteArray> result;
    for (const QByteArray& path : snapshot(folder, false).keys())
        if (path.contains(".brvk-"))
            result.append(path);
    return result;
}

// A fresh folder on the memory file system, which is not the one that holds
// the tests' temporary folders: moves between the two cross file systems.
class ShmFolder {
public:
    ShmFolder()
    {
        if (mkdir(m_url.nativePath().constData(), 0755) != 0)
            throw std::runtime_error("cannot create a folder in /dev/shm");
    }
    ~ShmFolder() { std::filesystem::remove_all(m_url.nativePath().toStdString(), m_ignored); }
    ShmFolder(const ShmFolder&) = delete;
    ShmFolder& operator=(const ShmFolder&) = delete;

    const FileUrl& url() const { return m_url; }
    FileUrl file(const QByteArray& name) const { return m_url.appending(name); }

private:
    FileUrl m_url = FileUrl::fromNativePath("/dev/shm/brenvik-test-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces));
    std::error_code m_ignored;
};

inline void setModificationTime(const FileUrl& url, qint64 seconds, long nanoseconds = 0)
{
    const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    if (utimensat(AT_FDCWD, url.nativePath().constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("cannot set times of " + url.nativePath().toStdString());
}

// Runs `body` in a forked child and returns its exit status (125 when it threw,
// -1 when it did not exit normally), so faults like resource limits stay there.
inline int runInChild(const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child == 0) {
        int status = 125;
        try {
            status = body();
        } catch (...) {
        }
        _exit(status);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The status of inPrivateMounts when this system lets no one mount.
constexpr int mountsRefused = 99;

// runInChild with mounts of the child's own, which vanish with it.
inline int inPrivateMounts(const std::function<int()>& body)
{
    return runInChild([&] {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return mountsRefused;
        return body();
    });
}

// A child's exit status for a check that failed: the check's line.
#define CHILD_CHECK(condition)     \
    if (!(condition))              \
        return __LINE__ % 250 + 1;

} // namespace LocalFileTest
