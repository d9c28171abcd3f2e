#include "panels/PanelItems.h"

#include <gtest/gtest.h>

namespace {

FileItem entry(const QByteArray& name, bool folder = false, qint64 size = 0)
{
    FileItem item;
    item.url = FileUrl::fromNativePath("/f/" + name);
    item.isDirectory = folder;
    item.size = size;
    item.modeBits = 0644;
    return item;
}

QStringList names(const QList<FileItem>& items)
{
    QStringList result;
    for (const FileItem& item : items)
        result.append(item.name());
    return result;
}

template <typename Urls>
QStringList names(const Urls& urls)
{
    QStringList result;
    for (const FileUrl& url : urls)
        result.append(url.fileName());
    if constexpr (std::is_same_v<Urls, QSet<FileUrl>>)
        result.sort();
    return result;
}

// Two folders, three files: the listing of the marking examples.
PanelItems mixedFolder()
{
    PanelItems items;
    items.setListing({entry("Alben", true), entry("Briefe", true), entry("a.jpg", false, 100),
                      entry("b.PNG", false, 200), entry("notiz.txt", false, 50)});
    return items;
}

} // namespace

TEST(PanelItemsTest, MarkAllAndInvertActOnFilesAndLeaveFoldersAsMarkedByHand)
{
    PanelItems items = mixedFolder();
    ASSERT_TRUE(items.toggleMark(0)); // "Alben" by hand
    items.markAllFiles();
    EXPECT_EQ(names(items.marked()), (QStringList{"Alben", "a.jpg", "b.PNG", "notiz.txt"}));
    items.invertMarks();
    EXPECT_EQ(names(items.marked()), QStringList{"Alben"});
    items.invertMarks();
    EXPECT_EQ(names(items.marked()), (QStringList{"Alben", "a.jpg", "b.PNG", "notiz.txt"}));
    EXPECT_FALSE(items.toggleMark(0));
    EXPECT_TRUE(items.consistencyProblems().isEmpty()) << items.consistencyProblems().join('\n').toStdString();
}

TEST(PanelItemsTest, MasksMarkAndUnmarkVisibleFilesOnly)
{
    PanelItems items = mixedFolder();
    items.setListing(items.allItems() + QList<FileItem>{entry("Bilder.jpg", true)});
    items.mark(QStringLiteral("*.jpg; *.png"), true);
    EXPECT_EQ(names(items.marked()), (QStringList{"a.jpg", "b.PNG"})) << "case ignored; a folder never matches";
    items.mark(QStringLiteral("a*"), false);
    EXPECT_EQ(names(items.marked()), QStringList{"b.PNG"});

    items.setFilter(QStringLiteral("NOTIZ"));
    items.mark(QStringLiteral("*"), true);
    EXPECT_EQ(names(items.marked()), (QStringList{"b.PNG", "notiz.txt"})) << "entries hidden by the filter stay";
}

TEST(PanelItemsTest, MarksOfEntriesThatLeaveTheListingAreDropped)
{
    PanelItems items = mixedFolder();
    items.markAllFiles();
    QList<FileItem> listing = items.allItems();
    listing.removeAt(2); // a.jpg is gone
    items.setListing(listing);
    EXPECT_EQ(names(items.marked()), (QStringList{"b.PNG", "notiz.txt"}));

    items.setMarked({entry("notiz.txt").url, entry("elsewhere").url});
    EXPECT_EQ(names(items.marked()), QStringList{"notiz.txt"});
}

TEST(PanelItemsTest, TheSelectionUnitesSelectedRowsAndMarksOnceEach)
{
    PanelItems items = mixedFolder();
    items.toggleMark(4);                                  // notiz.txt
    items.toggleMark(3);                                  // b.PNG, also selected below
    const PanelItems::Selection selection = items.selection({3, 2});
    EXPECT_EQ(names(selection.urls), (QStringList{"a.jpg", "b.PNG", "notiz.txt"})) << "table order";
    EXPECT_EQ(selection.bytes, 350);

    // A folder counts with its computed size; a mark hidden by the filter still counts.
    ASSERT_TRUE(items.beginCalculation(entry("Alben", true).url));
    EXPECT_FALSE(items.beginCalculation(entry("Alben", true).url)) << "one computation per folder";
    items.finishCalculation(entry("Alben", true).url, 4096);
    EXPECT_FALSE(items.beginCalculation(entry("Alben", true).url)) << "a known size is kept";
    items.setFilter(QStringLiteral("a"));
    EXPECT_EQ(names(items.items()), (QStringList{"Alben", "a.jpg"}));
    const PanelItems::Selection filtered = items.selection({0});
    EXPECT_EQ(names(filtered.urls), (QStringList{"Alben", "b.PNG", "notiz.txt"}));
    EXPECT_EQ(filtered.bytes, 4096 + 200 + 50);

    EXPECT_TRUE(PanelItems().selection({}).urls.isEmpty());

    // A failed computation leaves no size and may be asked for again.
    const FileUrl letters = entry("Briefe", true).url;
    ASSERT_TRUE(items.beginCalculation(letters));
    items.finishCalculation(letters, std::nullopt);
    EXPECT_FALSE(items.isCalculating(letters));
    EXPECT_EQ(items.calculatedSize(letters), std::nullopt);
    EXPECT_TRUE(items.beginCalculation(letters));
}

TEST(PanelItemsTest, FilterIsAPlainCaseInsensitiveSubstringAndSortKeepsFoldersFirst)
{
    PanelItems items = mixedFolder();
    items.setFilter(QStringLiteral("*.jpg"));
    EXPECT_TRUE(items.items().isEmpty()) << "no wildcards in the filter";
    items.setFilter(QStringLiteral("B"));
    EXPECT_EQ(names(items.items()), (QStringList{"Alben", "Briefe", "b.PNG"}));

    items.setFilter({});
    items.setSort(PanelItems::ColumnSort{QStringLiteral("size"), false});
    EXPECT_EQ(names(items.items()), (QStringList{"Alben", "Briefe", "b.PNG", "a.jpg", "notiz.txt"}));
    // A new listing keeps the chosen sort.
    items.setListing(items.allItems() + QList<FileItem>{entry("gross.bin", false, 999)});
    EXPECT_EQ(names(items.items()).mid(2, 2), (QStringList{"gross.bin", "b.PNG"}));
    EXPECT_TRUE(items.consistencyProblems().isEmpty()) << items.consistencyProblems().join('\n').toStdString();
}
