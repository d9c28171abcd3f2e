#pragma once

#include "core/FileUrl.h"

#include <QElapsedTimer>
#include <QList>
#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// The small window of one long operation: what is being done, a bar over the
// top-level entries, byte figures with rate and remaining time, and a cancel
// button. It floats above the other windows and goes away by itself shortly
// after its operation finished.
class OperationProgressController : public QWidget {
    Q_OBJECT

public:
    // Reads each source's size once, here; without sources no byte figures appear.
    OperationProgressController(const QString& title, qsizetype total, const QList<FileUrl>& sources,
                                QWidget* parent = nullptr);

    void update(qsizetype completed, qsizetype total, const QString& filename);
    // Fills the bar, shows `message` and closes the window 0.7 s later.
    void finish(const QString& message);
    // What the cancel button does: the operation's own cancelling, then the notice.
    void cancelPressed();

    std::function<void()> onCancel;

    QString detailText() const;
    QString metricsText() const;
    QProgressBar* progressBar() const { return m_progress; }
    QPushButton* cancelButton() const { return m_cancel; }

private:
    void setDetail(const QString& text);

    QLabel* m_detail = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_metrics = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_detailText;
    QElapsedTimer m_startedAt;
    QList<qint64> m_sourceSizes;
};
