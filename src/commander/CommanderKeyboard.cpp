#include "commander/CommanderKeyboard.h"

#include "commander/CommanderWindowController.h"
#include "panels/FilePanelController.h"
#include "preferences/KeyEventShortcuts.h"
#include "preferences/PreferencesStore.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

bool isTextEditor(const QWidget* widget)
{
    if (const auto* comboBox = qobject_cast<const QComboBox*>(widget))
        return comboBox->isEditable();
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget)
        || qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}

// ⌘ with the key's own character: Shift makes it another character.
bool isCommandKey(const QKeyEvent& event, Qt::Key key)
{
    return event.key() == key && event.modifiers().testFlag(Qt::ControlModifier)
        && !event.modifiers().testFlag(Qt::ShiftModifier);
}

} // namespace

CommanderKeyboard::CommanderKeyboard(CommanderWindowController& window) : m_window(window)
{
}

bool CommanderKeyboard::eventFilter(QObject* receiver, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const std::function<void()> command = commandFor(receiver, static_cast<const QKeyEvent&>(*event));
    if (!command)
        return false;
    // The press is claimed before any menu shortcut can take it; it runs when it arrives.
    event->accept();
    if (event->type() == QEvent::KeyPress)
        command();
    return true;
}

std::function<void()> CommanderKeyboard::commandFor(QObject* receiver, const QKeyEvent& event) const
{
    // Key events reach the window object first and then the focused widget: only the latter counts.
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (!widget || widget->window() != &m_window || !m_window.isActiveWindow())
        return {};
    if (isTextEditor(widget) || isTextEditor(QApplication::focusWidget()))
        return {};
    if (const std::optional<QString> custom = KeyEventShortcuts::command(PreferencesStore::shared(), event);
        custom && Shortcuts::isKnownCommand(*custom))
        return [this, command = *custom] { m_window.performCustomCommand(command); };
    return builtInCommandFor(event);
}

std::function<void()> CommanderKeyboard::builtInCommandFor(const QKeyEvent& event) const
{
    CommanderWindowController* window = &m_window;
    const auto active = [window] { return window->activePanel(); };
    const Qt::KeyboardModifiers modifiers = event.modifiers();

    if (isCommandKey(event, Qt::Key_T))
        return [active] { active()->addTab(); };
    if (isCommandKey(event, Qt::Key_W)) {
        return [window, active] {
            if (active()->tabCount() >= 2)
                active()->closeTab();
            else
                window->closeWindow();
        };
    }
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return [active] { active()->openSelection(); };
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // ⌃ is Qt's Meta: it cycles the tabs instead of switching panels.
        if (modifiers.testFlag(Qt::MetaModifier)) {
            const bool backwards = modifiers.testFlag(Qt::ShiftModifier) || event.key() == Qt::Key_Backtab;
            return [active, backwards] { active()->cycleTab(backwards ? -1 : 1); };
        }
        return [window] { window->setActive(*window->otherPanel(), true); };
    case Qt::Key_Backspace:
        return [active] { active()->goUp(); };
    case Qt::Key_F2: return [window] { window->renameSelection(); };
    case Qt::Key_F3: return [window] { window->viewSelection(); };
    case Qt::Key_F4: return [window] { window->editSelection(); };
    case Qt::Key_F5: return [window] { window->copySelection(); };
    case Qt::Key_F6: return [window] { window->moveSelection(); };
    case Qt::Key_F7: return [window] { window->newFolder(); };
    case Qt::Key_F8: return [window] { window->trashSelection(); };
    case Qt::Key_F9: return [window] { window->showCommands(); };
    case Qt::Key_F10: return [window] { window->closeWindow(); };
    default: break;
    }
    if (isCommandKey(event, Qt::Key_L))
        return [window] { window->focusPathField(); };
    if (isCommandKey(event, Qt::Key_Y))
        return [window] { window->quickLookSelection(); };
    if (isCommandKey(event, Qt::Key_D))
        return [window] { window->duplicateSelection(); };
    if (isCommandKey(event, Qt::Key_R)) {
        return [window] {
            window->leftPanel()->reload();
            window->rightPanel()->reload();
        };
    }
    if (isCommandKey(event, Qt::Key_Period))
        return [active] { active()->setShowHidden(!active()->showHidden()); };
    if (event.text() == QLatin1String(" "))
        return [active] { active()->toggleCurrentSelection(); };
    return {};
}
