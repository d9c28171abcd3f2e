#pragma once

#include <QObject>
#include <functional>

class CommanderWindowController;
class QKeyEvent;

// The keyboard of the two-panel workflow, an application-wide event filter:
// it sees every key press before the focused control does, and takes the ones
// meant for the commander window while it is the active window and no text
// editor has the focus: custom shortcuts first, then the built-in keys.
class CommanderKeyboard : public QObject {
    Q_OBJECT

public:
    explicit CommanderKeyboard(CommanderWindowController& window);

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    // What the key press does; empty when it takes the normal way.
    std::function<void()> commandFor(QObject* receiver, const QKeyEvent& event) const;
    std::function<void()> builtInCommandFor(const QKeyEvent& event) const;

    CommanderWindowController& m_window;
};
