#include "ui/OperationProgressController.h"

#include "ui/ProgressFigures.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int closeDelayMilliseconds = 700;

QLabel* makeMetricsLabel()
{
    auto* label = new QLabel;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(11);
    label->setFont(font);
    // Qt's stand-in for the secondary label colour.
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

OperationProgressController::OperationProgressController(const QString& title, qsizetype total,
                                                         const QList<FileUrl>& sources, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowDoesNotAcceptFocus),
      m_detail(new QLabel), m_progress(new QProgressBar), m_metrics(makeMetricsLabel()),
      m_cancel(new QPushButton(QStringLiteral("Abbrechen")))
{
    m_startedAt.start();
    for (const FileUrl& source : sources)
        m_sourceSizes.append(ProgressFigures::fileSize(source).value_or(0));

    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    // The user works on while it runs: the keyboard stays with the window they work in,
    // and the button still takes a click.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(500, 178);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_detail->setMinimumWidth(1);
    m_progress->setRange(0, int(std::max<qsizetype>(total, 1)));
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    connect(m_cancel, &QPushButton::clicked, this, &OperationProgressController::cancelPressed);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(18, 18, 18, 18);
    stack->setSpacing(10);
    stack->addWidget(m_detail);
    stack->addWidget(m_progress);
    stack->addWidget(m_metrics);
    stack->addStretch();
    stack->addWidget(m_cancel, 0, Qt::AlignRight);
    setDetail(QStringLiteral("Vorbereitung …"));
}

void OperationProgressController::update(qsizetype completed, qsizetype total, const QString& filename)
{
    m_progress->setMaximum(int(std::max<qsizetype>(total, 1)));
    m_progress->setValue(int(std::min<qsizetype>(completed, m_progress->maximum())));
    setDetail(ProgressFigures::detail(completed, total, filename));
    if (m_sourceSizes.isEmpty())
        return;
    m_metrics->setText(ProgressFigures::metrics(m_sourceSizes, completed, double(m_startedAt.elapsed()) / 1000.0));
}

void OperationProgressController::finish(const QString& message)
{
    m_progress->setValue(m_progress->maximum());
    m_cancel->setEnabled(false);
    setDetail(message);
    QTimer::singleShot(closeDelayMilliseconds, this, &QWidget::close);
}

void OperationProgressController::cancelPressed()
{
    if (onCancel)
        onCancel();
    setDetail(QStringLiteral("Wird abgebrochen …"));
}

QString OperationProgressController::detailText() const
{
    return m_detailText;
}

QString OperationProgressController::metricsText() const
{
    return m_metrics->text();
}

// Long names are shortened in the middle, so that both their start and their
// extension stay readable.
void OperationProgressController::setDetail(const QString& text)
{
    m_detailText = text;
    const int width = std::max(m_detail->width(), 500 - 2 * 18);
    m_detail->setText(m_detail->fontMetrics().elidedText(text, Qt::ElideMiddle, width));
    m_detail->setToolTip(text);
}
