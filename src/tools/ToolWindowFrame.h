#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSize>
#include <QStringList>

class QLabel;
class QTableView;
class QWidget;

// What the tool windows share: their frame and the look of their tables.
namespace ToolWindowFrame {

// A titled window of `size`, never smaller than `minimum`, centred on the screen.
void place(QWidget* window, const QString& title, QSize size, QSize minimum);
// Alternating rows, whole-row selection, no grid, texts cut in the middle.
void styleTable(QTableView* table);
// A status line in red for failures, in the secondary label colour otherwise.
void showStatus(QLabel* label, const QString& text, bool failure);

} // namespace ToolWindowFrame

// Rows of texts under fixed column titles: the tool windows' tables.
class TextTableModel : public QAbstractTableModel {
public:
    explicit TextTableModel(QStringList titles, QObject* parent = nullptr);

    void setRows(QList<QStringList> rows);
    const QList<QStringList>& rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_titles;
    QList<QStringList> m_rows;
};
