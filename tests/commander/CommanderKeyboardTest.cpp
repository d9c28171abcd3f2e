#include "CommanderTestWindow.h"

#include "commander/FunctionKeyBar.h"
#include "diagnostics/DiagnosticsWindowController.h"
#include "preferences/PreferencesStore.h"

#include <QLineEdit>

namespace {

using Keyboard = CommanderTest;

TEST_F(Keyboard, TabSwitchesPanelsAndControlTabCyclesTheActivePanelsTabs)
{
    press(Qt::Key_Tab);
    EXPECT_EQ(window->activePanel(), &right());
    EXPECT_TRUE(right().isActive());
    EXPECT_FALSE(left().isActive());
    EXPECT_EQ(QApplication::focusWidget(), right().table());

    press(Qt::Key_Tab);
    EXPECT_EQ(window->activePanel(), &left());
    EXPECT_EQ(QApplication::focusWidget(), left().table());

    press(Qt::Key_T, Qt::ControlModifier);
    press(Qt::Key_T, Qt::ControlModifier);
    ASSERT_EQ(left().tabCount(), 3);
    EXPECT_EQ(left().selectedTab(), 2);
    press(Qt::Key_Tab, Qt::MetaModifier);
    EXPECT_EQ(left().selectedTab(), 0);
    press(Qt::Key_Tab, Qt::MetaModifier | Qt::ShiftModifier);
    EXPECT_EQ(left().selectedTab(), 2);
    press(Qt::Key_Backtab, Qt::MetaModifier | Qt::ShiftModifier);
    EXPECT_EQ(left().selectedTab(), 1);
    EXPECT_EQ(window->activePanel(), &left());
    EXPECT_EQ(right().tabCount(), 1);

    // Shift changes the character: ⌘⇧T is no new tab.
    press(Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(left().tabCount(), 3);
}

TEST_F(Keyboard, CommandWClosesATabAndWithTheLastTabTheWindow)
{
    QSignalSpy closed(window.get(), &CommanderWindowController::closed);
    press(Qt::Key_T, Qt::ControlModifier);
    ASSERT_EQ(left().tabCount(), 2);

    press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(left().tabCount(), 1);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(closed.count(), 0);

    press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(interaction.beepCount(), 0);
}

TEST_F(Keyboard, ACustomShortcutWinsOverTheBuiltInKey)
{
    PreferencesStore::shared().saveCustomShortcuts({{QStringLiteral("newFolder"), QStringLiteral("F5")}});
    const FileUrl file = leftFolder.write("a.txt");
    relist(left());
    left().setMarked({file});
    interaction.answerAlert(1);

    press(Qt::Key_F5);

    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("Neuer Ordner"));
    EXPECT_FALSE(progressWindow());
}

TEST_F(Keyboard, ACustomShortcutOnTheCopyKeyCopiesOnce)
{
    PreferencesStore::shared().saveCustomShortcuts({{QStringLiteral("copy"), QStringLiteral("F5")}});
    const FileUrl file = leftFolder.write("a.txt", "a");
    relist(left());
    left().setMarked({file});
    interaction.answerAlert(0);

    press(Qt::Key_F5);

    EXPECT_EQ(finalMessage(progressWindow()), QStringLiteral("Vorgang abgeschlossen"));
    EXPECT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(recorded(QStringLiteral("Dateioperation")).size(), 2);
}

TEST_F(Keyboard, FunctionKeysActWhateverModifiersAreHeld)
{
    const FileUrl file = leftFolder.write("a.txt", "a");
    relist(left());
    left().setMarked({file});
    interaction.answerAlert(1);
    interaction.answerAlert(0);

    press(Qt::Key_F5, Qt::ShiftModifier);
    press(Qt::Key_F9, Qt::ControlModifier | Qt::AltModifier);

    ASSERT_EQ(interaction.alerts().size(), 2);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("1 Objekt(e) kopieren?"));
    const AlertRequest& help = interaction.alerts()[1];
    EXPECT_EQ(help.message, QStringLiteral("Commander-Tastatur"));
#ifndef Q_OS_MACOS
    // A keyboard with Ctrl is not told about ⌘ or about macOS.
    EXPECT_FALSE(help.informativeText.contains(QStringLiteral("⌘")));
    EXPECT_FALSE(help.informativeText.contains(QStringLiteral("macOS")));
#endif
    EXPECT_EQ(help.effectiveButtons(), QStringList{"OK"});
}

