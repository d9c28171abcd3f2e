#include "panels/FileIconCache.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A filled folder silhouette: a tab on the upper left over a rounded body.
QPixmap folderPixmap(const QColor& color, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const qreal unit = size / 16.0;
    QPainterPath tab;
    tab.addRoundedRect(QRectF(1 * unit, 2.5 * unit, 6 * unit, 3 * unit), unit, unit);
    QPainterPath body;
    body.addRoundedRect(QRectF(1 * unit, 4 * unit, 14 * unit, 10 * unit), 1.5 * unit, 1.5 * unit);
    painter.drawPath(tab.united(body));
    return pixmap;
}

} // namespace

QIcon FileIconCache::folderIcon(const QColor& color)
{
    const QRgb key = color.rgba();
    const auto found = m_folders.constFind(key);
    if (found != m_folders.cend())
        return *found;
    QIcon icon;
    for (const int size : {16, 32})
        icon.addPixmap(folderPixmap(color, size));
    m_folders.insert(key, icon);
    return icon;
}

QIcon FileIconCache::fileIcon(const FileItem& item)
{
    const QString extension = item.url.pathExtension().toLower();
    const auto found = m_files.constFind(extension);
    if (found != m_files.cend())
        return *found;
    QIcon icon;
    if (!extension.isEmpty()) {
        const QMimeType type =
            m_mimeTypes.mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension);
        icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    }
    if (icon.isNull())
        icon = m_provider.icon(QAbstractFileIconProvider::File);
    m_files.insert(extension, icon);
    return icon;
}
