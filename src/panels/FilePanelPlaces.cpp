// Favourites and volumes in the header of a file panel.

#include "panels/FilePanelController.h"

#include "panels/FilePanelState.h"
#include "panels/PanelPaths.h"
#include "preferences/PreferencesStore.h"
#include "ui/Interaction.h"

#include <QComboBox>
#include <QDir>
#include <QStandardItemModel>
#include <QToolButton>

void FilePanelController::rebuildFavorites()
{
    d->favorites = PanelPlaces::favorites(QDir::homePath(), d->preferences.favorites(), &PanelPaths::exists);
    QComboBox* menu = d->controls.favorites;
    menu->clear();
    menu->addItem(QStringLiteral("★ Favoriten"));
    if (auto* model = qobject_cast<QStandardItemModel*>(menu->model()))
        model->item(0)->setEnabled(false);
    for (const PanelPlaces::Place& place : std::as_const(d->favorites)) {
        menu->addItem(place.title);
        menu->setItemData(menu->count() - 1, place.url.path(), Qt::ToolTipRole);
    }
    menu->setCurrentIndex(0);
    updateFavoriteButton();
}

void FilePanelController::chooseFavorite(int index)
{
    d->controls.favorites->setCurrentIndex(0);
    if (index >= 1 && index <= d->favorites.size())
        navigate(d->favorites.at(index - 1).url, true);
}

void FilePanelController::toggleFavorite()
{
    const std::optional<QString> path = currentURL().exactPath();
    if (!path) {
        // The list holds text paths; a name that is not text cannot be kept there.
        d->interaction.beep();
        return;
    }
    d->preferences.saveFavorites(PanelPlaces::toggledFavorite(d->preferences.favorites(), *path));
    rebuildFavorites();
    Q_EMIT favoritesChanged();
}

void FilePanelController::updateFavoriteButton()
{
    const std::optional<QString> path = currentURL().exactPath();
    d->controls.showFavoriteState(path && d->preferences.favorites().contains(*path));
}

void FilePanelController::rebuildVolumes()
{
    d->volumes = PanelPlaces::mountedVolumes();
    QComboBox* menu = d->controls.volumes;
    menu->clear();
    for (const PanelPlaces::Place& volume : std::as_const(d->volumes)) {
        menu->addItem(volume.title);
        menu->setItemData(menu->count() - 1, volume.url.path(), Qt::ToolTipRole);
    }
}

void FilePanelController::selectVolume()
{
    if (isRemote())
        return;
    if (const std::optional<int> index = PanelPlaces::volumeIndex(currentURL(), d->volumes))
        d->controls.volumes->setCurrentIndex(*index);
}

void FilePanelController::chooseVolume(int index)
{
    // While remote the profile's entry stands first.
    if (isRemote())
        --index;
    if (index >= 0 && index < d->volumes.size())
        navigate(d->volumes.at(index).url, true);
}
