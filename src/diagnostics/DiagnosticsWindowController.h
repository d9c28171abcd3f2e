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
    // Replaces the text by a fresh report and scrolls to its end.
    void refresh();
    // Empties the log without asking; afterwards it holds only the clearing.
    void clearLog();
    // Asks for a destination and replaces it atomically by the report as UTF-8;
    // a failure shows the system's reason and leaves everything as it was.
    void exportReport();

private:
    Interaction& m_interaction;
    QPlainTextEdit* m_text = nullptr;
};
