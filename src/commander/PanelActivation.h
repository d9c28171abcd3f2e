#pragma once

#include <QObject>

class CommanderWindowController;

// Any mouse press into a panel makes it the active one: rows, empty space,
// header, path field and buttons alike. Without this a click on an already
// selected row left the other panel active, and the next key acted there.
class PanelActivation : public QObject {
    Q_OBJECT

public:
    explicit PanelActivation(CommanderWindowController& window);

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    CommanderWindowController& m_window;
};
