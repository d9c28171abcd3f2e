#include "panels/PanelPlaces.h"

#include "panels/PanelPaths.h"
#include "platform/PlatformTexts.h"

#include <QDir>
#include <QStorageInfo>

namespace PanelPlaces {

QList<Place> favorites(const QString& homePath, const QStringList& stored,
                       const std::function<bool(const FileUrl&)>& exists)
{
    QList<Place> places;
    QStringList seen;
    const auto add = [&](const QString& path, const QString& title) {
        const FileUrl url = FileUrl::fromLocalPath(path);
        if (seen.contains(url.path()) || !exists(url))
            return;
        seen.append(url.path());
        places.append(Place{title.isEmpty() ? PanelPaths::folderTitle(url) : title, url});
    };
    add(homePath, QStringLiteral("Persönlicher Ordner"));
    for (const char* name : {"Desktop", "Documents", "Downloads"})
        add(homePath + QLatin1Char('/') + QLatin1String(name), {});
    if (PlatformTexts::offersApplicationsFolder())
        add(QStringLiteral("/Applications"), {});
    for (const QString& path : stored)
        if (path.startsWith(QLatin1Char('/')))
            add(path, {});
    return places;
}

QStringList toggledFavorite(QStringList stored, const QString& path)
{
    if (!stored.removeOne(path))
        stored.append(path);
    return stored;
}

bool isSystemMount(const QString& rootPath)
{
    if (rootPath == u"/run/media" || rootPath.startsWith(u"/run/media/"))
        return false;
    for (const char* tree : {"/proc", "/sys", "/dev", "/run"})
        if (rootPath == QLatin1String(tree) || rootPath.startsWith(QLatin1String(tree) + QLatin1Char('/')))
            return true;
    return false;
}

QList<Place> mountedVolumes()
{
    QList<Place> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        const FileUrl url = FileUrl::fromLocalPath(root);
        if (!volume.isValid() || !volume.isReady() || isSystemMount(root) || !PanelPaths::isFolder(url))
            continue;
        QString title = volume.name();
        if (title.isEmpty())
            title = PanelPaths::folderTitle(url);
        volumes.append(Place{title, url});
    }
    return volumes;
}

std::optional<int> volumeIndex(const FileUrl& folder, const QList<Place>& volumes)
{
    const FileUrl target = PanelPaths::standardized(folder);
    std::optional<int> best;
    qsizetype bestLength = -1;
    for (int index = 0; index < volumes.size(); ++index) {
        const FileUrl root = PanelPaths::standardized(volumes[index].url);
        const qsizetype length = root.nativePath().size();
        if (target.isInside(root) && length > bestLength) {
            best = index;
            bestLength = length;
        }
    }
    return best;
}

} // namespace PanelPlaces
