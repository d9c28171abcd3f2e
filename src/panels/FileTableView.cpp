#include "panels/FileTableView.h"

#include "panels/FileTableModel.h"

#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
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
    // Date formats differ by locale; the widest date of the year must fit whole.
    const QDateTime widest(QDate(2000, 12, 28), QTime(23, 58, 58));
    const FileTime sample{std::chrono::milliseconds(widest.toMSecsSinceEpoch())};
    const int dateWidth = QFontMetrics(model.informationFont()).horizontalAdvance(model.formatter().date(sample)) + 18;
    if (header->sectionSize(FileTableModel::modifiedColumn) < dateWidth)
        header->resizeSection(FileTableModel::modifiedColumn, dateWidth);
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

// Without a selection the cursor keys first pick a row, as in a native table:
// Down the first one, so that a folder of one entry can be reached at all.
void FileTableView::keyPressEvent(QKeyEvent* event)
{
    static const QList<int> pickingKeys = {Qt::Key_Down, Qt::Key_Up,     Qt::Key_Home,
                                           Qt::Key_End,  Qt::Key_PageUp, Qt::Key_PageDown};
    const int rows = model() ? model()->rowCount() : 0;
    if (rows > 0 && pickingKeys.contains(event->key()) && !selectionModel()->hasSelection()) {
        const bool fromEnd = event->key() == Qt::Key_Up || event->key() == Qt::Key_End;
        const QModelIndex target = model()->index(fromEnd ? rows - 1 : 0, 0);
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(target);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

// Home and End go to the first and last row; the columns are not for the keyboard.
QModelIndex FileTableView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const int rows = model() ? model()->rowCount() : 0;
    if (rows > 0 && (action == MoveHome || action == MoveEnd))
        return model()->index(action == MoveHome ? 0 : rows - 1, qMax(0, currentIndex().column()));
    return QTableView::moveCursor(action, modifiers);
}
