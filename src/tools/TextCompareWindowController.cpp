#include "tools/TextCompareWindowController.h"

#include "core/FutureOutcome.h"
#include "tools/BackgroundTask.h"
#include "tools/TextCompare.h"
#include "tools/ToolWindowFindBar.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>
#include <QtConcurrent>

struct TextCompareWindowController::Rendered {
    SharedDocument left;
    SharedDocument right;
    QString status;
};

namespace {

// The system's yellow and red, as light washes behind the text.
QColor wash(QColor colour, double opacity)
{
    colour.setAlphaF(float(opacity));
    return colour;
}

LineBackground shading(const std::vector<TextCompare::LineShade>& shades)
{
    static const QColor changed = wash(QColor(255, 204, 0), 0.22);
    static const QColor missing = wash(QColor(255, 59, 48), 0.18);
    return [&shades](qsizetype line) -> std::optional<QColor> {
        if (line >= qsizetype(shades.size()))
            return std::nullopt;
        switch (shades[size_t(line)]) {
        case TextCompare::LineShade::changed: return changed;
        case TextCompare::LineShade::missing: return missing;
        case TextCompare::LineShade::none: break;
        }
        return std::nullopt;
    };
}

QPlainTextEdit* makeTextView()
{
    auto* view = new QPlainTextEdit;
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(toolTextFont());
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return view;
}

} // namespace

TextCompareWindowController::TextCompareWindowController(const FileUrl& left, const FileUrl& right, QWidget* parent)
    : QWidget(parent, Qt::Window), m_leftURL(left), m_rightURL(right), m_leftText(makeTextView()),
      m_rightText(makeTextView()), m_status(new QLabel(QStringLiteral("Dateien werden gelesen …")))
{
    setWindowTitle(QStringLiteral("Dateivergleich — %1 ↔ %2").arg(left.fileName(), right.fileName()));
    resize(1180, 700);
    setMinimumSize(760, 420);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* split = new QSplitter(Qt::Horizontal);
    split->setHandleWidth(1);
    split->addWidget(column(left, m_leftText));
    split->addWidget(column(right, m_rightText));
    split->setSizes({1, 1});
    // Lines at the same position belong together: both sides scroll as one.
    connect(m_leftText->verticalScrollBar(), &QScrollBar::valueChanged, m_rightText->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(m_rightText->verticalScrollBar(), &QScrollBar::valueChanged, m_leftText->verticalScrollBar(),
            &QScrollBar::setValue);
    m_status->setFixedHeight(20);
    m_status->setMinimumWidth(1);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(10, 10, 10, 10);
    stack->setSpacing(7);
    stack->addWidget(split, 1);
    stack->addWidget(new ToolWindowFindBar(this, {m_leftText, m_rightText}));
    stack->addWidget(m_status);
    load();
}

TextCompareWindowController::~TextCompareWindowController()
{
    *m_closed = true;
}

QString TextCompareWindowController::statusText() const
{
    return m_status->text();
}

QWidget* TextCompareWindowController::column(const FileUrl& url, QPlainTextEdit* view)
{
    auto* path = new QLabel(url.path());
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path->setToolTip(url.path());
    // A long path is cut at the column's edge; it never widens its column.
    path->setMinimumWidth(1);
    auto* column = new QWidget;
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(7);
    stack->addWidget(path);
    stack->addWidget(view, 1);
    return column;
}

// The right file is not read when the left one fails.
void TextCompareWindowController::load()
{
    const CancellationToken token([closed = m_closed] { return closed->load(); });
    QFuture<Rendered> task = runInBackground(
        [left = m_leftURL, right = m_rightURL, token, font = toolTextFont(), home = thread()] {
            const TextCompare::LinesRead leftLines = TextCompare::readLines(left, token);
            const TextCompare::LinesRead rightLines = TextCompare::readLines(right, token);
            TextCompare::Comparison comparison = TextCompare::compareLines(leftLines.lines, rightLines.lines, token);
            Rendered rendered;
            rendered.status =
                TextCompare::status(comparison.differences, leftLines.truncated || rightLines.truncated);
            // The two documents take most of the time: they are built side by side.
            // A waiting pool thread runs a side that has not started yet itself.
            QFuture<SharedDocument> rightDocument = QtConcurrent::run([&comparison, &font, home] {
                return buildPlainDocument(std::move(comparison.right.text), font, home,
                                          shading(comparison.right.shades));
            });
            try {
                rendered.left = buildPlainDocument(std::move(comparison.left.text), font, home,
                                                   shading(comparison.left.shades));
            } catch (...) {
                rightDocument.waitForFinished(); // it reads `comparison`
                throw;
            }
            rendered.right = rightDocument.result();
            return rendered;
        });
    whenFinished(this, task, [this](QFuture<Rendered> task) {
        if (const std::optional<BrenvikError> error = errorOf(task)) {
            m_status->setText(error->description());
            Q_EMIT rendered();
            return;
        }
        if (task.resultCount() > 0)
            render(task.result());
    });
}

void TextCompareWindowController::render(const Rendered& result)
{
    m_leftDocument = result.left;
    m_rightDocument = result.right;
    m_leftText->setDocument(m_leftDocument.get());
    m_rightText->setDocument(m_rightDocument.get());
    m_status->setText(result.status);
    Q_EMIT rendered();
}
