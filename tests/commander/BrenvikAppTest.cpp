#include "app/AboutWindowController.h"
#include "app/BrenvikApp.h"
#include "commander/CommanderWindowController.h"
#include "diagnostics/DiagnosticsStore.h"
#include "diagnostics/DiagnosticsWindowController.h"
#include "panels/FilePanelController.h"
#include "preferences/PreferencesStore.h"
#include "preferences/SettingsFile.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnvironment.h"
#include "ui/OperationProgressController.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class Application : public ::testing::Test {
protected:
    void SetUp() override
    {
        brenvikSettings().clear();
        DiagnosticsStore::shared().clear();
        app.applicationDidFinishLaunching();
        ASSERT_TRUE(QTest::qWaitForWindowActive(app.controller()));
    }
    void TearDown() override { brenvikSettings().clear(); }

    void choose(const QString& menu, const QString& title) const
    {
        for (QAction* entry : app.controller()->menuBar()->actions())
            for (QAction* item : entry->text() == menu ? entry->menu()->actions() : QList<QAction*>())
                if (item->text().section(QLatin1Char('\t'), 0, 0) == title)
                    return item->trigger();
        ADD_FAILURE() << "no menu item " << title.toStdString();
    }

    // The active panel on a fresh folder holding `names`.
    FilePanelController* panelOn(const TempFolder& folder, const QList<QByteArray>& names)
    {
        for (const QByteArray& name : names)
            folder.write(name, name);
        FilePanelController* panel = app.controller()->activePanel();
        panel->navigate(folder.url());
        EXPECT_TRUE(QTest::qWaitFor([&] { return panel->items().size() == names.size(); }, 10000));
        panel->focusTable();
        return panel;
    }

    ScriptedInteraction interaction;
    BrenvikApp app{interaction};
};

TEST_F(Application, LaunchOpensTheCommanderAndMenuItemsReachTheActivePanel)
{
    EXPECT_EQ(DiagnosticsStore::shared().events().value(0).message, QStringLiteral("Anwendung gestartet"));
    EXPECT_FALSE(QApplication::windowIcon().isNull());

    TempFolder folder;
    FilePanelController* panel = panelOn(folder, {"a.jpg", "b.png", "c.txt"});
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("*.jpg;*.png")));
    choose(QStringLiteral("Auswahl"), QStringLiteral("Nach Maske markieren …"));
    choose(QStringLiteral("Auswahl"), QStringLiteral("Auswahl umkehren"));
    EXPECT_EQ(panel->marked(), QSet<FileUrl>{folder.file("c.txt")});

    choose(QStringLiteral("Werkzeuge"), QStringLiteral("Diagnose …"));
    bool diagnosticsShown = false;
    for (QWidget* top : QApplication::topLevelWidgets())
        diagnosticsShown |= qobject_cast<DiagnosticsWindowController*>(top) && top->isVisible();
    EXPECT_TRUE(diagnosticsShown);
}

// The menu shows ⌘D, the window's keyboard handles it: one duplicate, not two;
// and a custom shortcut on a menu's key wins over the menu.
TEST_F(Application, AMenuKeyRunsOnceAndACustomShortcutWinsOverIt)
{
    TempFolder folder;
    FilePanelController* panel = panelOn(folder, {"a.txt"});
    panel->setMarked({folder.file("a.txt")});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(folder.file("a 2.txt").path()); }, 10000));
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(folder.file("a 3.txt").path()));

    PreferencesStore::shared().saveCustomShortcuts({{QStringLiteral("copy"), QStringLiteral("⌘D")}});
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return panel->items().size() == 2 && !app.controller()->findChild<OperationProgressController*>();
    }, 10000));
    app.controller()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app.controller()));
    panel->focusTable();
    panel->table()->clearSelection();
    panel->setMarked({folder.file("a.txt")});
    interaction.answerAlert(1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("1 Objekt(e) kopieren?"));
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(folder.file("a 3.txt").path()));
}

TEST_F(Application, EditingItemsActOnTheFocusedTextField)
{
    QLineEdit* field = app.controller()->activePanel()->pathField();
    field->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == field; }, 5000));
    field->setText(QStringLiteral("/tmp/Beispiel"));
    field->deselect();

    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Alles auswählen"));
    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Ausschneiden"));
    EXPECT_EQ(field->text(), QString());
    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Einfügen"));
    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Einsetzen und Stil anpassen"));
    EXPECT_EQ(field->text(), QStringLiteral("/tmp/Beispiel/tmp/Beispiel"));
    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Rückgängig"));
    EXPECT_EQ(field->text(), QStringLiteral("/tmp/Beispiel"));
}

TEST_F(Application, EachAboutOpensOverTheWindowAndReplacesTheOneBefore)
{
    choose(QStringLiteral("Brenvik"), QStringLiteral("Über Brenvik"));
    QPointer<AboutWindowController> first = app.aboutController();
    ASSERT_TRUE(first);
    const QPoint offset = first->frameGeometry().center() - app.controller()->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 4);

    choose(QStringLiteral("Brenvik"), QStringLiteral("Über Brenvik"));
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(app.aboutController(), nullptr);
    EXPECT_TRUE(app.aboutController()->isVisible());
}

TEST_F(Application, ClosingTheCommanderWindowEndsTheProgramAndKeepsItsFrame)
{
    app.controller()->resize(900, 600);
    QTimer::singleShot(0, app.controller(), [this] { app.controller()->close(); });
    QTimer::singleShot(30000, [] { QCoreApplication::exit(7); }); // never hang the suite
    EXPECT_EQ(QApplication::exec(), 0);

    ScriptedInteraction later;
    CommanderWindowController reopened(later);
    EXPECT_EQ(reopened.size(), QSize(900, 600));
}

TEST_F(Application, QuittingClosesTheCommanderWindowFirst)
{
    QSignalSpy closed(app.controller(), &CommanderWindowController::closed);
    QTimer::singleShot(0, app.controller(), [this] { choose(QStringLiteral("Brenvik"), QStringLiteral("Brenvik beenden")); });
    QTimer::singleShot(30000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(closed.count(), 1);
}

} // namespace
