#pragma once

#include "core/FileUrl.h"
#include "tools/ToolWindowDocuments.h"

#include <QByteArray>
#include <QWidget>
#include <atomic>
#include <memory>

class QButtonGroup;
class QLabel;
class QPlainTextEdit;

// A read-only window on the beginning of one local file (at most 8 MiB), as
// text or as a hex dump of its first megabyte. The file is read and the views
// are built in the background; a window closed meanwhile gets nothing.
class InternalViewerController : public QWidget {
    Q_OBJECT

public:
    enum Mode { text = 0, hex = 1 };

    explicit InternalViewerController(const FileUrl& url, QWidget* parent = nullptr);
    ~InternalViewerController() override;

    const FileUrl& url() const { return m_url; }
    const QByteArray& data() const { return m_data; }
    Mode mode() const;
    // As if the user clicked the segment.
    void setMode(Mode mode);
    QString statusText() const;
    QPlainTextEdit* textView() const { return m_textView; }

Q_SIGNALS:
    // The text view shows what the current mode asks for (or the read error).
    void rendered();

private:
    void load();
    void render();
    void showDocument(const SharedDocument& document);
    void buildHexDocument();

    FileUrl m_url;
    QByteArray m_data;
    bool m_loaded = false;
    bool m_hexNoteShown = false;
    bool m_buildingHex = false;
    SharedDocument m_textDocument;
    SharedDocument m_hexDocument;
    QButtonGroup* m_mode;
    QPlainTextEdit* m_textView;
    QLabel* m_status;
    std::shared_ptr<std::atomic_bool> m_closed = std::make_shared<std::atomic_bool>(false);
};
