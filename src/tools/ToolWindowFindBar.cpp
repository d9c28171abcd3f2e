#include "tools/ToolWindowFindBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextCursor>

ToolWindowFindBar::ToolWindowFindBar(QWidget* window, const QList<QPlainTextEdit*>& views)
    : m_field(new QLineEdit), m_views(views), m_searched(views.value(0))
{
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("Suchen:")));
    row->addWidget(m_field, 1);
    hide();

    auto* shortcut = new QShortcut(QKeySequence::Find, window);
    connect(shortcut, &QShortcut::activated, this, &ToolWindowFindBar::open);
    for (QPlainTextEdit* view : views)
        view->installEventFilter(this);
}

bool ToolWindowFindBar::find(const QString& text, bool backwards)
{
    if (!m_searched || text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (m_searched->find(text, flags))
        return true;
    const QTextCursor kept = m_searched->textCursor();
    m_searched->moveCursor(backwards ? QTextCursor::End : QTextCursor::Start);
    if (m_searched->find(text, flags))
        return true;
    m_searched->setTextCursor(kept);
    return false;
}

bool ToolWindowFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto* view = qobject_cast<QPlainTextEdit*>(watched))
            m_searched = view;
    }
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            find(m_field->text(), key->modifiers() & Qt::ShiftModifier);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hide();
            if (m_searched)
                m_searched->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ToolWindowFindBar::open()
{
    show();
    m_field->setFocus();
    m_field->selectAll();
}
