#include "CommanderTestWindow.h"

#include "commander/FunctionKeyBar.h"
#include "preferences/PreferencesWindowController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSplitter>

namespace {

using Usability = CommanderTest;

QPoint rowCenter(const FilePanelController& panel, int row)
{
    return panel.table()->visualRect(panel.table()->model()->index(row, 0)).center();
}

TEST_F(Usability, AnyPressIntoAPanelMakesItTheOneF8ActsOn)
{
    leftFolder.write("links.txt");
    const FileUrl kept = rightFolder.write("rechts.txt");
    relist(left());
    relist(right());
    // The right panel's only row is already selected: clicking it changes no selection.
    right().table()->selectRow(0);
    window->setActive(left(), true);

    QWidget* rows = right().table()->viewport();
    const std::pair<QWidget*, QPoint> places[] = {{rows, rowCenter(right(), 0)},
                                                  {rows, QPoint(5, rows->height() - 5)}, // empty space below the rows
                                                  {right().table()->horizontalHeader()->viewport(), QPoint(5, 5)},
                                                  {static_cast<QWidget*>(right().pathField()), QPoint(5, 5)}};
    for (const auto& [place, point] : places) {
        window->setActive(left(), true);
        QTest::mouseClick(place, Qt::LeftButton, Qt::NoModifier, point);
        EXPECT_EQ(window->activePanel(), &right()) << place->metaObject()->className();
    }
    right().table()->selectRow(0);
    right().focusTable();
    interaction.answerAlert(1); // "Abbrechen"
    press(Qt::Key_F8);
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_TRUE(interaction.alerts()[0].informativeText.contains(QStringLiteral("rechts.txt")));
    EXPECT_TRUE(QFile::exists(kept.path()));

    // The active panel is framed, and the other's selection looks different.
    const QColor accent = right().palette().color(QPalette::Highlight);
    EXPECT_EQ(right().grab().toImage().pixelColor(0, right().height() / 2), accent);
    EXPECT_NE(left().grab().toImage().pixelColor(0, left().height() / 2), accent);
    EXPECT_NE(left().table()->palette().color(QPalette::Active, QPalette::Highlight),
              right().table()->palette().color(QPalette::Active, QPalette::Highlight));
}

TEST_F(Usability, TheKeyboardAlwaysReachesARow)
{
    const FileUrl only = leftFolder.makeFolder("einzig");
    leftFolder.write("einzig/a.txt");
    leftFolder.write("einzig/b.txt");
    relist(left());
    left().table()->clearSelection();
    left().focusTable();

    press(Qt::Key_Down);
    EXPECT_EQ(left().selectedURLs(), QList<FileUrl>{only});
    left().table()->clearSelection();
    press(Qt::Key_Up);
    EXPECT_EQ(left().selectedURLs(), QList<FileUrl>{only});

    // After a change of folder the keys work on a selected row at once.
    QSignalSpy listed(&left(), &FilePanelController::listingFinished);
    press(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed.count() > 0 && left().currentURL() == only; }, 10000));
    EXPECT_EQ(left().selectedURLs().size(), 1);
    press(Qt::Key_End);
    EXPECT_EQ(left().selectedURLs(), QList<FileUrl>{only.appending(QByteArrayLiteral("b.txt"))});
    press(Qt::Key_Home);
    EXPECT_EQ(left().selectedURLs(), QList<FileUrl>{only.appending(QByteArrayLiteral("a.txt"))});

    // A typed location hands the keyboard back to the table.
    press(Qt::Key_L, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), left().pathField());
    left().pathField()->setText(leftFolder.url().path());
    left().pathField()->setModified(true);
    press(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return left().currentURL() == leftFolder.url(); }, 10000));
    EXPECT_EQ(QApplication::focusWidget(), left().table());
}

TEST_F(Usability, NothingIsCutOffAtTheSmallestWindow)
{
    leftFolder.write("Bericht.pdf", QByteArray(120000, 'x'));
    leftFolder.makeFolder("Projekte");
    relist(left());
    window->findChild<QSplitter*>()->setSizes({50, 1230});
    window->resize(window->minimumSize());
    QCoreApplication::processEvents();
    EXPECT_GE(left().width(), left().minimumWidth()) << "no panel is squeezed away";
    for (QPushButton* button : window->findChild<FunctionKeyBar*>()->findChildren<QPushButton*>()) {
        const QFontMetrics metrics(button->font());
        for (const QString& line : button->text().split(QLatin1Char('\n')))
            EXPECT_LE(metrics.horizontalAdvance(line), button->width() - 4) << line.toStdString();
    }
    render(*window, QStringLiteral("commander-minimum.png"));

    // The path field takes the room the header has; its pop-ups stay narrow.
    window->resize(1280, 800);
    window->findChild<QSplitter*>()->setSizes({640, 640});
    ASSERT_TRUE(QTest::qWaitFor([&] { return left().width() >= 600; }, 3000));
    QTest::qWait(50);
    for (const char* name : {"back", "up", "volumes", "favorites", "filter", "hidden"})
        EXPECT_GT(left().pathField()->width(), left().findChild<QWidget*>(QLatin1String(name))->width()) << name;
    render(*window, QStringLiteral("commander.png"));
}

TEST_F(Usability, AFavouriteAddedInOnePanelShowsInTheOther)
{
    show(right(), leftFolder.url());
    const auto favouriteCount = [](FilePanelController& panel) {
        return panel.findChild<QComboBox*>(QStringLiteral("favorites"))->count();
    };
    const int before = favouriteCount(right());
    left().toggleFavorite();
    EXPECT_EQ(favouriteCount(right()), before + 1);
    left().toggleFavorite();
    EXPECT_EQ(favouriteCount(right()), before);
}

TEST_F(Usability, SavedPreferencesShowHiddenFilesInBothPanels)
{
    leftFolder.write(".links");
    rightFolder.write(".rechts");
    window->showPreferences();
    PreferencesWindowController* preferences = nullptr;
    for (const QPointer<QWidget>& tool : window->toolWindows())
        preferences = preferences ? preferences : qobject_cast<PreferencesWindowController*>(tool.data());
    ASSERT_NE(preferences, nullptr);
    preferences->hiddenFilesCheckBox()->setChecked(true);
    preferences->save();
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(left()) == QStringList{".links"} && names(right()) == QStringList{".rechts"}; },
                                10000));
}

} // namespace
