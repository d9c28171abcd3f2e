#include "panels/FileDragData.h"

#include "panels/PanelPaths.h"

namespace FileDragData {

QByteArray uriList(const QList<FileUrl>& localUrls)
{
    QByteArray list;
    for (const FileUrl& url : localUrls) {
        if (!url.isLocal())
            continue;
        list += "file://" + url.nativePath().toPercentEncoding("/") + "\r\n";
    }
    return list;
}

QList<FileUrl> localUrls(const QByteArray& uriList)
{
    QList<FileUrl> urls;
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QByteArray encodedPath;
        if (line.startsWith("file:///"))
            encodedPath = line.mid(7);
        else if (line.startsWith("file://localhost/"))
            encodedPath = line.mid(16);
        else
            continue;
        const QByteArray path = QByteArray::fromPercentEncoding(encodedPath);
        if (path.contains('\0'))
            continue;
        urls.append(FileUrl::fromNativePath(path));
    }
    return urls;
}

bool dropsIntoItself(const QList<FileUrl>& sources, const FileUrl& target)
{
    const FileUrl standardTarget = PanelPaths::standardized(target);
    for (const FileUrl& source : sources)
        if (standardTarget.isInside(PanelPaths::standardized(source)))
            return true;
    return false;
}

} // namespace FileDragData
