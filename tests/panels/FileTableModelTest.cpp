#include "panels/FileTableModel.h"
#include "preferences/DisplayColors.h"
#include "preferences/SettingsFile.h"

#include <QBrush>
#include <QIcon>
#include <QMimeData>
#include <QSet>
#include <gtest/gtest.h>
#include <memory>

namespace {

using ColorKey = PreferencesStore::ColorKey;

FileItem entry(const QByteArray& path, bool folder = false, qint64 size = 0)
{
    FileItem item;
    item.url = FileUrl::fromNativePath(path);
    item.isDirectory = folder;
    item.size = size;
    item.modeBits = folder ? 0755 : 0640;
    item.modified = FileTime(std::chrono::seconds(1700000000));
    return item;
}

class FileTableModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        brenvikSettings().clear();
        model = std::make_unique<FileTableModel>(store);
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QString text(int row, int column) const { return model->data(model->index(row, column), Qt::DisplayRole).toString(); }
    QColor color(int row) const
    {
        return model->data(model->index(row, 0), Qt::ForegroundRole).value<QBrush>().color();
    }
    void list(const QList<FileItem>& listing)
    {
        model->changeRows([&](PanelItems& items) { items.setListing(listing); });
    }

    PreferencesStore store{brenvikSettings()};
    std::unique_ptr<FileTableModel> model;
};

} // namespace

TEST_F(FileTableModelTest, ColumnsAndCellTexts)
{
    FileItem undated = entry("/d/LIESMICH", false, 1234567);
    undated.modified.reset();
    FileItem folderLink = entry("/d/Verknüpfung.d", false, 11);
    folderLink.isSymbolicLink = true;
    list({entry("/d/Fotos.2024", true), entry("/d/Bericht.final.PDF", false, 999), undated, folderLink});

    EXPECT_EQ(text(0, 1), QString()) << "a folder has no extension";
    EXPECT_EQ(text(0, 2), QStringLiteral("<DIR>"));
    EXPECT_EQ(text(0, 4), QStringLiteral("Ordner"));
    EXPECT_EQ(text(0, 5), QStringLiteral("755"));
    EXPECT_EQ(text(1, 1), QStringLiteral("PDF")) << "the last extension";
    EXPECT_EQ(text(2, 2), QStringLiteral("1,2 MB"));
    EXPECT_EQ(text(2, 3), QStringLiteral("—"));
    EXPECT_EQ(text(3, 4), QStringLiteral("Link")) << "a link to a folder is a link";
    // Local time, numeric date and short time.
    EXPECT_EQ(text(0, 3), QDateTime::fromSecsSinceEpoch(1700000000).toString(QStringLiteral("dd.MM.yy HH:mm")));
}

TEST_F(FileTableModelTest, MarksAndFolderSizesShowInTheCells)
{
    const FileItem folder = entry("/d/Alben", true);
    list({folder, entry("/d/a.txt", false, 5)});

    model->changeCells([](PanelItems& items) { items.toggleMark(1); });
    EXPECT_EQ(text(1, 0), QStringLiteral("✓ a.txt"));
    model->changeCells([](PanelItems& items) { items.toggleMark(1); });
    EXPECT_EQ(text(1, 0), QStringLiteral("a.txt"));

    model->changeCells([&](PanelItems& items) { items.beginCalculation(folder.url); });
    EXPECT_EQ(text(0, 2), QStringLiteral("…"));
    model->changeCells([&](PanelItems& items) { items.finishCalculation(folder.url, std::nullopt); });
    EXPECT_EQ(text(0, 2), QStringLiteral("<DIR>"));
    model->changeCells([&](PanelItems& items) {
        items.beginCalculation(folder.url);
        items.finishCalculation(folder.url, 12288);
    });
    EXPECT_EQ(text(0, 2), QStringLiteral("12,3 kB"));
}

TEST_F(FileTableModelTest, ColoursFollowThePreferencesAtTheNextRedraw)
{
    FileItem link = entry("/d/zu-ordner", false);
    link.isSymbolicLink = true;
    list({entry("/d/Ordner", true), entry("/d/datei.txt"), link});
    EXPECT_EQ(color(0), DisplayColors::defaultColor(ColorKey::folder));
    EXPECT_EQ(color(1), DisplayColors::defaultColor(ColorKey::file));
    EXPECT_EQ(color(2), DisplayColors::defaultColor(ColorKey::file)) << "links take the file colour";

    ASSERT_TRUE(DisplayColors::save(store, ColorKey::folder, QColor(200, 30, 40)));
    ASSERT_TRUE(DisplayColors::save(store, ColorKey::file, QColor(10, 120, 10)));
    EXPECT_EQ(color(0), QColor(200, 30, 40));
    EXPECT_EQ(color(1), QColor(10, 120, 10));

    // The folder icon is drawn in the folder colour.
    const QImage folderIcon = model->data(model->index(0, 0), Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
    EXPECT_EQ(folderIcon.pixelColor(8, 10).rgb(), QColor(200, 30, 40).rgb());

    // While a listing runs the rows are dimmed and cannot be chosen.
    model->setInteractive(false);
    EXPECT_EQ(model->flags(model->index(1, 0)), Qt::NoItemFlags);
    EXPECT_FALSE(model->data(model->index(1, 0), Qt::ForegroundRole).isValid());
    model->setInteractive(true);
    EXPECT_TRUE(model->flags(model->index(0, 0)).testFlag(Qt::ItemIsDropEnabled));
    EXPECT_FALSE(model->flags(model->index(1, 0)).testFlag(Qt::ItemIsDropEnabled));
}

TEST_F(FileTableModelTest, DragsCarryTheRowsOnceAndDropsNameTheFolderRow)
{
    const FileItem odd = entry("/d/caf\xe9.txt");
    list({entry("/d/Ziel", true), odd, entry("/d/b.txt")});
    std::unique_ptr<QMimeData> data(model->mimeData({model->index(1, 0), model->index(1, 3), model->index(2, 0)}));
    EXPECT_EQ(data->data("text/uri-list"), QByteArray("file:///d/caf%E9.txt\r\nfile:///d/b.txt\r\n"));

    QList<std::optional<FileUrl>> rows;
    EXPECT_FALSE(model->canDropMimeData(data.get(), Qt::CopyAction, -1, -1, {})) << "nobody takes drops yet";
    model->setDropHandler([&](const QList<FileUrl>& sources, const std::optional<FileUrl>& row, bool moving) {
        EXPECT_EQ(sources, (QList<FileUrl>{odd.url, entry("/d/b.txt").url}));
        EXPECT_EQ(moving, rows.isEmpty());
        rows.append(row);
        return true;
    });
    ASSERT_TRUE(model->dropMimeData(data.get(), Qt::MoveAction, -1, -1, model->index(0, 2)));
    ASSERT_TRUE(model->dropMimeData(data.get(), Qt::CopyAction, -1, -1, model->index(2, 0)));
    EXPECT_EQ(rows, (QList<std::optional<FileUrl>>{entry("/d/Ziel").url, std::nullopt})) << "a file row is the panel's folder";

    QMimeData text;
    text.setText(QStringLiteral("/d/b.txt"));
    EXPECT_FALSE(model->dropMimeData(&text, Qt::CopyAction, -1, -1, {}));
    EXPECT_EQ(rows.size(), 2);
}
