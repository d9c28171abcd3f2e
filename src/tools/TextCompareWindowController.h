#pragma once

#include "core/FileUrl.h"
#include "tools/ToolWindowDocuments.h"

#include <QWidget>
#include <atomic>
#include <memory>

class QLabel;
class QPlainTextEdit;

// Two files side by side, line by line with line numbers; lines that differ
// from their counterpart at the same position are shaded. Both files are read
// (at most 4 MiB each) and both coloured texts are built in the background,
// once; a window closed meanwhile gets nothing.
class TextCompareWindowController : public QWidget {
    Q_OBJECT

public:
    TextCompareWindowController(const FileUrl& left, const FileUrl& right, QWidget* parent = nullptr);
    ~TextCompareWindowController() override;

    const FileUrl& leftURL() const { return m_leftURL; }
    const FileUrl& rightURL() const { return m_rightURL; }
    QPlainTextEdit* leftText() const { return m_leftText; }
    QPlainTextEdit* rightText() const { return m_rightText; }
    QString statusText() const;

Q_SIGNALS:
    // Both views and the status are filled, or the status shows the read error.
    void rendered();

private:
    struct Rendered;
    void load();
    void render(const Rendered& result);
    QWidget* column(const FileUrl& url, QPlainTextEdit* view);

    FileUrl m_leftURL;
    FileUrl m_rightURL;
    QPlainTextEdit* m_leftText;
    QPlainTextEdit* m_rightText;
    QLabel* m_status;
    SharedDocument m_leftDocument;
    SharedDocument m_rightDocument;
    std::shared_ptr<std::atomic_bool> m_closed = std::make_shared<std::atomic_bool>(false);
};
