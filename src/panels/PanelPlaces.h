#pragma once

#include "core/FileUrl.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The places a panel offers in its header: favourite folders and volumes.
namespace PanelPlaces {

struct Place {
    QString title;
    FileUrl url;
};

// The home folder ("Persönlicher Ordner"), its Desktop, Documents and Downloads,
// "/Applications", then the stored favourites in their order; each listed once
// (first place wins) and only when something exists at its path.
QList<Place> favorites(const QString& homePath, const QStringList& stored,
                       const std::function<bool(const FileUrl&)>& exists);

// The stored favourites with `path` removed (first occurrence) or appended.
QStringList toggledFavorite(QStringList stored, const QString& path);

// The mounted volumes, hidden ones (system mounts, mounted files) skipped.
QList<Place> mountedVolumes();
// "/proc", "/sys", "/dev" and "/run" trees hold no user files; "/run/media" does.
bool isSystemMount(const QString& rootPath);
// The volume holding the folder: the longest root equal to the folder or a
// prefix followed by "/", the first on equal length.
std::optional<int> volumeIndex(const FileUrl& folder, const QList<Place>& volumes);

} // namespace PanelPlaces
