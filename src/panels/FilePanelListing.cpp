// Listing, filter, sort, selection and status line of a file panel.

#include "panels/FilePanelController.h"

#include "diagnostics/DiagnosticsStore.h"
#include "panels/FilePanelState.h"
#include "panels/FileTableModel.h"
#include "panels/FileTableView.h"
#include "panels/PanelPaths.h"
#include "panels/PanelWorker.h"
#include "preferences/PreferencesStore.h"

#include <QCheckBox>
#include <QLabel>

namespace {

const QString loadingText = QStringLiteral("Wird geladen …");

// Consecutive rows as selection ranges, so that selecting 100,000 rows stays cheap.
QItemSelection rowSelection(const QAbstractItemModel& model, QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    QItemSelection selection;
    const int lastColumn = model.columnCount() - 1;
    for (qsizetype first = 0; first < rows.size();) {
        qsizetype last = first;
        while (last + 1 < rows.size() && rows[last + 1] <= rows[last] + 1)
            ++last;
        selection.select(model.index(rows[first], 0), model.index(rows[last], lastColumn));
        first = last + 1;
    }
    return selection;
}

} // namespace

void FilePanelController::reload()
{
    d->worker->cancelListing();
    if (isRemote())
        return reloadRemote();
    d->listingError.reset();
    d->controls.status->setText(loadingText);
    d->model->setInteractive(false);
    d->worker->startListing(currentURL(), d->showHidden);
}

void FilePanelController::takeListing(const ListingResult& result)
{
    // A newer listing is on its way when the panel moved on in the meantime.
    if (isRemote() || result.outcome == ListingResult::Outcome::cancelled || result.folder != currentURL()
        || result.showHidden != d->showHidden)
        return;
    const QList<int> rows = selectedRows();
    const int cursor = d->controls.table->currentIndex().row();
    d->model->setInteractive(true);
    if (result.outcome == ListingResult::Outcome::listed) {
        d->freeBytes = result.freeBytes;
        d->model->changeRows([&](PanelItems& items) { items.setListing(result.items); });
        selectRows(rows, cursor);
        placePendingCursor();
        if (std::exchange(d->selectFirstRow, false) && selectedRows().isEmpty() && !items().isEmpty())
            selectRows({0}, 0);
    } else {
        d->listingError = QStringLiteral("Ordner konnte nicht gelesen werden: ") + result.errorDescription;
        d->model->changeRows([](PanelItems& items) { items.clear(); });
        DiagnosticsStore::shared().record(QStringLiteral("Dateisystem"), result.errorType);
    }
    updateStatus();
    updateHistoryButtons();
    Q_EMIT listingFinished();
}

// The entry showInPanel asked for, once its folder is listed; a listing of
// another folder means the user has moved on, and the wish lapses.
void FilePanelController::placePendingCursor()
{
    const std::optional<FileUrl> target = std::exchange(d->pendingCursor, std::nullopt);
    if (!target || target->parent() != currentURL())
        return;
    for (int row = 0; row < items().size(); ++row) {
        if (items().at(row).url == *target) {
            selectRows({row}, row);
            d->controls.table->scrollTo(d->model->index(row, 0));
            focusTable();
            return;
        }
    }
}

void FilePanelController::filterChanged(const QString& text)
{
    const QList<int> rows = selectedRows();
    const int cursor = d->controls.table->currentIndex().row();
    d->model->changeRows([&](PanelItems& items) { items.setFilter(text); });
    selectRows(rows, cursor);
    updateStatus();
}

void FilePanelController::sortChanged(int column, Qt::SortOrder order)
{
    std::optional<PanelItems::ColumnSort> sort;
    if (column >= 0 && column < FileTableModel::numberOfColumns)
        sort = PanelItems::ColumnSort{FileTableModel::columnKey(column), order == Qt::AscendingOrder};
    const QList<int> rows = selectedRows();
    const int cursor = d->controls.table->currentIndex().row();
    d->model->changeRows([&](PanelItems& items) { items.setSort(sort); });
    selectRows(rows, cursor);
    updateStatus();
}

// Read from the selection ranges: a dimmed table during a listing still keeps its selection.
QList<int> FilePanelController::selectedRows() const
{
    QList<int> rows;
    for (const QItemSelectionRange& range : d->controls.table->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// The cursor row: the current row when it is selected, else the last selected row.
int FilePanelController::cursorRow() const
{
    const QList<int> rows = selectedRows();
    const int current = d->controls.table->currentIndex().row();
    if (current >= 0 && std::binary_search(rows.cbegin(), rows.cend(), current))
        return current;
    return rows.isEmpty() ? -1 : rows.last();
}

void FilePanelController::selectRows(const QList<int>& rows, int cursor)
{
    const int count = int(items().size());
    QList<int> existing;
    for (int row : rows)
        if (row < count)
            existing.append(row);
    ++d->programmaticSelection;
    QItemSelectionModel* selection = d->controls.table->selectionModel();
    selection->select(rowSelection(*d->model, existing), QItemSelectionModel::ClearAndSelect);
    if (cursor >= 0 && cursor < count)
        selection->setCurrentIndex(d->model->index(cursor, 0), QItemSelectionModel::NoUpdate);
    --d->programmaticSelection;
    updateStatus();
}

void FilePanelController::tableSelectionChanged()
{
    updateStatus();
    if (d->programmaticSelection == 0 && d->delegate)
        d->delegate->setActive(*this, false);
}

QList<FileUrl> FilePanelController::selectedURLs() const
{
    return d->model->items().selection(selectedRows()).urls;
}

void FilePanelController::updateStatus()
{
    if (isRemote())
        return updateRemoteStatus();
    QString text;
    if (d->worker->isListing()) {
        text = loadingText;
    } else if (d->listingError) {
        text = *d->listingError;
    } else {
        const PanelItems::Selection selection = d->model->items().selection(selectedRows());
        text = d->model->formatter().localStatus(selection.urls.size(), selection.bytes, items().size(),
                                                 d->freeBytes);
    }
    d->controls.status->setText(text);
}

bool FilePanelController::showHidden() const
{
    return d->showHidden;
}

void FilePanelController::setShowHidden(bool show)
{
    d->showHidden = show;
    d->controls.hidden->setChecked(show);
    persistSession();
    reload();
}

void FilePanelController::persistSession()
{
    d->tabs.saveCurrentTab();
    QStringList paths;
    for (const FileUrl& folder : d->tabs.tabFolders())
        paths.append(PanelPaths::nearestTextPath(folder));
    PanelPreferences preferences = d->preferences.panel(d->persistenceKey);
    preferences.saveTabs(paths, d->tabs.selectedTab());
    preferences.saveShowHidden(d->showHidden);
}
