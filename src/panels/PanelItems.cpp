#include "panels/PanelItems.h"

#include "core/FileSystemCore.h"
#include "core/MaskList.h"

#include <QStringList>
#include <algorithm>

void PanelItems::setListing(QList<FileItem> listing)
{
    m_all = std::move(listing);
    if (!m_marked.isEmpty()) {
        QSet<FileUrl> listed;
        for (const FileItem& item : std::as_const(m_all))
            if (m_marked.contains(item.url))
                listed.insert(item.url);
        m_marked = std::move(listed);
    }
    applyFilterAndSort();
}

void PanelItems::clear()
{
    m_all.clear();
    m_items.clear();
}

void PanelItems::setFilter(const QString& text)
{
    m_filter = text;
    applyFilterAndSort();
}

void PanelItems::setSort(std::optional<ColumnSort> sort)
{
    m_sort = std::move(sort);
    if (m_sort)
        FileSystemCore::sortByColumn(m_items, m_sort->key, m_sort->ascending);
}

void PanelItems::setMarked(const QSet<FileUrl>& marked)
{
    m_marked.clear();
    for (const FileItem& item : std::as_const(m_all))
        if (marked.contains(item.url))
            m_marked.insert(item.url);
}

bool PanelItems::toggleMark(int row)
{
    const FileUrl& url = m_items.at(row).url;
    if (m_marked.remove(url))
        return false;
    m_marked.insert(url);
    return true;
}

void PanelItems::markAllFiles()
{
    for (const FileItem& item : std::as_const(m_items))
        if (!item.isDirectory)
            m_marked.insert(item.url);
}

void PanelItems::invertMarks()
{
    for (const FileItem& item : std::as_const(m_items))
        if (!item.isDirectory && !m_marked.remove(item.url))
            m_marked.insert(item.url);
}

void PanelItems::mark(const QString& masks, bool selecting)
{
    const MaskList maskList(masks);
    for (const FileItem& item : std::as_const(m_items)) {
        if (item.isDirectory || !maskList.matches(item.name()))
            continue;
        if (selecting)
            m_marked.insert(item.url);
        else
            m_marked.remove(item.url);
    }
}

std::optional<qint64> PanelItems::calculatedSize(const FileUrl& folder) const
{
    const auto found = m_calculated.constFind(folder);
    if (found == m_calculated.cend())
        return std::nullopt;
    return *found;
}

bool PanelItems::beginCalculation(const FileUrl& folder)
{
    if (m_calculated.contains(folder) || m_calculating.contains(folder))
        return false;
    m_calculating.insert(folder);
    return true;
}

void PanelItems::finishCalculation(const FileUrl& folder, std::optional<qint64> size)
{
    m_calculating.remove(folder);
    if (size)
        m_calculated.insert(folder, *size);
}

qint64 PanelItems::countedSize(const FileItem& item) const
{
    return calculatedSize(item.url).value_or(item.size);
}

PanelItems::Selection PanelItems::selection(const QList<int>& selectedRows) const
{
    Selection result;
    QList<int> rows = selectedRows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QSet<FileUrl> pendingMarks = m_marked;
    qsizetype nextSelected = 0;
    for (int row = 0; row < m_items.size() && (nextSelected < rows.size() || !pendingMarks.isEmpty()); ++row) {
        const FileItem& item = m_items.at(row);
        const bool selected = nextSelected < rows.size() && rows.at(nextSelected) == row;
        if (selected)
            ++nextSelected;
        if (pendingMarks.remove(item.url) || selected) {
            result.urls.append(item.url);
            result.bytes += countedSize(item);
        }
    }
    for (const FileItem& item : m_all) {
        if (pendingMarks.isEmpty())
            break;
        if (pendingMarks.remove(item.url)) {
            result.urls.append(item.url);
            result.bytes += countedSize(item);
        }
    }
    return result;
}

void PanelItems::applyFilterAndSort()
{
    if (m_filter.isEmpty()) {
        m_items = m_all;
    } else {
        m_items.clear();
        for (const FileItem& item : std::as_const(m_all))
            if (item.name().contains(m_filter, Qt::CaseInsensitive))
                m_items.append(item);
    }
    if (m_sort)
        FileSystemCore::sortByColumn(m_items, m_sort->key, m_sort->ascending);
}

QStringList PanelItems::consistencyProblems() const
{
    QStringList problems;
    QHash<FileUrl, qsizetype> listed; // listing position by entry
    for (qsizetype position = 0; position < m_all.size(); ++position)
        if (!listed.contains(m_all[position].url))
            listed.insert(m_all[position].url, position);
        else
            problems.append(QStringLiteral("doppelt gelistet: ") + m_all[position].url.path());

    qsizetype expectedVisible = 0;
    for (const FileItem& item : m_all)
        if (item.name().contains(m_filter, Qt::CaseInsensitive))
            ++expectedVisible;
    if (m_items.size() != expectedVisible)
        problems.append(QStringLiteral("%1 sichtbare statt %2 gefilterte Einträge").arg(m_items.size()).arg(expectedVisible));
    for (const FileItem& item : m_items) {
        if (!listed.contains(item.url))
            problems.append(QStringLiteral("sichtbar, aber nicht gelistet: ") + item.url.path());
        if (!item.name().contains(m_filter, Qt::CaseInsensitive))
            problems.append(QStringLiteral("sichtbar trotz Filter: ") + item.url.path());
    }

    QList<FileItem> ordered = m_items;
    if (m_sort)
        FileSystemCore::sortByColumn(ordered, m_sort->key, m_sort->ascending);
    else
        std::stable_sort(ordered.begin(), ordered.end(), [&listed](const FileItem& a, const FileItem& b) {
            return listed.value(a.url) < listed.value(b.url);
        });
    if (ordered != m_items)
        problems.append(QStringLiteral("sichtbare Einträge nicht in der gewählten Reihenfolge"));

    for (const FileUrl& url : m_marked)
        if (!listed.contains(url))
            problems.append(QStringLiteral("markiert, aber nicht gelistet: ") + url.path());
    for (const FileUrl& url : m_calculating)
        if (m_calculated.contains(url))
            problems.append(QStringLiteral("Größe bekannt und zugleich in Berechnung: ") + url.path());
    return problems;
}
