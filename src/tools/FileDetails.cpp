#include "tools/FileDetails.h"

#include "core/ByteCount.h"
#include "core/SystemError.h"

#include <QDateTime>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

const QString none = QStringLiteral("—");

// Attribute lists can grow between asking for their size and reading them.
constexpr int listAttempts = 4;
// Account entries larger than this are not believed.
constexpr size_t accountBufferLimit = size_t(1) << 20;

ssize_t listOwnAttributes(const char* path, char* buffer, size_t size)
{
#ifdef __APPLE__
    return listxattr(path, buffer, size, XATTR_NOFOLLOW);
#else
    return llistxattr(path, buffer, size);
#endif
}

// The raw value of the file-type attribute, as the platform's file manager names it.
QString typeName(mode_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG: return QStringLiteral("NSFileTypeRegular");
    case S_IFDIR: return QStringLiteral("NSFileTypeDirectory");
    case S_IFLNK: return QStringLiteral("NSFileTypeSymbolicLink");
    case S_IFSOCK: return QStringLiteral("NSFileTypeSocket");
    case S_IFCHR: return QStringLiteral("NSFileTypeCharacterSpecial");
    case S_IFBLK: return QStringLiteral("NSFileTypeBlockSpecial");
    default: return QStringLiteral("NSFileTypeUnknown");
    }
}

QDateTime toDateTime(qint64 seconds, qint64 nanoseconds)
{
    return QDateTime::fromMSecsSinceEpoch(seconds * 1000 + nanoseconds / 1000000);
}

std::optional<QDateTime> creationTime(const QByteArray& path, [[maybe_unused]] const struct stat& st)
{
#ifdef __APPLE__
    return toDateTime(st.st_birthtimespec.tv_sec, st.st_birthtimespec.tv_nsec);
#else
    struct statx sx;
    if (statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BTIME, &sx) != 0
        || !(sx.stx_mask & STATX_BTIME))
        return std::nullopt;
    return toDateTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec);
#endif
}

// getpwuid_r and getgrgid_r share their calling convention: a caller-owned
// buffer that may turn out too small. An account without a name (a container's
// or a removed user's) shows its number.
template <typename Entry, typename Lookup, typename Name>
QString accountName(unsigned id, Lookup lookup, Name name)
{
    std::vector<char> buffer(4096);
    for (;;) {
        Entry entry;
        Entry* found = nullptr;
        const int status = lookup(id, &entry, buffer.data(), buffer.size(), &found);
        if (status == ERANGE && buffer.size() < accountBufferLimit) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return status == 0 && found ? QString::fromUtf8(name(*found)) : QString::number(id);
    }
}

QString ownerName(uid_t uid)
{
    return accountName<struct passwd>(uid, getpwuid_r, [](const struct passwd& entry) { return entry.pw_name; });
}

QString groupName(gid_t gid)
{
    return accountName<struct group>(gid, getgrgid_r, [](const struct group& entry) { return entry.gr_name; });
}

QString linkTarget(const QByteArray& path, const struct stat& st)
{
    // The stored size can be 0 (kernel links) or change meanwhile: read with room to spare.
    std::vector<char> buffer(size_t(std::max<off_t>(st.st_size, PATH_MAX)) + 1);
    const ssize_t length = readlink(path.constData(), buffer.data(), buffer.size());
    if (length < 0 || size_t(length) >= buffer.size())
        return none;
    return QString::fromUtf8(buffer.data(), qsizetype(length));
}

QString attributeList(const FileUrl& url)
{
    try {
        const QStringList names = FileDetails::listExtendedAttributes(url);
        return names.isEmpty() ? none : names.join(QStringLiteral(", "));
    } catch (const SystemError&) {
        return none;
    }
}

} // namespace

namespace FileDetails {

QStringList listExtendedAttributes(const FileUrl& url)
{
    const QByteArray& path = url.nativePath();
    for (int attempt = 0; attempt < listAttempts; ++attempt) {
        const ssize_t needed = listOwnAttributes(path.constData(), nullptr, 0);
        if (needed < 0)
            throw SystemError(errno, path);
        QByteArray list(qsizetype(needed), Qt::Uninitialized);
        const ssize_t length = needed == 0 ? 0 : listOwnAttributes(path.constData(), list.data(), size_t(needed));
        if (length < 0 && errno == ERANGE)
            continue;
        if (length < 0)
            throw SystemError(errno, path);
        list.truncate(qsizetype(length));
        QStringList names;
        for (const QByteArray& name : list.split('\0')) {
            if (!name.isEmpty())
                names.append(QString::fromUtf8(name));
        }
        return names;
    }
    throw SystemError(ERANGE, path);
}

QString details(const FileUrl& url, const QLocale& locale)
{
    const QByteArray& path = url.nativePath();
    struct stat st;
    const bool known = url.isLocal() && lstat(path.constData(), &st) == 0;
    const auto date = [&](const std::optional<QDateTime>& time) {
        return time ? locale.toString(*time, QLocale::LongFormat) : none;
    };

    QStringList lines;
    lines << QStringLiteral("Pfad:        ") + url.path();
    lines << QStringLiteral("Typ:         ") + (known ? typeName(st.st_mode) : none);
    lines << QStringLiteral("Größe:       ")
                 + (known ? QStringLiteral("%1 (%2 Bytes)").arg(ByteCount::text(st.st_size)).arg(st.st_size)
                          : none);
    lines << QStringLiteral("Geändert:    ")
                 + date(known ? std::optional(toDateTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec)) : std::nullopt);
    lines << QStringLiteral("Erstellt:     ") + date(known ? creationTime(path, st) : std::nullopt);
    lines << QStringLiteral("Rechte:      ")
                 + (known ? QStringLiteral("%1").arg(st.st_mode & 07777, 4, 8, QLatin1Char('0')) : none);
    lines << QStringLiteral("Besitzer:    ") + (known ? ownerName(st.st_uid) : none);
    lines << QStringLiteral("Gruppe:      ") + (known ? groupName(st.st_gid) : none);
    if (known && S_ISLNK(st.st_mode))
        lines << QStringLiteral("Link-Ziel:   ") + linkTarget(path, st);
    lines << QStringLiteral("xattrs:      ") + (url.isLocal() ? attributeList(url) : none);
    return lines.join(u'\n');
}

bool isFolder(const FileUrl& url)
{
    struct stat st;
    return url.isLocal() && lstat(url.nativePath().constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace FileDetails
