#pragma once

#include "panels/FileIconCache.h"
#include "panels/FileTextFormatter.h"
#include "panels/PanelItems.h"

#include <QAbstractTableModel>
#include <QFont>
#include <functional>
#include <optional>

class PreferencesStore;

// The file table of a panel over its PanelItems: six columns, texts made on
// demand, the preference colours read for every cell (so a colour change
// shows at the next redraw), and the entries as file URLs for drag and drop.
// Rows are plain FileItem values; nothing is allocated per row here.
class FileTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { nameColumn, extensionColumn, sizeColumn, modifiedColumn, kindColumn, permissionsColumn };
    static constexpr int numberOfColumns = 6;
    // The column's sort key ("name", "ext", "size", "modified", "kind", "permissions").
    static QString columnKey(int column);
    static int initialWidth(int column);

    // A drop of local entries, onto a folder row or (nothing) onto the panel's
    // own folder. Returns whether the drop was taken.
    using DropHandler =
        std::function<bool(const QList<FileUrl>& sources, const std::optional<FileUrl>& folderRow, bool moving)>;

    FileTableModel(const PreferencesStore& preferences, QObject* parent = nullptr);

    const PanelItems& items() const { return m_items; }
    // A change that may add, remove or reorder rows: the views start afresh.
    void changeRows(const std::function<void(PanelItems&)>& change);
    // A change of marks or sizes only: every cell is redrawn.
    void changeCells(const std::function<void(PanelItems&)>& change);

    // While a listing runs the rows are shown dimmed and cannot be selected.
    void setInteractive(bool interactive);
    bool isInteractive() const { return m_interactive; }
    void setDropHandler(DropHandler handler) { m_dropHandler = std::move(handler); }
    // Remote rows travel as the private remote-items text the panel makes of
    // them; a drop of such text goes to `drop`.
    using RemoteDragText = std::function<QByteArray(const QList<FileItem>& rows)>;
    using RemoteDropHandler =
        std::function<bool(const QByteArray& text, const std::optional<FileUrl>& folderRow, bool moving)>;
    void setRemoteDrag(RemoteDragText text, RemoteDropHandler drop)
    {
        m_remoteDragText = std::move(text);
        m_remoteDrop = std::move(drop);
    }
    const FileTextFormatter& formatter() const { return m_formatter; }
    // The font of the information columns (the widest, a folder's).
    const QFont& informationFont() const { return m_folderCellFont; }

    // Broken invariants of the rows in words; empty when consistent.
    QStringList consistencyProblems() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

private:
    QString cellText(const FileItem& item, int column) const;
    QColor rowColor(const FileItem& item) const;

    const PreferencesStore& m_preferences;
    PanelItems m_items;
    FileTextFormatter m_formatter;
    mutable FileIconCache m_icons;
    QFont m_nameFont, m_folderNameFont, m_cellFont, m_folderCellFont;
    bool m_interactive = true;
    DropHandler m_dropHandler;
    RemoteDragText m_remoteDragText;
    RemoteDropHandler m_remoteDrop;
};
