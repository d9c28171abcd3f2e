#pragma once

#include <QWidget>

class Interaction;
class QPlainTextEdit;

// The window "Brenvik-Diagnose": a snapshot of the shared diagnostics report
// that changes only through its three buttons.
class DiagnosticsWindowController : public QWidget {
    Q_OBJECT

public:
    explicit DiagnosticsWindowController(Interaction& interaction, QWidget* parent = nullptr);

public Q_SLOTS:
    void refresh();
    void clearLog();
    void exportReport();

private:
    void showReport();

    Interaction& m_interaction;
    QPlainTextEdit* m_text = nullptr;
};
