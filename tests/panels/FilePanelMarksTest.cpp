#include "PanelTestSupport.h"

#include "core/ByteCount.h"
#include "core/FileSystemCore.h"
#include "panels/FileTableModel.h"
#include "panels/PanelWorker.h"

#include <QMenu>
#include <QMimeData>
#include <QSemaphore>
#include <QTableView>
#include <QTest>

namespace {

using MarksTest = PanelTest;

QString cell(FilePanelController& panel, int row, int column)
{
    return panel.tableModel().data(panel.tableModel().index(row, column), Qt::DisplayRole).toString();
}

} // namespace

TEST_F(MarksTest, SpaceMarksTheCursorRowAndAMarkedFolderGetsItsSize)
{
    temp.write("Alben/foto.jpg", QByteArray(10000, 'x'));
    temp.write("notiz.txt", "n");
    auto panel = makePanel(temp.url());
    const int folderRow = rowOf(*panel, "Alben");
    QSemaphore release;
    workerOf(*panel).setSizeFunction([&release](const FileUrl& folder, const CancellationToken& token) {
        release.acquire();
        return FileSystemCore::directorySize(folder, token);
    });

    panel->toggleCurrentSelection();
    EXPECT_TRUE(panel->marked().isEmpty()) << "no cursor row, no mark";

    selectRows(*panel, {folderRow});
    panel->toggleCurrentSelection();
    EXPECT_EQ(cell(*panel, folderRow, 0), QStringLiteral("✓ Alben"));
    EXPECT_EQ(cell(*panel, folderRow, 2), QStringLiteral("…"));
    release.release();
    settle(*panel);
    const qint64 size = FileSystemCore::directorySize(temp.file("Alben"));
    ASSERT_GT(size, 0);
    EXPECT_EQ(cell(*panel, folderRow, 2), ByteCount::text(size));
    EXPECT_EQ(panel->selectedURLs(), QList<FileUrl>{temp.file("Alben")});
    EXPECT_EQ(panel->table()->currentIndex().row(), folderRow) << "the cursor stays on its row";

    // Unmarking keeps the size; marking again computes nothing more.
    panel->toggleCurrentSelection();
    EXPECT_EQ(cell(*panel, folderRow, 0), QStringLiteral("Alben"));
    panel->toggleCurrentSelection();
    EXPECT_EQ(cell(*panel, folderRow, 2), ByteCount::text(size));
}

TEST_F(MarksTest, MarkAllInvertAndMasksKeepTheCursorRow)
{
    for (const char* name : {"a.jpg", "b.png", "c.txt"})
        temp.write(name);
    temp.makeFolder("Eins");
    temp.makeFolder("Zwei");
    auto panel = makePanel(temp.url());
    selectRows(*panel, {0});
    panel->toggleCurrentSelection(); // the folder "Eins" by hand
    selectRows(*panel, {3});

    panel->markAllFiles();
    EXPECT_EQ(panel->marked().size(), 4);
    EXPECT_EQ(panel->table()->currentIndex().row(), 3);
    panel->invertMarks();
    EXPECT_EQ(panel->marked(), QSet<FileUrl>{temp.file("Eins")});

    panel->mark(QStringLiteral("*.JPG,*.png"), true);
    EXPECT_EQ(panel->marked().size(), 3);
    EXPECT_EQ(panel->table()->currentIndex().row(), 3);

    // Marks belong to the folder: they go when the panel moves on.
    panel->navigate(temp.file("Zwei"));
    EXPECT_TRUE(panel->marked().isEmpty());
    waitForListing(*panel);
}

TEST_F(MarksTest, ContextMenuActivatesThePanelThenRunsTheCommand)
{
    temp.write("datei.txt");
    delegate.menuItems = {{QStringLiteral("Quick Look"), QStringLiteral("quickLookSelection"), false},
                          {QStringLiteral("In den Papierkorb"), QStringLiteral("trashSelection"), true}};
    auto panel = makePanel(temp.url());
    delegate.left = panel.get();
    auto* menu = panel->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 4); // "Öffnen", the two items and the separator between them

    menu->actions().last()->trigger();
    menu->actions().at(1)->trigger();
    EXPECT_EQ(delegate.commands, (QStringList{"trashSelection", "quickLookSelection"}));
    EXPECT_EQ(delegate.calls, (QStringList{"activate", "command", "activate", "command"}));
    EXPECT_TRUE(delegate.activations.first().focusTable);
    EXPECT_TRUE(panel->isActive());

    // "Öffnen" is the panel's own: a file goes to the desktop's opener.
    QList<FileUrl> opened;
    panel->setFileOpener([&opened](const FileUrl& file) { opened.append(file); });
    selectRows(*panel, {0});
    menu->actions().first()->trigger();
    EXPECT_EQ(opened, QList<FileUrl>{temp.file("datei.txt")});
    EXPECT_EQ(delegate.commands.size(), 2);
}

