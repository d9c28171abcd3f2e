#include "tools/MultiRenameWindowController.h"

#include "core/FutureOutcome.h"
#include "tools/ToolWindowFrame.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QLineEdit* makeField(const QString& placeholder)
{
    auto* field = new QLineEdit;
    field->setPlaceholderText(placeholder);
    return field;
}

} // namespace

MultiRenameWindowController::MultiRenameWindowController(QList<FileUrl> sources, QWidget* parent)
    : QWidget(parent, Qt::Window), m_sources(RenamePlan::sortedSources(std::move(sources))),
      m_engine(std::make_unique<BatchRenameEngine>()), m_findField(makeField(QStringLiteral("Suchen"))),
      m_replaceField(makeField(QStringLiteral("Ersetzen"))), m_prefixField(makeField(QStringLiteral("Präfix"))),
      m_suffixField(makeField(QStringLiteral("Suffix vor Erweiterung"))), m_status(new QLabel), m_table(new QTableView),
      m_model(new TextTableModel({QStringLiteral("Bisher"), QStringLiteral("Vorschau")}, this)),
      m_applyButton(new QPushButton(QStringLiteral("Umbenennen")))
{
    ToolWindowFrame::place(this, QStringLiteral("Mehrfachumbenennung"), {780, 520}, {600, 380});
    m_table->setModel(m_model);
    ToolWindowFrame::styleTable(m_table);
    m_table->setColumnWidth(0, 360);
    m_table->setColumnWidth(1, 380);

    auto* fields = new QGridLayout;
    fields->setSpacing(10);
    const std::pair<const char*, QLineEdit*> rows[] = {
        {"Suchen:", m_findField}, {"Ersetzen:", m_replaceField}, {"Präfix:", m_prefixField}, {"Suffix:", m_suffixField}};
    int row = 0;
    for (const auto& [label, field] : rows) {
        fields->addWidget(new QLabel(QString::fromUtf8(label)), row, 0, Qt::AlignRight);
        fields->addWidget(field, row++, 1);
        connect(field, &QLineEdit::textChanged, this, &MultiRenameWindowController::refresh);
    }
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(12, 12, 12, 12);
    stack->setSpacing(10);
    stack->addLayout(fields);
    stack->addWidget(m_table, 1);
    stack->addWidget(m_status);
    stack->addWidget(m_applyButton, 0, Qt::AlignRight);
    connect(m_applyButton, &QPushButton::clicked, this, &MultiRenameWindowController::apply);
    refresh();
}

// The engine's destructor waits for a rename still running.
MultiRenameWindowController::~MultiRenameWindowController() = default;

void MultiRenameWindowController::refresh()
{
    m_plan = RenamePlan::build(m_sources, {m_findField->text(), m_replaceField->text(), m_prefixField->text(),
                                           m_suffixField->text()});
    const RenamePlan::Check check = RenamePlan::check(m_plan);
    ToolWindowFrame::showStatus(m_status, check.status, !check.valid);
    m_applyButton->setEnabled(check.valid && check.changes > 0);
    QList<QStringList> rows;
    for (const RenamePlanItem& item : std::as_const(m_plan))
        rows.append({item.source.fileName(), item.destination.fileName()});
    m_model->setRows(std::move(rows));
}

void MultiRenameWindowController::apply()
{
    m_applyButton->setEnabled(false);
    whenFinished(this, m_engine->apply(m_plan), [this](const QFuture<void>& task) {
        if (const std::optional<BrenvikError> error = errorOf(task)) {
            ToolWindowFrame::showStatus(m_status, error->description(), true);
            m_applyButton->setEnabled(true);
            return;
        }
        if (onComplete)
            onComplete();
        close();
    });
}
