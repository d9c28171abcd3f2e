#pragma once

#include "core/FileUrl.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// A small window with what the file system knows about one local entry, as a
// text block to select and copy. The details are read once, in the background
// (a slow volume or account lookup never stalls the window), and not refreshed.
class FileInfoWindowController : public QWidget {
    Q_OBJECT

public:
    explicit FileInfoWindowController(const FileUrl& url, QWidget* parent = nullptr);

    const FileUrl& url() const { return m_url; }
    QString detailsText() const;
    QPushButton* copyButton() const { return m_copy; }
    // Puts exactly the entry's path on the clipboard.
    void copyPath();

Q_SIGNALS:
    void detailsShown();

private:
    void buildUI();
    void load();

    FileUrl m_url;
    QLabel* m_icon;
    QPlainTextEdit* m_details;
    QPushButton* m_copy;
};