TEST_F(Keyboard, TypingInThePathFieldTriggersNoPanelCommand)
{
    const FileUrl file = leftFolder.write("a.txt", "a");
    relist(left());
    left().setMarked({file});
    QLineEdit* field = left().pathField();
    field->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == field; }, 5000));
    const QString before = field->text();

    field->end(false);
    for (Qt::Key key : {Qt::Key_F5, Qt::Key_F7, Qt::Key_F8, Qt::Key_Space})
        press(key);
    EXPECT_EQ(field->text(), before + QLatin1Char(' '));
    press(Qt::Key_Backspace);
    EXPECT_EQ(field->text(), before);
    press(Qt::Key_T, Qt::ControlModifier);
    // Last: in a text field Tab moves the focus on, as everywhere.
    press(Qt::Key_Tab);

    EXPECT_TRUE(interaction.alerts().isEmpty());
    EXPECT_EQ(interaction.beepCount(), 0);
    EXPECT_EQ(window->activePanel(), &left());
    EXPECT_EQ(left().tabCount(), 1);
    EXPECT_EQ(left().currentURL(), leftFolder.url());
}

TEST_F(Keyboard, PanelKeysGoUpMarkReloadShowHiddenAndReachThePath)
{
    const FileUrl sub = leftFolder.makeFolder("sub");
    leftFolder.write("sub/b.txt");
    leftFolder.write(".verborgen");
    show(left(), sub);
    left().table()->setFocus();
    left().table()->setCurrentIndex(left().table()->model()->index(0, 0));

    press(Qt::Key_Space);
    EXPECT_EQ(left().marked(), QSet<FileUrl>{sub.appending(QByteArrayLiteral("b.txt"))});

    QSignalSpy listed(&left(), &FilePanelController::listingFinished);
    press(Qt::Key_Backspace);
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed.count() > 0; }, 10000));
    EXPECT_EQ(left().currentURL(), leftFolder.url());
    EXPECT_EQ(names(left()), QStringList{"sub"});

    const bool hidden = left().showHidden();
    press(Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(left().showHidden(), !hidden);
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(left()).contains(QStringLiteral(".verborgen")); }, 10000));

    rightFolder.write("neu.txt");
    press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(right()) == QStringList{"neu.txt"}; }, 10000));

    left().table()->setFocus();
    press(Qt::Key_Y, Qt::ControlModifier);
    ASSERT_NE(left().previewWindow(), nullptr);
    EXPECT_TRUE(left().previewWindow()->isVisible());

    left().table()->setFocus();
    press(Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), left().pathField());
    EXPECT_EQ(left().pathField()->selectedText(), left().pathField()->text());
    EXPECT_TRUE(interaction.alerts().isEmpty());
}

TEST_F(Keyboard, KeysOnAnotherWindowAreNotTaken)
{
    DiagnosticsWindowController other(interaction);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    QTest::keyClick(&other, Qt::Key_F9);
    QTest::keyClick(&other, Qt::Key_Tab);

    EXPECT_TRUE(interaction.alerts().isEmpty());
    EXPECT_EQ(window->activePanel(), &left());
}

TEST_F(Keyboard, TheFunctionKeyBarRunsItsCommands)
{
    QList<QPushButton*> buttons = window->findChild<FunctionKeyBar*>()->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    ASSERT_EQ(buttons.size(), 8);
    interaction.answerAlert(0);
    QTest::mouseClick(buttons[6], Qt::LeftButton);
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("Commander-Tastatur"));
    EXPECT_EQ(QApplication::focusWidget(), left().table());
    QTest::mouseClick(buttons[7], Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
