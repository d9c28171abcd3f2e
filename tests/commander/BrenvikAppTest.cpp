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
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
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
        ASSERT_NE(app.controller(), nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowActive(app.controller()));
    }
    void TearDown() override { brenvikSettings().clear(); }

    QAction* action(const QString& menu, const QString& title) const
    {
        for (QAction* entry : app.controller()->menuBar()->actions()) {
            if (entry->text() != menu)
                continue;
            for (QAction* item : entry->menu()->actions()) {
                if (item->text().section(QLatin1Char('\t'), 0, 0) == title)
                    return item;
            }
        }
        ADD_FAILURE() << "no menu item " << title.toStdString();
        return nullptr;
    }

    void choose(const QString& menu, const QString& title) const
    {
        if (QAction* item = action(menu, title))
            item->trigger();
    }

    ScriptedInteraction interaction;
    BrenvikApp app{interaction};
};

TEST_F(Application, LaunchRecordsTheStartSetsTheIconAndOpensTheCommanderWindow)
{
    ASSERT_FALSE(DiagnosticsStore::shared().events().isEmpty());
    EXPECT_EQ(DiagnosticsStore::shared().events().first().category, QStringLiteral("App"));
    EXPECT_EQ(DiagnosticsStore::shared().events().first().message, QStringLiteral("Anwendung gestartet"));
    EXPECT_FALSE(QApplication::windowIcon().pixmap(64, 64).isNull());
    EXPECT_TRUE(app.controller()->isVisible());
    EXPECT_EQ(app.controller()->windowTitle(), QStringLiteral("Brenvik — Datei-Werkbank"));
    EXPECT_EQ(app.aboutController(), nullptr);
}

TEST_F(Application, MenuItemsRunTheirCommandsAndAMenuKeyRunsOnce)
{
    interaction.answerAlert(0);
    choose(QStringLiteral("Werkzeuge"), QStringLiteral("Zugriff auf aktiven Ordner prüfen …"));
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("Ordnerzugriff verfügbar"));

    choose(QStringLiteral("Werkzeuge"), QStringLiteral("Diagnose …"));
    bool diagnosticsShown = false;
    for (QWidget* top : QApplication::topLevelWidgets())
        diagnosticsShown |= qobject_cast<DiagnosticsWindowController*>(top) && top->isVisible();
    EXPECT_TRUE(diagnosticsShown);

    // The menu shows ⌘D, the window's keyboard handles it: one duplicate, not two.
    TempFolder folder;
    const FileUrl file = folder.write("a.txt", "a");
    FilePanelController* panel = app.controller()->activePanel();
    QSignalSpy listed(panel, &FilePanelController::listingFinished);
    panel->navigate(folder.url());
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed.count() > 0 && panel->currentURL() == folder.url(); }, 10000));
    panel->setMarked({file});
    app.controller()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app.controller()));
    panel->focusTable();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(folder.url().path() + QStringLiteral("/a 2.txt")); }, 10000));
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(folder.url().path() + QStringLiteral("/a 3.txt")));
}

TEST_F(Application, MarkingByMaskAndItsUndoReachTheActivePanel)
{
    TempFolder folder;
    folder.write("a.jpg");
    folder.write("b.png");
    folder.write("c.txt");
    FilePanelController* panel = app.controller()->activePanel();
    panel->navigate(folder.url());
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->items().size() == 3; }, 10000));

    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("*.jpg;*.png")));
    choose(QStringLiteral("Auswahl"), QStringLiteral("Nach Maske markieren …"));
    EXPECT_EQ(panel->marked(), (QSet<FileUrl>{folder.file("a.jpg"), folder.file("b.png")}));
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("a*")));
    choose(QStringLiteral("Auswahl"), QStringLiteral("Nach Maske abwählen …"));
    EXPECT_EQ(interaction.alerts()[1].buttons, (QStringList{"Abwählen", "Abbrechen"}));
    EXPECT_EQ(panel->marked(), QSet<FileUrl>{folder.file("b.png")});
    choose(QStringLiteral("Auswahl"), QStringLiteral("Auswahl umkehren"));
    EXPECT_EQ(panel->marked(), (QSet<FileUrl>{folder.file("a.jpg"), folder.file("c.txt")}));

    // The trash and its undo through the menu's key.
    interaction.answerAlert(0);
    choose(QStringLiteral("Datei"), QStringLiteral("In den Papierkorb"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !app.controller()->findChild<OperationProgressController*>(); }, 10000));
    EXPECT_FALSE(QFile::exists(folder.file("a.jpg").path()));
    // Back to the main window, as the user would after the progress window went.
    app.controller()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(app.controller()));
    panel->focusTable();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(folder.file("a.jpg").path()); }, 10000));
    EXPECT_TRUE(QFile::exists(folder.file("c.txt").path()));
}

// The commander's keyboard sees a press before the menu's keys do.
TEST_F(Application, ACustomShortcutOnAMenuKeyWinsOverTheMenu)
{
    PreferencesStore::shared().saveCustomShortcuts({{QStringLiteral("copy"), QStringLiteral("⌘D")}});
    TempFolder folder;
    const FileUrl file = folder.write("a.txt", "a");
    FilePanelController* panel = app.controller()->activePanel();
    panel->navigate(folder.url());
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->items().size() == 1; }, 10000));
    panel->setMarked({file});
    panel->focusTable();
    interaction.answerAlert(1);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);

    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("1 Objekt(e) kopieren?"));
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(folder.file("a 2.txt").path()));
}

TEST_F(Application, EditingItemsActOnTheFocusedTextField)
{
    QLineEdit* field = app.controller()->activePanel()->pathField();
    field->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == field; }, 5000));
    field->setText(QStringLiteral("/tmp/Beispiel"));
    field->deselect();

    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Alles auswählen"));
    EXPECT_EQ(field->selectedText(), QStringLiteral("/tmp/Beispiel"));
    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Ausschneiden"));
    EXPECT_EQ(field->text(), QString());
    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Einfügen"));
    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Einsetzen und Stil anpassen"));
    EXPECT_EQ(field->text(), QStringLiteral("/tmp/Beispiel/tmp/Beispiel"));
    choose(QStringLiteral("Bearbeiten"), QStringLiteral("Rückgängig"));
    EXPECT_EQ(field->text(), QStringLiteral("/tmp/Beispiel"));
    EXPECT_TRUE(interaction.alerts().isEmpty());
}

TEST_F(Application, EachAboutReplacesTheOneBefore)
{
    choose(QStringLiteral("Brenvik"), QStringLiteral("Über Brenvik"));
    QPointer<AboutWindowController> first = app.aboutController();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    // It opens over the main window, not in a corner of the screen.
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
    EXPECT_TRUE(brenvikSettings().contains(QLatin1String(CommanderWindowController::frameKey)));

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
