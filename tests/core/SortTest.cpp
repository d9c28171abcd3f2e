#include "core/FileSystemCore.h"
#include "core/NaturalOrder.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

FileItem entry(const char* name, bool folder, qint64 size, std::optional<int> modifiedSeconds = {}, quint16 mode = 0644)
{
    FileItem item;
    item.url = FileUrl::fromNativePath(QByteArray("/x/") + name);
    item.isDirectory = folder;
    item.size = size;
    if (modifiedSeconds)
        item.modified = FileTime(std::chrono::seconds(*modifiedSeconds));
    item.modeBits = mode;
    return item;
}

QStringList sortedNames(QList<FileItem> items, const QString& key, bool ascending)
{
    FileSystemCore::sortByColumn(items, key, ascending);
    QStringList names;
    for (const FileItem& item : items)
        names.append(item.name());
    return names;
}

TEST(NaturalOrder, DigitRunsByValueAccentsBesideTheirLettersCaseIgnored)
{
    const QStringList ordered{"a",   "a0",  "a1",    "a01x", "a2",   "a9", "a10", "a99999999999999999999",
                              "a100000000000000000000", "Apfel", "Äpfel", "b", "élan", "Zug"};
    for (qsizetype i = 0; i + 1 < ordered.size(); ++i)
        EXPECT_LT(NaturalOrder::compare(ordered[i], ordered[i + 1]), 0) << ordered[i].toStdString();
    EXPECT_EQ(NaturalOrder::compare(u"Äpfel", u"äPFEL"), 0);
    EXPECT_EQ(NaturalOrder::compare(u"file007", u"file7"), 0);
    EXPECT_LT(NaturalOrder::compare(u"file-1", u"file1"), 0);
    EXPECT_EQ(NaturalOrder::sortKeyFromUtf8("Datei 12", 8), NaturalOrder::sortKey(u"datei 12"));
}

// Folders stay first in both directions; equal keys keep their previous order
// in both; missing dates count as earliest.
TEST(ColumnSort, EachKeyInBothDirections)
{
    const QList<FileItem> items{entry("c.txt", false, 5, 200, 0755), entry("A", true, 0),
                                entry("a.csv", false, 900, {}, 04755), entry("Makefile", false, 5, -100, 0600)};
    struct Case {
        const char* key;
        QStringList ascending;
        QStringList descending;
    };
    for (const Case& c : {Case{"size", {"A", "c.txt", "Makefile", "a.csv"}, {"A", "a.csv", "c.txt", "Makefile"}},
                          Case{"name", {"A", "a.csv", "c.txt", "Makefile"}, {"A", "Makefile", "c.txt", "a.csv"}},
                          Case{"modified", {"A", "a.csv", "Makefile", "c.txt"}, {"A", "c.txt", "Makefile", "a.csv"}},
                          Case{"ext", {"A", "Makefile", "a.csv", "c.txt"}, {"A", "c.txt", "a.csv", "Makefile"}},
                          Case{"kind", {"A", "a.csv", "Makefile", "c.txt"}, {"A", "c.txt", "Makefile", "a.csv"}},
                          // Plain text comparison: "4755" < "600" < "755".
                          Case{"permissions", {"A", "a.csv", "Makefile", "c.txt"}, {"A", "c.txt", "Makefile", "a.csv"}}}) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(sortedNames(items, c.key, true), c.ascending);
        EXPECT_EQ(sortedNames(items, c.key, false), c.descending);
    }
    EXPECT_EQ(sortedNames(items, "unbekannt", true), sortedNames(items, "name", true));
}

TEST(ListingOrder, RemoteEntriesSortByTheirDecodedNames)
{
    QList<FileItem> items{FileItem::remoteEntry("P", "file10", false, 1), FileItem::remoteEntry("P", "Zeta", true, {}),
                          FileItem::remoteEntry("P", "file 2", false, 1), FileItem::remoteEntry("P", "file2", false, 1)};
    FileSystemCore::sortInListingOrder(items);
    QStringList names;
    for (const FileItem& item : items)
        names.append(item.name());
    EXPECT_EQ(names, (QStringList{"Zeta", "file 2", "file2", "file10"}));
}

} // namespace