TEST_F(MarksTest, DoubleClickOpensFoldersAndHandsFilesToTheOpener)
{
    temp.write("Unterordner/x");
    temp.write("brief.txt");
    auto panel = makePanel(temp.url());
    QList<FileUrl> opened;
    panel->setFileOpener([&opened](const FileUrl& file) { opened.append(file); });
    panel->resize(800, 400);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    QTableView* table = panel->table();

    const QRect fileRow = table->visualRect(table->model()->index(rowOf(*panel, "brief.txt"), 0));
    // A double click is a click and then the double-click event on the same spot.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, fileRow.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, fileRow.center());
    EXPECT_EQ(opened, QList<FileUrl>{temp.file("brief.txt")});

    const QRect folderRow = table->visualRect(table->model()->index(rowOf(*panel, "Unterordner"), 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, folderRow.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, folderRow.center());
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), temp.file("Unterordner"));
}

TEST_F(MarksTest, DropsFromTheOtherPanelCopyOrMoveWithShiftAndNeverIntoThemselves)
{
    const FileUrl source = temp.makeFolder("quelle"), target = temp.makeFolder("ziel");
    temp.write("quelle/caf\xe9.txt");
    temp.makeFolder("quelle/Sammlung/Teil");
    temp.makeFolder("ziel/Fach");
    auto left = makePanel(source, QStringLiteral("Left"));
    auto right = makePanel(target, QStringLiteral("Right"));
    delegate.left = left.get();
    delegate.right = right.get();
    FileTableModel& from = left->tableModel();
    FileTableModel& to = right->tableModel();

    const FileUrl odd = source.appending(QByteArray("caf\xe9.txt"));
    const int oddRow = int(std::find_if(left->items().cbegin(), left->items().cend(),
                                        [&](const FileItem& item) { return item.url == odd; })
                           - left->items().cbegin());
    std::unique_ptr<QMimeData> file(from.mimeData({from.index(oddRow, 0)}));
    ASSERT_TRUE(to.dropMimeData(file.get(), Qt::CopyAction, -1, -1, {}));
    ASSERT_TRUE(to.dropMimeData(file.get(), Qt::MoveAction, -1, -1, to.index(rowOf(*right, "Fach"), 0)));
    ASSERT_EQ(delegate.drops.size(), 2);
    EXPECT_EQ(delegate.drops[0].panel, right.get());
    EXPECT_EQ(delegate.drops[0].sources, QList<FileUrl>{odd}) << "the exact bytes, not the text shown";
    EXPECT_EQ(delegate.drops[0].destination, target);
    EXPECT_FALSE(delegate.drops[0].moving);
    EXPECT_EQ(delegate.drops[1].destination, temp.file("ziel/Fach"));
    EXPECT_TRUE(delegate.drops[1].moving);
    EXPECT_EQ(delegate.active, right.get()) << "the drop panel becomes active";

    // A folder dropped onto itself or onto its own subfolder only beeps.
    std::unique_ptr<QMimeData> folder(from.mimeData({from.index(rowOf(*left, "Sammlung"), 0)}));
    EXPECT_FALSE(from.dropMimeData(folder.get(), Qt::CopyAction, -1, -1, from.index(rowOf(*left, "Sammlung"), 0)));
    left->navigate(temp.file("quelle/Sammlung"));
    waitForListing(*left);
    EXPECT_FALSE(from.dropMimeData(folder.get(), Qt::MoveAction, -1, -1, from.index(0, 0)));
    EXPECT_FALSE(from.dropMimeData(folder.get(), Qt::MoveAction, -1, -1, {}));
    EXPECT_EQ(interaction.beepCount(), 3);
    EXPECT_EQ(delegate.drops.size(), 2);
}

TEST_F(MarksTest, TheShiftKeyAtTheMomentOfTheDropDecidesAMove)
{
    temp.write("a/eins.txt");
    temp.makeFolder("b/Fach");
    auto panel = makePanel(temp.file("b"));
    panel->resize(800, 400);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), "file://" + temp.file("a/eins.txt").nativePath() + "\r\n");
    QWidget* viewport = panel->table()->viewport();
    const QPoint onFolder = panel->table()->visualRect(panel->tableModel().index(0, 0)).center();
    const QPoint belowRows(10, viewport->height() - 5);

    // As the platform delivers a drag: it enters, then drops.
    const auto drop = [&](QPoint position, Qt::KeyboardModifiers modifiers) {
        QDragEnterEvent enter(position, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent dropped(position, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(viewport, &dropped);
    };
    drop(onFolder, Qt::ShiftModifier);
    drop(belowRows, Qt::NoModifier);

    ASSERT_EQ(delegate.drops.size(), 2);
    EXPECT_TRUE(delegate.drops[0].moving);
    EXPECT_EQ(delegate.drops[0].destination, temp.file("b/Fach"));
    EXPECT_FALSE(delegate.drops[1].moving);
    EXPECT_EQ(delegate.drops[1].destination, temp.file("b"));
    EXPECT_EQ(delegate.drops[0].sources, QList<FileUrl>{temp.file("a/eins.txt")});
}
