#include "CommanderTestWindow.h"

#include "commander/FunctionKeyBar.h"
#include "diagnostics/DiagnosticsWindowController.h"
#include "preferences/PreferencesStore.h"

#include <QLineEdit>

namespace {

using Keyboard = CommanderTest;

TEST_F(Keyboard, TabSwitchesPanelsAndTheTabKeysActOnTheActivePanel)
{
    press(Qt::Key_Tab);
    EXPECT_EQ(window->activePanel(), &right());
    EXPECT_FALSE(left().isActive());
    EXPECT_EQ(QApplication::focusWidget(), right().table());
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), left().table());

    press(Qt::Key_T, Qt::ControlModifier);
    press(Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier); // another character: no new tab
    ASSERT_EQ(left().tabCount(), 2);
    press(Qt::Key_Tab, Qt::MetaModifier);
    EXPECT_EQ(left().selectedTab(), 0);
#ifndef Q_OS_MACOS
    // Desktops keep Super+Tab for themselves: Ctrl answers too.
    press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(left().selectedTab(), 1);
#endif
    EXPECT_EQ(right().tabCount(), 1);

    // ⌘W closes a tab, and with the last tab the window.
    QSignalSpy closed(window.get(), &CommanderWindowController::closed);
    press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(left().tabCount(), 1);
    EXPECT_EQ(closed.count(), 0);
    press(Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(Keyboard, ACustomShortcutWinsOverTheBuiltInKeyAndRunsAlone)
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
    EXPECT_EQ(interaction.alerts()[1].message, QStringLiteral("Commander-Tastatur"));
#ifndef Q_OS_MACOS
    // A keyboard with Ctrl is not told about ⌘ or about macOS.
    EXPECT_FALSE(interaction.alerts()[1].informativeText.contains(QStringLiteral("⌘")));
    EXPECT_FALSE(interaction.alerts()[1].informativeText.contains(QStringLiteral("macOS")));
#endif
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
    press(Qt::Key_T, Qt::ControlModifier);
    press(Qt::Key_Tab); // in a text field Tab moves the focus on, as everywhere

    EXPECT_TRUE(interaction.alerts().isEmpty());
    EXPECT_EQ(interaction.beepCount(), 0);
    EXPECT_EQ(window->activePanel(), &left());
    EXPECT_EQ(left().tabCount(), 1);
}

// A few of the command table's keys; the table itself is one mechanism.
TEST_F(Keyboard, PanelKeysMarkGoUpAndPreview)
{
    const FileUrl sub = leftFolder.makeFolder("sub");
    leftFolder.write("sub/b.txt");
    show(left(), sub);
    left().focusTable();
    press(Qt::Key_Space);
    EXPECT_EQ(left().marked(), QSet<FileUrl>{sub.appending(QByteArrayLiteral("b.txt"))});
    press(Qt::Key_Backspace);
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(left()) == QStringList{"sub"}; }, 10000));
    press(Qt::Key_Y, Qt::ControlModifier);
    ASSERT_NE(left().previewWindow(), nullptr);
    EXPECT_TRUE(left().previewWindow()->isVisible());
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
    interaction.answerAlert(0);
    QTest::mouseClick(buttons.value(6), Qt::LeftButton);
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("Commander-Tastatur"));
    EXPECT_EQ(QApplication::focusWidget(), left().table()) << "the keyboard stays with the panel";
    QTest::mouseClick(buttons.value(7), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
