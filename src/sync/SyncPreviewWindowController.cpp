#include "sync/SyncPreviewWindowController.h"

#include "core/FutureOutcome.h"
#include "sync/SyncPlanModel.h"
#include "ui/Interaction.h"
#include "ui/OperationProgressController.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int shownFailures = 5;

qsizetype conflictCount(const QList<SyncPlanItem>& items)
{
    return std::count_if(items.cbegin(), items.cend(),
                         [](const SyncPlanItem& item) { return item.action == SyncAction::conflict; });
}

QString failureSummary(const QList<SyncExecutor::Failure>& failures)
{
    QStringList parts;
    for (qsizetype i = 0; i < std::min<qsizetype>(failures.size(), shownFailures); ++i)
        parts.append(failures.at(i).item.relativePath() + QStringLiteral(": ") + failures.at(i).message);
    return parts.join(QStringLiteral(" · "));
}

QTableView* makeTable(SyncPlanModel* model)
{
    auto* table = new QTableView;
    table->setModel(model);
    table->setAlternatingRowColors(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    table->setWordWrap(false);
    // Every row is one line high: the view never measures rows one by one.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setColumnWidth(SyncPlanModel::action, 140);
    table->setColumnWidth(SyncPlanModel::path, 460);
    table->setColumnWidth(SyncPlanModel::detail, 330);
    return table;
}

} // namespace

SyncPreviewWindowController::SyncPreviewWindowController(QList<SyncPlanItem> items, FileUrl left, FileUrl right,
                                                         Interaction& interaction, QWidget* parent)
    : QWidget(parent, Qt::Window), m_left(std::move(left)), m_right(std::move(right)), m_interaction(interaction),
      m_model(new SyncPlanModel(std::move(items), this)), m_table(makeTable(m_model)), m_summary(new QLabel),
      m_executeButton(new QPushButton(QStringLiteral("Alle sicheren Kopieraktionen ausführen")))
{
    setWindowTitle(QStringLiteral("Synchronisierungsvorschau (schreibgeschützt)"));
    resize(980, 600);
    setMinimumSize(700, 400);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* header = new QLabel(QStringLiteral("Links: ") + m_left.path() + QStringLiteral("\nRechts: ") + m_right.path()
                              + QStringLiteral("\nDiese Vorschau verändert und löscht keine Dateien."));
    header->setWordWrap(true);
    m_summary->setText(planSummary());
    m_summary->setWordWrap(true);
    auto* copyButton = new QPushButton(QStringLiteral("Plan kopieren"));
    connect(copyButton, &QPushButton::clicked, this, &SyncPreviewWindowController::copyPlan);
    connect(m_executeButton, &QPushButton::clicked, this, &SyncPreviewWindowController::executeSafeActions);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(9);
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(copyButton);
    buttons->addWidget(m_executeButton);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(12, 12, 12, 12);
    stack->setSpacing(9);
    stack->addWidget(header);
    stack->addWidget(m_table, 1);
    stack->addLayout(buttons);
}

SyncPreviewWindowController::~SyncPreviewWindowController()
{
    m_execution.cancel();
}

QString SyncPreviewWindowController::planSummary() const
{
    return QStringLiteral("%1 geplante Aktion(en), davon %2 Konflikt(e)")
        .arg(m_model->items().size())
        .arg(conflictCount(m_model->items()));
}

void SyncPreviewWindowController::copyPlan()
{
    QStringList lines;
    lines.reserve(m_model->items().size());
    for (const SyncPlanItem& item : m_model->items())
        lines.append(planLine(item));
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void SyncPreviewWindowController::executeSafeActions()
{
    if (m_execution.isRunning())
        return;
    QList<SyncPlanItem> safe;
    for (const SyncPlanItem& item : m_model->items()) {
        if (item.action != SyncAction::conflict)
            safe.append(item);
    }
    if (safe.isEmpty())
        return m_interaction.beep();
    AlertRequest question;
    question.style = AlertStyle::warning;
    question.message = QStringLiteral("%1 sichere Kopieraktion(en) ausführen?").arg(safe.size());
    question.informativeText = QStringLiteral("Es werden keine Dateien gelöscht. %1 Konflikt(e) bleiben unverändert.")
                                   .arg(m_model->items().size() - safe.size());
    question.buttons = {QStringLiteral("Synchronisieren"), QStringLiteral("Abbrechen")};
    if (m_interaction.runAlert(question).buttonIndex != 0)
        return;

    m_executeButton->setEnabled(false);
    auto* progress = new OperationProgressController(QStringLiteral("Verzeichnisse synchronisieren"), safe.size(), {}, this);
    progress->show();
    m_execution = m_executor.execute(
        std::move(safe), m_left, m_right,
        SyncExecutor::progressOnThreadOf(this, [progress = QPointer(progress)](qsizetype completed, qsizetype total,
                                                                               const QString& path) {
            if (progress)
                progress->update(completed, total, path);
        }));
    progress->onCancel = [task = m_execution]() mutable { task.cancel(); };
    whenFinished(this, m_execution, [this, progress = QPointer(progress)](auto task) {
        finishExecution(task, progress);
    });
}

void SyncPreviewWindowController::finishExecution(const QFuture<QList<SyncExecutor::Failure>>& task,
                                                  const QPointer<OperationProgressController>& progress)
{
    m_executeButton->setEnabled(true);
    m_execution = {};
    if (const std::optional<BrenvikError> error = errorOf(task)) {
        if (progress)
            progress->close();
        m_summary->setText(error->description());
        return;
    }
    if (task.isCanceled() || task.resultCount() == 0) {
        if (progress)
            progress->finish(QStringLiteral("Synchronisierung abgebrochen"));
        m_summary->setText(QStringLiteral("Abgebrochen · bereits abgeschlossene Kopien bleiben erhalten"));
        return;
    }
    const QList<SyncExecutor::Failure> failures = task.result();
    if (progress) {
        progress->finish(failures.isEmpty() ? QStringLiteral("Synchronisierung abgeschlossen")
                                            : QStringLiteral("Mit %1 Fehler(n) abgeschlossen").arg(failures.size()));
    }
    m_summary->setText(failures.isEmpty() ? QStringLiteral("Synchronisierung abgeschlossen · keine Löschungen")
                                          : failureSummary(failures));
    if (onComplete)
        onComplete();
}
