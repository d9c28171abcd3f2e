#include "remote/FtpListing.h"

#include "core/NaturalOrder.h"
#include "core/TextLines.h"

#include <algorithm>

namespace {

// Eight fields separated by runs of white space, then the name: everything after
// the single white-space character that follows the eighth field.
std::optional<RemoteEntry> parseLine(const QString& line)
{
    QStringList fields;
    qsizetype i = 0;
    const qsizetype length = line.size();
    while (fields.size() < 8) {
        while (i < length && line[i].isSpace())
            ++i;
        if (i == length)
            return std::nullopt;
        const qsizetype start = i;
        while (i < length && !line[i].isSpace())
            ++i;
        fields.append(line.mid(start, i - start));
    }
    if (i >= length)
        return std::nullopt;
    const QString name = line.mid(i + 1);
    const QString& permissions = fields[0];
    if (!(permissions.startsWith(u'd') || permissions.startsWith(u'-') || permissions.startsWith(u'l')))
        return std::nullopt;
    if (name.isEmpty() || name == u"." || name == u"..")
        return std::nullopt;

    RemoteEntry entry;
    entry.name = name;
    entry.isDirectory = permissions.startsWith(u'd');
    bool ok = false;
    const qint64 size = fields[4].toLongLong(&ok, 10);
    if (ok)
        entry.size = size;
    entry.modified = fields[5] + u' ' + fields[6] + u' ' + fields[7];
    return entry;
}

} // namespace

namespace FtpListing {

QList<RemoteEntry> parse(const QString& listing)
{
    QList<RemoteEntry> entries;
    for (const QString& line : splitNonEmptyLines(listing))
        if (auto entry = parseLine(line))
            entries.append(std::move(*entry));
    sortEntries(entries);
    return entries;
}

QList<RemoteEntry> parseNamesOnly(const QString& listing)
{
    QList<RemoteEntry> entries;
    for (const QString& name : splitNonEmptyLines(listing))
        if (name != u"." && name != u"..")
            entries.append(RemoteEntry{name, false, std::nullopt, QString()});
    return entries;
}

void sortEntries(QList<RemoteEntry>& entries)
{
    std::vector<std::pair<QString, RemoteEntry>> keyed;
    keyed.reserve(entries.size());
    for (RemoteEntry& entry : entries)
        keyed.emplace_back(NaturalOrder::sortKey(entry.name), std::move(entry));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (a.second.isDirectory != b.second.isDirectory)
            return a.second.isDirectory;
        return a.first < b.first;
    });
    entries.clear();
    for (auto& [key, entry] : keyed)
        entries.append(std::move(entry));
}

} // namespace FtpListing
