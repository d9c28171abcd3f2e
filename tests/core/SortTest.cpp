#include "core/FileSystemCore.h"
#include "core/NaturalOrder.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

FileItem entry(const char* name, bool folder = false, qint64 size = 0, std::optional<int> modifiedSeconds = {},
               quint16 mode = 0644)
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

TEST(NaturalOrder, DigitRunsCompareByValue)
{
    const QStringList ordered{"a", "a0", "a1", "a01x", "a2", "a9", "a10", "a99999999999999999999", "a100000000000000000000", "b"};
    for (qsizetype i = 0; i + 1 < ordered.size(); ++i)
        EXPECT_LT(NaturalOrder::compare(ordered[i], ordered[i + 1]), 0) << ordered[i].toStdString();
    EXPECT_EQ(NaturalOrder::compare(u"Datei", u"DATEI"), 0);
    EXPECT_EQ(NaturalOrder::compare(u"file007", u"file7"), 0);
    EXPECT_LT(NaturalOrder::compare(u"file-1", u"file1"), 0);
}

TEST(NaturalOrder, AccentsSortBesideTheirLetters)
{
    EXPECT_LT(NaturalOrder::compare(u"Apfel", u"Äpfel"), 0);
    EXPECT_LT(NaturalOrder::compare(u"Äpfel", u"Birne"), 0);
    EXPECT_LT(NaturalOrder::compare(u"élan", u"Zug"), 0);
    EXPECT_EQ(NaturalOrder::compare(u"Äpfel", u"äPFEL"), 0);
    EXPECT_EQ(NaturalOrder::sortKeyFromUtf8("Datei 12", 8), NaturalOrder::sortKey(u"datei 12"));
}

TEST(ColumnSort, FoldersStayFirstInBothDirections)
{
    const QList<FileItem> items{entry("klein", false, 1), entry("A", true), entry("gross", false, 900), entry("B", true)};
    EXPECT_EQ(sortedNames(items, "size", false), (QStringList{"A", "B", "gross", "klein"}));
    EXPECT_EQ(sortedNames(items, "size", true), (QStringList{"A", "B", "klein", "gross"}));
    EXPECT_EQ(sortedNames(items, "name", false), (QStringList{"B", "A", "klein", "gross"}));
}

TEST(ColumnSort, MissingDatesCountAsEarliest)
{
    const QList<FileItem> items{entry("neu", false, 0, 200), entry("ohne"), entry("alt", false, 0, -100)};
    EXPECT_EQ(sortedNames(items, "modified", true), (QStringList{"ohne", "alt", "neu"}));
    EXPECT_EQ(sortedNames(items, "modified", false), (QStringList{"neu", "alt", "ohne"}));
}

TEST(ColumnSort, EqualKeysKeepTheirPreviousOrderInBothDirections)
{
    const QList<FileItem> items{entry("c.txt", false, 5), entry("a.txt", false, 5), entry("b.md", false, 5)};
    EXPECT_EQ(sortedNames(items, "size", true), (QStringList{"c.txt", "a.txt", "b.md"}));
    EXPECT_EQ(sortedNames(items, "size", false), (QStringList{"c.txt", "a.txt", "b.md"}));
    EXPECT_EQ(sortedNames(items, "ext", true), (QStringList{"b.md", "c.txt", "a.txt"}));
    EXPECT_EQ(sortedNames(items, "ext", false), (QStringList{"c.txt", "a.txt", "b.md"}));
}

TEST(ColumnSort, KindPermissionsAndUnknownKeys)
{
    const QList<FileItem> items{entry("z.PDF", false, 0, {}, 0755), entry("Makefile", false, 0, {}, 0644),
                                entry("a.pdf", false, 0, {}, 04755), entry("m.gz", false, 0, {}, 0600)};
    // Datei, GZ, PDF, PDF — the two PDFs keep their order.
    EXPECT_EQ(sortedNames(items, "kind", true), (QStringList{"Makefile", "m.gz", "z.PDF", "a.pdf"}));
    // Plain text comparison: "4755" < "600" < "644" < "755".
    EXPECT_EQ(sortedNames(items, "permissions", true), (QStringList{"a.pdf", "m.gz", "Makefile", "z.PDF"}));
    // A point sorts before letters: "m.gz" before "Makefile".
    EXPECT_EQ(sortedNames(items, "unbekannt", true), (QStringList{"a.pdf", "m.gz", "Makefile", "z.PDF"}));
    EXPECT_EQ(sortedNames(items, QString(), true), sortedNames(items, "name", true));
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
