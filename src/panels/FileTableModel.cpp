#include "panels/FileTableModel.h"

#include "panels/FileDragData.h"
#include "panels/RemoteLocation.h"
#include "preferences/DisplayColors.h"

#include <QBrush>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>

namespace {

struct ColumnInfo {
    const char* key;
    const char* title;
    int width;
};

// Titles are UTF-8 ("Erw.", "Größe", "Geändert").
constexpr ColumnInfo columns[] = {
    {"name", "Name", 250}, {"ext", "Erw.", 55},     {"size", "Größe", 90},
    {"modified", "Geändert", 145}, {"kind", "Typ", 80}, {"permissions", "Rechte", 55},
};

QFont sized(QFont font, int pointSize, QFont::Weight weight)
{
    font.setPointSize(pointSize);
    font.setWeight(weight);
    return font;
}

} // namespace

QString FileTableModel::columnKey(int column)
{
    return QLatin1String(columns[column].key);
}

int FileTableModel::initialWidth(int column)
{
    return columns[column].width;
}

FileTableModel::FileTableModel(const PreferencesStore& preferences, QObject* parent)
    : QAbstractTableModel(parent), m_preferences(preferences),
      m_nameFont(sized(QGuiApplication::font(), 12, QFont::Normal)),
      m_folderNameFont(sized(QGuiApplication::font(), 12, QFont::DemiBold)),
      m_cellFont(sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), 11, QFont::Normal)),
      m_folderCellFont(sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), 11, QFont::Medium))
{
}

void FileTableModel::changeRows(const std::function<void(PanelItems&)>& change)
{
    beginResetModel();
    change(m_items);
    endResetModel();
}

void FileTableModel::changeCells(const std::function<void(PanelItems&)>& change)
{
    change(m_items);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, numberOfColumns - 1));
}

void FileTableModel::setInteractive(bool interactive)
{
    if (m_interactive == interactive)
        return;
    m_interactive = interactive;
    changeCells([](PanelItems&) {});
}

QStringList FileTableModel::consistencyProblems() const
{
    return m_items.consistencyProblems();
}

int FileTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.items().size());
}

int FileTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(numberOfColumns);
}

QString FileTableModel::cellText(const FileItem& item, int column) const
{
    switch (column) {
    case nameColumn: return FileTextFormatter::nameCell(item, m_items.isMarked(item.url));
    case extensionColumn: return FileTextFormatter::extensionCell(item);
    case sizeColumn:
        return m_formatter.sizeCell(item, m_items.calculatedSize(item.url), m_items.isCalculating(item.url));
    case modifiedColumn: return m_formatter.date(item.modified);
    case kindColumn: return FileTextFormatter::kindCell(item);
    case permissionsColumn: return item.permissions();
    default: return {};
    }
}

QColor FileTableModel::rowColor(const FileItem& item) const
{
    return DisplayColors::color(m_preferences, item.isDirectory ? DisplayColors::ColorKey::folder
                                                                : DisplayColors::ColorKey::file);
}

QVariant FileTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const FileItem& item = m_items.items().at(index.row());
    const bool nameCell = index.column() == nameColumn;
    switch (role) {
    case Qt::DisplayRole: return cellText(item, index.column());
    case Qt::DecorationRole:
        if (!nameCell)
            return {};
        return item.isDirectory ? m_icons.folderIcon(rowColor(item)) : m_icons.fileIcon(item);
    case Qt::ForegroundRole: return m_interactive ? QVariant(QBrush(rowColor(item))) : QVariant();
    case Qt::FontRole:
        if (nameCell)
            return item.isDirectory ? m_folderNameFont : m_nameFont;
        return item.isDirectory ? m_folderCellFont : m_cellFont;
    case Qt::TextAlignmentRole:
        return int(Qt::AlignVCenter | Qt::AlignLeft);
    default: return {};
    }
}

QVariant FileTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= numberOfColumns)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(columns[section].title);
    if (role == Qt::InitialSortOrderRole)
        return int(Qt::AscendingOrder);
    return {};
}

Qt::ItemFlags FileTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || !m_interactive)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (m_items.items().at(index.row()).isDirectory)
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

QStringList FileTableModel::mimeTypes() const
{
    return {QLatin1String(FileDragData::uriListType), RemoteLocation::dragType()};
}

QMimeData* FileTableModel::mimeData(const QModelIndexList& indexes) const
{
    QList<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid())
            rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<FileUrl> urls;
    QList<FileItem> remoteRows;
    for (int row : rows) {
        urls.append(m_items.items().at(row).url);
        if (urls.constLast().isRemote())
            remoteRows.append(m_items.items().at(row));
    }
    auto* data = new QMimeData;
    if (!remoteRows.isEmpty() && m_remoteDragText) {
        data->setData(RemoteLocation::dragType(), m_remoteDragText(remoteRows));
        return data;
    }
    data->setData(QLatin1String(FileDragData::uriListType), FileDragData::uriList(urls));
    return data;
}

Qt::DropActions FileTableModel::supportedDragActions() const
{
    // Other programs only ever copy; a move within the program is decided on drop.
    return Qt::CopyAction;
}

Qt::DropActions FileTableModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

bool FileTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const
{
    if (data && data->hasFormat(RemoteLocation::dragType()))
        return bool(m_remoteDrop);
    return m_dropHandler && data && data->hasFormat(QLatin1String(FileDragData::uriListType))
        && !FileDragData::localUrls(data->data(QLatin1String(FileDragData::uriListType))).isEmpty();
}

bool FileTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                  const QModelIndex& parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    std::optional<FileUrl> folderRow;
    if (parent.isValid() && parent.row() < rowCount() && m_items.items().at(parent.row()).isDirectory)
        folderRow = m_items.items().at(parent.row()).url;
    if (data->hasFormat(RemoteLocation::dragType()))
        return m_remoteDrop(data->data(RemoteLocation::dragType()), folderRow, action == Qt::MoveAction);
    const QList<FileUrl> sources = FileDragData::localUrls(data->data(QLatin1String(FileDragData::uriListType)));
    return m_dropHandler(sources, folderRow, action == Qt::MoveAction);
}
