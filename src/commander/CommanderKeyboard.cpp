#include "commander/CommanderKeyboard.h"

#include "commander/CommanderWindowController.h"
#include "commander/CommandTable.h"
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
    // Keys of the command table, also the menus' key equivalents: the menus only show them.
    return builtInCommandFor(event);
}

std::function<void()> CommanderKeyboard::builtInCommandFor(const QKeyEvent& event) const
{
    const CommandTable::Row* row = CommandTable::forKey(event);
    if (!row)
        return {};
    return [window = &m_window, row] { window->run(*row); };
}
