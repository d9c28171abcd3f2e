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

QPoint rowCenter(FilePanelController& panel, int row)
{
    return panel.table()->visualRect(panel.tableModel().index(row, 0)).center();
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
    EXPECT_EQ(cell(*panel, folderRow, 2), ByteCount::text(FileSystemCore::directorySize(temp.file("Alben"))));
    EXPECT_EQ(panel->table()->currentIndex().row(), folderRow) << "the cursor stays on its row";

    // Marking by mask keeps the cursor too; marks go when the panel moves on.
    panel->mark(QStringLiteral("*.TXT"), true);
    EXPECT_EQ(panel->marked().size(), 2);
    EXPECT_EQ(panel->table()->currentIndex().row(), folderRow);
    panel->navigate(temp.file("Alben"));
    EXPECT_TRUE(panel->marked().isEmpty());
    waitForListing(*panel);
}

// The context menu activates the panel before it runs the owner's command; its
// "Öffnen" and a double click hand files to the opener and open folders.
TEST_F(MarksTest, ContextMenuAndDoubleClickOpenAndRunCommandsFromTheirPanel)
{
    temp.write("Unterordner/x");
    temp.write("brief.txt");
    delegate.menuItems = {{QStringLiteral("Quick Look"), QStringLiteral("quickLookSelection"), false},
                          {QStringLiteral("In den Papierkorb"), QStringLiteral("trashSelection"), true}};
    auto panel = makePanel(temp.url());
    delegate.left = panel.get();
    QList<FileUrl> opened;
    panel->setFileOpener([&opened](const FileUrl& file) { opened.append(file); });
    auto* menu = panel->findChild<QMenu*>();
    ASSERT_EQ(menu->actions().size(), 4); // "Öffnen", the two items and the separator between them
    menu->actions().last()->trigger();
    menu->actions().at(1)->trigger();
    EXPECT_EQ(delegate.calls, (QStringList{"activate+focus", "trashSelection", "activate+focus", "quickLookSelection"}));
    EXPECT_TRUE(panel->isActive());
    selectRows(*panel, {rowOf(*panel, "brief.txt")});
    menu->actions().first()->trigger();

    panel->resize(800, 400);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    // A double click is a click and then the double-click event on the same spot.
    for (const char* name : {"brief.txt", "Unterordner"}) {
        const QPoint spot = rowCenter(*panel, rowOf(*panel, name));
        QTest::mouseClick(panel->table()->viewport(), Qt::LeftButton, {}, spot);
        QTest::mouseDClick(panel->table()->viewport(), Qt::LeftButton, {}, spot);
    }
    EXPECT_EQ(opened, (QList<FileUrl>{temp.file("brief.txt"), temp.file("brief.txt")}));
    waitForListing(*panel);
    EXPECT_EQ(panel->currentURL(), temp.file("Unterordner"));
}

// As the platform delivers a drag: it enters, then drops; the Shift key at the
// moment of the drop decides a move.
TEST_F(MarksTest, DropsGoToTheFolderRowOrThePanelsFolderAndNeverIntoThemselves)
{
    const FileUrl file = temp.write("a/eins.txt");
    const FileUrl folder = temp.makeFolder("b/Fach");
    auto panel = makePanel(temp.file("b"));
    delegate.left = panel.get();
    panel->resize(800, 400);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    QWidget* viewport = panel->table()->viewport();
    const auto drop = [&](const FileUrl& source, QPoint position, Qt::KeyboardModifiers modifiers) {
        QMimeData data;
        data.setData(QStringLiteral("text/uri-list"), "file://" + source.nativePath() + "\r\n");
        QDragEnterEvent enter(position, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDropEvent dropped(position, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(viewport, &dropped);
    };
    drop(file, rowCenter(*panel, 0), Qt::ShiftModifier);
    drop(file, QPoint(10, viewport->height() - 5), Qt::NoModifier);
    drop(folder, rowCenter(*panel, 0), Qt::NoModifier);

    ASSERT_EQ(delegate.drops.size(), 2);
    EXPECT_TRUE(delegate.drops[0].moving);
    EXPECT_EQ(delegate.drops[0].sources, QList<FileUrl>{file});
    EXPECT_EQ(delegate.drops[0].destination, folder);
    EXPECT_FALSE(delegate.drops[1].moving);
    EXPECT_EQ(delegate.drops[1].destination, temp.file("b"));
    EXPECT_EQ(interaction.beepCount(), 1) << "a folder dropped onto itself";
    EXPECT_EQ(delegate.active, panel.get()) << "the drop panel becomes active";
}
