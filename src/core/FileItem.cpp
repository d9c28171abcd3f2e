#include "core/FileItem.h"

#include <QHashFunctions>

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

bool operator==(const FileItem& a, const FileItem& b)
{
    return a.url == b.url && a.isDirectory == b.isDirectory && a.isSymbolicLink == b.isSymbolicLink
        && a.size == b.size && a.modified == b.modified && a.modeBits == b.modeBits;
}

size_t qHash(const FileItem& item, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, item.url);
    seed = combine(seed, item.isDirectory);
    seed = combine(seed, item.isSymbolicLink);
    seed = combine(seed, item.size);
    seed = combine(seed, item.modified.has_value());
    if (item.modified)
        seed = combine(seed, item.modified->time_since_epoch().count());
    seed = combine(seed, item.modeBits);
    return seed;
}
