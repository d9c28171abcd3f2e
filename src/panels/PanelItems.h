#pragma once

#include "core/FileItem.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// The entries of one panel: the last listing, what the table shows of it
// (filtered by name, sorted by a column), the marks and the folder sizes
// computed on request. Plain data, no widgets: the table model shows it.
class PanelItems {
public:
    struct ColumnSort {
        QString key; // "name", "ext", "size", "modified", "kind", "permissions"
        bool ascending = true;
    };

    // The listing in listing order. Marks of entries no longer listed are dropped.
    void setListing(QList<FileItem> listing);
    void clear();
    const QList<FileItem>& allItems() const { return m_all; }
    const QList<FileItem>& items() const { return m_items; }

    // Plain case-insensitive substring of the name; empty shows everything.
    void setFilter(const QString& text);
    const QString& filter() const { return m_filter; }
    // Re-sorts the visible entries only; nothing keeps the listing order.
    void setSort(std::optional<ColumnSort> sort);
    const std::optional<ColumnSort>& sort() const { return m_sort; }

    const QSet<FileUrl>& marked() const { return m_marked; }
    bool isMarked(const FileUrl& url) const { return m_marked.contains(url); }
    // Keeps only marks of listed entries.
    void setMarked(const QSet<FileUrl>& marked);
    void clearMarks() { m_marked.clear(); }
    // Flips the mark of a visible row; true when it is now marked.
    bool toggleMark(int row);
    // The following act on visible entries that are not folders; folders keep their state.
    void markAllFiles();
    void invertMarks();
    void mark(const QString& masks, bool selecting);

    std::optional<qint64> calculatedSize(const FileUrl& folder) const;
    bool isCalculating(const FileUrl& folder) const { return m_calculating.contains(folder); }
    // False when the size is known or being computed already.
    bool beginCalculation(const FileUrl& folder);
    // A failed computation passes nothing and leaves no size.
    void finishCalculation(const FileUrl& folder, std::optional<qint64> size);

    // What commands act on: the selected rows and all marked entries, each once,
    // in table order, then marked entries the filter hides. The bytes count a
    // computed folder size where known, else the listed size.
    struct Selection {
        QList<FileUrl> urls;
        qint64 bytes = 0;
    };
    Selection selection(const QList<int>& selectedRows) const;

    // Broken invariants, in words; empty when the data is consistent.
    QStringList consistencyProblems() const;

private:
    void applyFilterAndSort();
    qint64 countedSize(const FileItem& item) const;

    QList<FileItem> m_all;
    QList<FileItem> m_items;
    QString m_filter;
    std::optional<ColumnSort> m_sort;
    QSet<FileUrl> m_marked;
    QHash<FileUrl, qint64> m_calculated;
    QSet<FileUrl> m_calculating;
};
