#include "panels/FileTableView.h"

#include "panels/FileTableModel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>

FileTableView::FileTableView(FileTableModel& model, QWidget* parent) : QTableView(parent), m_model(model)
{
    setModel(&model);
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    setShowGrid(false);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setIconSize(QSize(16, 16));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameShape(QFrame::StyledPanel);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(21);
    rows->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* header = horizontalHeader();
    header->setMinimumSectionSize(44);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    for (int column = 0; column < FileTableModel::numberOfColumns; ++column)
        header->resizeSection(column, FileTableModel::initialWidth(column));
}

int FileTableView::folderRowAt(const QPoint& position) const
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid() || !m_model.items().items().at(index.row()).isDirectory)
        return -1;
    return index.row();
}

bool FileTableView::acceptDrag(QDropEvent* event)
{
    const QPoint position = event->position().toPoint();
    const int row = folderRowAt(position);
    const QModelIndex target = row < 0 ? QModelIndex() : m_model.index(row, 0);
    if (!m_model.canDropMimeData(event->mimeData(), Qt::CopyAction, -1, -1, target)) {
        setDropTarget(std::nullopt);
        event->ignore();
        return false;
    }
    setDropTarget(row);
    event->setDropAction(event->modifiers().testFlag(Qt::ShiftModifier) ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
    return true;
}

void FileTableView::dragEnterEvent(QDragEnterEvent* event)
{
    acceptDrag(event);
}

void FileTableView::dragMoveEvent(QDragMoveEvent* event)
{
    if (acceptDrag(event)) {
        const QRect area = viewport()->rect();
        const QPoint position = event->position().toPoint();
        if (hasAutoScroll() && !area.adjusted(autoScrollMargin(), autoScrollMargin(), -autoScrollMargin(),
                                              -autoScrollMargin()).contains(position))
            startAutoScroll();
    }
}

void FileTableView::dragLeaveEvent(QDragLeaveEvent* event)
{
    setDropTarget(std::nullopt);
    stopAutoScroll();
    event->accept();
}

void FileTableView::dropEvent(QDropEvent* event)
{
    stopAutoScroll();
    setDropTarget(std::nullopt);
    const int row = folderRowAt(event->position().toPoint());
    const bool moving = event->modifiers().testFlag(Qt::ShiftModifier);
    const QModelIndex target = row < 0 ? QModelIndex() : m_model.index(row, 0);
    if (m_model.dropMimeData(event->mimeData(), moving ? Qt::MoveAction : Qt::CopyAction, -1, -1, target)) {
        // The source keeps its entries either way: the move is done by the program, not the drag.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FileTableView::setDropTarget(std::optional<int> row)
{
    if (m_dropTarget == row)
        return;
    m_dropTarget = row;
    viewport()->update();
}

void FileTableView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (!m_dropTarget)
        return;
    QPainter painter(viewport());
    QPen pen(palette().color(QPalette::Highlight), 2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QRect area = viewport()->rect();
    if (*m_dropTarget >= 0) {
        const QModelIndex first = m_model.index(*m_dropTarget, 0);
        area = QRect(0, visualRect(first).top(), viewport()->width(), rowHeight(*m_dropTarget));
    }
    painter.drawRect(area.adjusted(1, 1, -1, -1));
}
