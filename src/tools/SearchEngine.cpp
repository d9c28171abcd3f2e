#include "tools/SearchEngine.h"

#include "core/SystemError.h"
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

// Links below the root are never followed; the root itself may be one.
DirHandle openFolder(int parentFd, const char* name, bool followLink = false)
{
    const int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
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
        DirHandle folder = openFolder(AT_FDCWD, root.nativePath().constData(), true);
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
            // Some file systems do not say what an entry is.
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st;
                if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                    type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            const qsizetype pathLength = m_path.size();
            m_path.append(name);
            const bool matched = test(folderFd, name, type);
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

    bool test(int folderFd, const char* name, unsigned char type)
    {
        if (!m_name.matches(name, std::strlen(name)))
            return false;
        if (!m_needsProperties)
            return true;
        // A listed regular file is opened straight away: its status comes with it.
        if (m_content && type == DT_REG)
            return testOpening(folderFd, name);
        struct stat st;
        if (!readProperties(folderFd, name, st) || !withinBounds(st))
            return false;
        if (!m_content)
            return true;
        return S_ISREG(st.st_mode) && st.st_size <= SearchEngine::contentSizeLimit && testOpening(folderFd, name);
    }

    bool testOpening(int folderFd, const char* name)
    {
        std::optional<RegularFile::Opened> file;
        try {
            file = RegularFile::open(folderFd, name, m_path);
        } catch (const SystemError&) {
            // Only an entry that the other criteria keep makes its failure count.
            struct stat st;
            if (!readProperties(folderFd, name, st) || !withinBounds(st) || !S_ISREG(st.st_mode))
                return false;
            throw;
        }
        return file && withinBounds(file->status) && file->status.st_size <= SearchEngine::contentSizeLimit
               && m_content->isInFile(file->fd.get(), m_path, m_token);
    }

    // False when the entry has gone since the listing. A link counts by its
    // target only when that is a regular file.
    bool readProperties(int folderFd, const char* name, struct stat& st) const
    {
        if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                return false;
            throw SystemError(errno, m_path);
        }
        struct stat target;
        if (S_ISLNK(st.st_mode) && fstatat(folderFd, name, &target, 0) == 0 && S_ISREG(target.st_mode))
            st = target;
        return true;
    }

    // Folders and other entries without contents count as empty.
    bool withinBounds(const struct stat& st) const
    {
        const qint64 size = S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
        return !(m_options.minimumSize && size < *m_options.minimumSize)
               && !(m_options.maximumSize && size > *m_options.maximumSize)
               && !(m_modifiedAfter && nanoseconds(st.st_mtim) < *m_modifiedAfter);
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
