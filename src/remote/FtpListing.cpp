#include "remote/FtpListing.h"

#include "core/NaturalOrder.h"
#include "core/TextLines.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

namespace {

// Eight fields separated by runs of white space, then the name: everything after
// the single white-space character that follows the eighth field. The fields are
// views into the line: only the name and the date become strings of their own.
std::optional<RemoteEntry> parseLine(QStringView line)
{
    std::array<QStringView, 8> fields;
    qsizetype i = 0;
    const qsizetype length = line.size();
    for (QStringView& field : fields) {
        while (i < length && line[i].isSpace())
            ++i;
        if (i == length)
            return std::nullopt;
        const qsizetype start = i;
        while (i < length && !line[i].isSpace())
            ++i;
        field = line.sliced(start, i - start);
    }
    if (i >= length)
        return std::nullopt;
    const QStringView name = line.sliced(i + 1);
    const QChar type = fields[0].front();
    if (type != u'd' && type != u'-' && type != u'l')
        return std::nullopt;
    RemoteEntry entry;
    entry.isLink = type == u'l';
    // Servers show a link as "name -> target"; the target is no part of the name.
    const qsizetype arrow = entry.isLink ? name.indexOf(u" -> ") : -1;
    const QStringView ownName = arrow > 0 ? name.first(arrow) : name;
    if (ownName.isEmpty() || ownName == u"." || ownName == u"..")
        return std::nullopt;
    entry.name = ownName.toString();
    entry.isDirectory = type == u'd';
    bool ok = false;
    const qint64 size = fields[4].toLongLong(&ok, 10);
    if (ok)
        entry.size = size;
    entry.modified.reserve(fields[5].size() + fields[6].size() + fields[7].size() + 2);
    entry.modified.append(fields[5]).append(u' ').append(fields[6]).append(u' ').append(fields[7]);
    return entry;
}

} // namespace

namespace FtpListing {

QList<RemoteEntry> parseUnsorted(const QString& listing)
{
    const QStringList lines = splitNonEmptyLines(listing);
    QList<RemoteEntry> entries;
    entries.reserve(lines.size());
    for (const QString& line : lines)
        if (auto entry = parseLine(line))
            entries.append(std::move(*entry));
    return entries;
}

QList<RemoteEntry> parse(const QString& listing)
{
    QList<RemoteEntry> entries = parseUnsorted(listing);
    sortEntries(entries);
    return entries;
}

QList<RemoteEntry> parseNamesOnly(const QString& listing)
{
    QList<RemoteEntry> entries;
    for (const QString& name : splitNonEmptyLines(listing))
        if (name != u"." && name != u"..")
            entries.append(RemoteEntry{name, false, std::nullopt, QString(), false, false});
    return entries;
}

void sortEntries(QList<RemoteEntry>& entries)
{
    // Keys are computed once per name; the sort moves indices, not entries.
    std::vector<QString> keys;
    keys.reserve(size_t(entries.size()));
    for (const RemoteEntry& entry : entries)
        keys.push_back(NaturalOrder::sortKey(entry.name));
    std::vector<qsizetype> order(size_t(entries.size()));
    std::iota(order.begin(), order.end(), 0);
    const QList<RemoteEntry>& unsorted = entries;
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (unsorted[a].isDirectory != unsorted[b].isDirectory)
            return unsorted[a].isDirectory;
        return keys[size_t(a)] < keys[size_t(b)];
    });
    QList<RemoteEntry> sorted;
    sorted.reserve(entries.size());
    for (qsizetype index : order)
        sorted.append(std::move(entries[index]));
    entries = std::move(sorted);
}

} // namespace FtpListing
