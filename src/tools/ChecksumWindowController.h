#pragma once

#include "tools/ChecksumEngine.h"

#include <QWidget>

class QPushButton;
class QTableView;

// A fixed snapshot of SHA-256 digests, one row per file, to be copied as
// "digest  name" lines.
class ChecksumWindowController : public QWidget {
    Q_OBJECT

public:
    explicit ChecksumWindowController(QList<ChecksumEngine::Result> results, QWidget* parent = nullptr);

    // Puts every line on the clipboard as plain text.
    void copyAll();

    QTableView* table() const { return m_table; }
    QPushButton* copyButton() const { return m_copyButton; }

private:
    QList<ChecksumEngine::Result> m_results;
    QTableView* m_table;
    QPushButton* m_copyButton;
};
