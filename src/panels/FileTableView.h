#pragma once

#include <QTableView>

class FileTableModel;

// The file table: fixed 21-point rows, six columns at their initial widths,
// sortable headers, and drops decided here: onto a folder row goes into that
// folder, anywhere else into the panel's folder (the whole table lights up);
// Shift held at the moment of the drop moves instead of copying.
class FileTableView : public QTableView {
    Q_OBJECT

public:
    explicit FileTableView(FileTableModel& model, QWidget* parent = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    // The folder row under `position`, or -1 for the panel's own folder.
    int folderRowAt(const QPoint& position) const;
    bool acceptDrag(QDropEvent* event);
    void setDropTarget(std::optional<int> row);

    FileTableModel& m_model;
    std::optional<int> m_dropTarget; // set while a drag hovers: a folder row or -1
};
