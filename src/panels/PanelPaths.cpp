#include "panels/PanelPaths.h"

#include <QByteArrayList>
#include <QStorageInfo>
#include <sys/stat.h>

namespace PanelPaths {

FileUrl standardized(const FileUrl& url)
{
    if (!url.isLocal())
        return url;
    QByteArrayList parts;
    for (const QByteArray& part : url.nativePath().split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return FileUrl::fromNativePath('/' + parts.join('/'));
}

std::optional<FileUrl> typedPath(const QString& text)
{
    if (!text.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return standardized(FileUrl::fromLocalPath(text));
}

QString folderTitle(const FileUrl& folder)
{
    const QString name = folder.fileName();
    return name.isEmpty() ? QStringLiteral("/") : name;
}

bool exists(const FileUrl& url)
{
    struct stat st;
    return url.isLocal() && lstat(url.nativePath().constData(), &st) == 0;
}

bool isFolder(const FileUrl& url)
{
    struct stat st;
    return url.isLocal() && stat(url.nativePath().constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString nearestTextPath(const FileUrl& url)
{
    FileUrl candidate = url;
    while (!candidate.hasExactText())
        candidate = candidate.parent();
    return candidate.path();
}

std::optional<qint64> availableBytes(const FileUrl& folder)
{
    const QStorageInfo volume(nearestTextPath(folder));
    if (!volume.isValid() || volume.bytesAvailable() < 0)
        return std::nullopt;
    return volume.bytesAvailable();
}

} // namespace PanelPaths
