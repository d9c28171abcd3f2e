#pragma once

#include "core/FileItem.h"

#include <QColor>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QString>

// Icons of the file table, made once and kept: a filled folder in the folder
// colour (one per colour), and file icons by name extension. Painting never
// touches the file system.
class FileIconCache {
public:
    QIcon folderIcon(const QColor& color);
    // Files and links alike: the icon of the type the name suggests.
    QIcon fileIcon(const FileItem& item);

private:
    QFileIconProvider m_provider;
    QMimeDatabase m_mimeTypes;
    QHash<QRgb, QIcon> m_folders;
    QHash<QString, QIcon> m_files;
};
