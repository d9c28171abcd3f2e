#pragma once

#include <QList>
#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

// The find bar of the read-only text views: ⌘F shows it and puts the keyboard
// in its field, Return finds the next match, ⇧Return the previous one (both
// wrap around), Escape hides it. It searches the view that last had the focus.
class ToolWindowFindBar : public QWidget {
    Q_OBJECT

public:
    // The shortcut belongs to `window`, which holds the views.
    ToolWindowFindBar(QWidget* window, const QList<QPlainTextEdit*>& views);

    // Moves to the next (or previous) match of `text`; false when there is none.
    bool find(const QString& text, bool backwards);
    QLineEdit* field() const { return m_field; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open();

    QLineEdit* m_field;
    QList<QPlainTextEdit*> m_views;
    QPlainTextEdit* m_searched;
};
