#pragma once

#include <QFont>
#include <QList>
#include <QStringList>
#include <QWidget>

class QPushButton;

class CommanderWindowController;

// The row of function-key buttons under the panels, "F3  Anzeigen" to
// "F10  Schließen", all of one width. The buttons never take the keyboard
// focus away from the panels.
class FunctionKeyBar : public QWidget {
    Q_OBJECT

public:
    explicit FunctionKeyBar(CommanderWindowController& window);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Narrow buttons put the word under the key and, if need be, a smaller
    // font: a label is never cut off.
    void fitLabels();

    QList<QPushButton*> m_buttons;
    QStringList m_titles;
    QFont m_font;
};
