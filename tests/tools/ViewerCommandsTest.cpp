#include "commander/CommanderTestWindow.h"
#include "tools/FileInfoWindowController.h"
#include "tools/InternalViewerController.h"
#include "tools/TextCompareWindowController.h"

namespace {

template <typename Window>
QList<Window*> openWindows(const CommanderWindowController& commander)
{
    QList<Window*> found;
    for (const QPointer<QWidget>& window : commander.toolWindows()) {
        if (auto* wanted = qobject_cast<Window*>(window.data()))
            found.append(wanted);
    }
    return found;
}

QStringList markedNames(const FilePanelController& panel)
{
    QStringList names;
    for (const FileUrl& url : panel.marked())
        names.append(url.fileName());
    names.sort();
    return names;
}

} // namespace

using ViewerCommandsTest = CommanderTest;

TEST_F(ViewerCommandsTest, F3AndInformationOpenWindowsForTheEntryUnderTheCursor)
{
    leftFolder.write("a.txt", "alpha");
    relist(left());
    left().table()->selectRow(0);

    press(Qt::Key_F3);
    const QList<InternalViewerController*> viewers = openWindows<InternalViewerController>(*window);
    ASSERT_EQ(viewers.size(), 1);
    EXPECT_EQ(viewers[0]->url(), leftFolder.file("a.txt"));

    window->runCommand(left(), QStringLiteral("showFileInfo"));
    const QList<FileInfoWindowController*> infos = openWindows<FileInfoWindowController>(*window);
    ASSERT_EQ(infos.size(), 1);
    EXPECT_EQ(infos[0]->windowTitle(), QStringLiteral("Informationen — a.txt"));

    // Nothing selected: information beeps, the viewer does nothing.
    window->setActive(right(), true);
    window->showFileInfo();
    window->viewSelection();
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_EQ(window->toolWindows().size(), 2);
}

TEST_F(ViewerCommandsTest, ComparePanelsMarksBothSidesAndReports)
{
    leftFolder.write("gleich.txt", "1234");
    rightFolder.write("gleich.txt", "abcd");
    leftFolder.write("links.txt", "1");
    rightFolder.write("rechts.txt", "1");
    rightFolder.write("anders.txt", "1");
    leftFolder.write("anders.txt", "12");
    relist(left());
    relist(right());
    interaction.answerAlert(0);

    window->comparePanels();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !interaction.alerts().isEmpty(); }, 10000));
    const AlertRequest& report = interaction.alerts().constFirst();
    EXPECT_EQ(report.message, QStringLiteral("Verzeichnisvergleich abgeschlossen"));
    EXPECT_EQ(report.informativeText,
              QStringLiteral("Links unterschiedlich/fehlend: 2\nRechts unterschiedlich/fehlend: 2\nGleich: 1\n\n"
                             "Unterschiede wurden in beiden Panels markiert."));
    EXPECT_EQ(markedNames(left()), (QStringList{QStringLiteral("anders.txt"), QStringLiteral("links.txt")}));
    EXPECT_EQ(markedNames(right()), (QStringList{QStringLiteral("anders.txt"), QStringLiteral("rechts.txt")}));
    EXPECT_EQ(window->activePanel(), &left());
}

TEST_F(ViewerCommandsTest, CompareSelectedFilesNeedsOneFileOnEachSide)
{
    const FileUrl leftFile = leftFolder.write("l.txt", "x");
    const FileUrl rightFile = rightFolder.write("r.txt", "y");
    relist(left());
    relist(right());
    left().table()->selectRow(0);
    interaction.answerAlert(0);

    window->compareSelectedFiles();
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("In jedem Panel eine Datei auswählen"));
    EXPECT_TRUE(window->toolWindows().isEmpty());

    right().table()->selectRow(0);
    window->compareSelectedFiles();
    const QList<TextCompareWindowController*> compares = openWindows<TextCompareWindowController>(*window);
    ASSERT_EQ(compares.size(), 1);
    EXPECT_EQ(compares[0]->leftURL(), leftFile);
    EXPECT_EQ(compares[0]->rightURL(), rightFile);
}
