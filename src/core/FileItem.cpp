#include "core/FileItem.h"

FileItem FileItem::remoteEntry(const QString& profileId, const QString& name, bool isDirectory,
                               std::optional<qint64> size)
{
    FileItem item;
    item.url = FileUrl::remote(profileId, name);
    item.isDirectory = isDirectory;
    item.size = size.value_or(0);
    return item;
}

QString FileItem::kind() const
{
    if (isDirectory)
        return QStringLiteral("Ordner");
    const QString extension = url.pathExtension();
    return extension.isEmpty() ? QStringLiteral("Datei") : extension.toUpper();
}

QString FileItem::permissions() const
{
    if (url.isRemote())
        return QStringLiteral("remote");
    return QString::asprintf("%03o", unsigned(modeBits & 07777));
}
