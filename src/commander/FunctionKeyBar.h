#pragma once

#include <QWidget>

class CommanderWindowController;

// The row of function-key buttons under the panels, "F3  Anzeigen" to
// "F10  Schließen", all of one width. The buttons never take the keyboard
// focus away from the panels.
class FunctionKeyBar : public QWidget {
    Q_OBJECT

public:
    explicit FunctionKeyBar(CommanderWindowController& window);
};
