#include "tools/SearchEngine.h"

#include "platform/SystemError.h"
#include "platform/UniqueFd.h"
#include "tools/ContentMatcher.h"
#include "tools/NameQuery.h"
#include "tools/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

// Deeper folders are left out like unreadable ones: every level holds one
// open folder, and a bind mount can make a tree endless.
constexpr int maximumDepth = 256;

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

DirHandle openFolder(int parentFd, const char* name)
{
    const int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
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

qint64 nanoseconds(const struct timespec& time)
{
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

class Walk {
public:
    Walk(const SearchEngine::Options& options, qsizetype limit, const CancellationToken& token)
        : m_options(options), m_name(options.query), m_limit(limit), m_token(token),
          m_needsProperties(options.minimumSize || options.maximumSize || options.modifiedAfter
                            || !options.content.isEmpty())
    {
        if (!options.content.isEmpty())
            m_content.emplace(options.content);
        if (options.modifiedAfter)
            m_modifiedAfter = options.modifiedAfter->toMSecsSinceEpoch() * 1000000;
    }

    QList<FileUrl> run(const FileUrl& root)
    {
        m_path = root.nativePath();
        if (!m_path.endsWith('/'))
            m_path.append('/');
        DirHandle folder = openFolder(AT_FDCWD, root.nativePath().constData());
        if (!folder) {
            if (m_options.recursive)
                return {};
            throw SystemError(errno, root.nativePath());
        }
        walk(folder.get(), 0);
        return m_results;
    }

private:
    // False once the limit is reached.
    bool walk(DIR* folder, int depth)
    {
        const int folderFd = dirfd(folder);
        for (;;) {
            m_token.throwIfCancelled();
            errno = 0;
            const dirent* entry = readdir(folder);
            if (!entry) {
                if (errno != 0 && !m_options.recursive)
                    throw SystemError(errno, m_path);
                return true;
            }
            const char* name = entry->d_name;
            if (name[0] == '.') // hidden, and the folder itself and its parent
                continue;
            // Only whether to descend matters here; some file systems do not say.
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st;
                if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                    type = S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
            }
            const qsizetype pathLength = m_path.size();
            m_path.append(name);
            const bool matched = test(folderFd, name);
            if (matched) {
                m_results.append(FileUrl::fromNativePath(m_path));
                if (m_results.size() >= m_limit)
                    return false;
            }
            bool going = true;
            if (type == DT_DIR && m_options.recursive && depth + 1 < maximumDepth) {
                if (DirHandle sub = openFolder(folderFd, name)) {
                    m_path.append('/');
                    going = walk(sub.get(), depth + 1);
                }
            }
            m_path.truncate(pathLength);
            if (!going)
                return false;
        }
    }

    bool test(int folderFd, const char* name)
    {
        if (!m_name.matches(name, std::strlen(name)))
            return false;
        if (!m_needsProperties)
            return true;
        struct stat st;
        if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) // gone since the listing: it is no hit
                return false;
            throw SystemError(errno, m_path);
        }
        if (S_ISLNK(st.st_mode)) {
            // A link counts by its target only when that is a regular file.
            struct stat target;
            if (fstatat(folderFd, name, &target, 0) == 0 && S_ISREG(target.st_mode))
                st = target;
        }
        const bool regular = S_ISREG(st.st_mode);
        const qint64 size = regular ? qint64(st.st_size) : 0;
        if ((m_options.minimumSize && size < *m_options.minimumSize)
            || (m_options.maximumSize && size > *m_options.maximumSize))
            return false;
        if (m_modifiedAfter && nanoseconds(st.st_mtim) < *m_modifiedAfter)
            return false;
        if (!m_content)
            return true;
        if (!regular || size > SearchEngine::contentSizeLimit)
            return false;
        std::optional<RegularFile::Opened> file = RegularFile::open(folderFd, name, m_path);
        return file && file->status.st_size <= SearchEngine::contentSizeLimit
               && m_content->isInFile(file->fd.get(), m_path, m_token);
    }

    const SearchEngine::Options& m_options;
    NameQuery m_name;
    std::optional<ContentMatcher> m_content;
    std::optional<qint64> m_modifiedAfter;
    qsizetype m_limit;
    const CancellationToken& m_token;
    bool m_needsProperties;
    QByteArray m_path;
    QList<FileUrl> m_results;
};

} // namespace

QFuture<QList<FileUrl>> SearchEngine::search(FileUrl root, Options options, qsizetype limit)
{
    return m_executor.run<QList<FileUrl>>(
        [root = std::move(root), options = std::move(options), limit](const CancellationToken& token) {
            return searchNow(root, options, limit, token);
        });
}

QFuture<bool> SearchEngine::containsText(FileUrl url, QString needle)
{
    return m_executor.run<bool>([url = std::move(url), needle = std::move(needle)](const CancellationToken& token) {
        return containsTextNow(url, needle, token);
    });
}

QList<FileUrl> SearchEngine::searchNow(const FileUrl& root, const Options& options, qsizetype limit,
                                       const CancellationToken& token)
{
    if (limit <= 0)
        return {};
    return Walk(options, limit, token).run(root);
}

bool SearchEngine::containsTextNow(const FileUrl& url, const QString& needle, const CancellationToken& token)
{
    std::optional<RegularFile::Opened> file = RegularFile::open(AT_FDCWD, url.nativePath().constData(), url.nativePath());
    if (!file)
        return false;
    ContentMatcher matcher(needle);
    return matcher.isInFile(file->fd.get(), url.nativePath(), token);
}
