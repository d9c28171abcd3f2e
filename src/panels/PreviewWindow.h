#pragma once

#include "core/FileUrl.h"

#include <QFutureWatcher>
#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QStackedWidget;

// What the preview shows of a file: the picture, the beginning of a text, or
// (for anything else, folders included) just the name and size.
struct PreviewContent {
    enum class Kind { image, text, summary };

    Kind kind = Kind::summary;
    QString name;
    QString summary; // name and size, always set
    QImage image;
    QString text;

    static constexpr qint64 textBytes = 16 * 1024;
    static constexpr qint64 largestImageBytes = 64 * 1024 * 1024;
    static constexpr int largestImageSide = 1024;

    // Reads the file by its exact path bytes; runs off the GUI thread.
    static PreviewContent load(const FileUrl& url);
};

// A small window of our own that previews one entry (the quick look of the
// panels). The file is read in the background; closing the window or showing
// another entry drops a late result.
class PreviewWindow : public QWidget {
    Q_OBJECT

public:
    explicit PreviewWindow(QWidget* parent = nullptr);
    ~PreviewWindow() override;

    void showEntry(const FileUrl& url);
    const FileUrl& entry() const { return m_entry; }
    // The content shown, once loaded.
    const std::optional<PreviewContent>& content() const { return m_content; }

Q_SIGNALS:
    void contentShown();

private:
    void present(const PreviewContent& content);

    FileUrl m_entry;
    std::optional<PreviewContent> m_content;
    QFutureWatcher<PreviewContent> m_loader;
    QStackedWidget* m_pages;
    QLabel* m_image;
    QPlainTextEdit* m_text;
    QLabel* m_summary;
    QLabel* m_caption;
};
