// Marks, folder sizes, drops and the preview of a file panel.

#include "panels/FilePanelController.h"

#include "panels/FileDragData.h"
#include "panels/FilePanelState.h"
#include "panels/FileTableModel.h"
#include "panels/FileTableView.h"
#include "panels/PanelWorker.h"
#include "ui/Interaction.h"
#include "ui/WindowPlacement.h"

void FilePanelController::setMarked(const QSet<FileUrl>& marked)
{
    d->model->changeCells([&](PanelItems& items) { items.setMarked(marked); });
    updateStatus();
}

void FilePanelController::toggleCurrentSelection()
{
    const int row = cursorRow();
    if (row < 0)
        return;
    bool nowMarked = false;
    d->model->changeCells([&](PanelItems& items) { nowMarked = items.toggleMark(row); });
    const FileItem& item = items().at(row);
    if (nowMarked && item.isDirectory && !item.isSymbolicLink && item.url.isLocal())
        calculateSize(item.url);
    redrawKeepingCursor(true);
}

void FilePanelController::markAllFiles()
{
    d->model->changeCells([](PanelItems& items) { items.markAllFiles(); });
    refreshKeepingSelection();
}

void FilePanelController::invertMarks()
{
    d->model->changeCells([](PanelItems& items) { items.invertMarks(); });
    refreshKeepingSelection();
}

void FilePanelController::mark(const QString& masks, bool selecting)
{
    d->model->changeCells([&](PanelItems& items) { items.mark(masks, selecting); });
    refreshKeepingSelection();
}

void FilePanelController::refreshKeepingSelection()
{
    d->model->changeCells([](PanelItems&) {});
    redrawKeepingCursor(true);
}

// The rows keep their selection through a redraw; the cursor row stays
// selected and in view.
void FilePanelController::redrawKeepingCursor(bool focus)
{
    const int row = cursorRow();
    if (row >= 0) {
        QList<int> rows = selectedRows();
        selectRows(rows, row);
        d->controls.table->scrollTo(d->model->index(row, 0));
    }
    updateStatus();
    if (focus)
        focusTable();
}

void FilePanelController::calculateSize(const FileUrl& folder)
{
    bool started = false;
    d->model->changeCells([&](PanelItems& items) { started = items.beginCalculation(folder); });
    if (started)
        d->worker->startFolderSize(folder);
}

void FilePanelController::takeFolderSize(const FileUrl& folder, std::optional<qint64> size)
{
    d->model->changeCells([&](PanelItems& items) { items.finishCalculation(folder, size); });
    // Only the active panel takes the keyboard focus back.
    redrawKeepingCursor(d->active);
}

bool FilePanelController::dropEntries(const QList<FileUrl>& sources, const std::optional<FileUrl>& folderRow,
                                      bool moving)
{
    if (isRemote()) {
        uploadLocalFiles(sources, moving, folderRow ? folderRow->fileName() : QString());
        return true;
    }
    const FileUrl target = folderRow.value_or(currentURL());
    if (FileDragData::dropsIntoItself(sources, target)) {
        d->interaction.beep();
        return false;
    }
    if (!d->delegate)
        return false;
    d->delegate->setActive(*this, true);
    d->delegate->dropFiles(*this, sources, target, moving);
    return true;
}

std::optional<FileUrl> FilePanelController::previewItem() const
{
    const QList<FileUrl> selection = selectedURLs();
    if (selection.isEmpty())
        return std::nullopt;
    return selection.first();
}

void FilePanelController::showPreview()
{
    const std::optional<FileUrl> item = previewItem();
    if (!item)
        return;
    if (!d->preview) {
        d->preview = new PreviewWindow(this);
        centerOnWindow(*d->preview, this);
    }
    d->preview->showEntry(*item);
}

QWidget* FilePanelController::previewWindow() const
{
    return d->preview;
}
