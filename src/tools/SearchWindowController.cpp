#include "tools/SearchWindowController.h"

#include "core/FutureOutcome.h"
#include "tools/ToolWindowFrame.h"
#include "ui/Interaction.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace {

QLineEdit* makeSizeField(const QString& placeholder)
{
    auto* field = new QLineEdit;
    field->setPlaceholderText(placeholder);
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(80);
    return field;
}

} // namespace

SearchWindowController::SearchWindowController(FileUrl root, Interaction& interaction, QWidget* parent)
    : QWidget(parent, Qt::Window), m_root(std::move(root)), m_interaction(interaction), m_engine(std::make_unique<SearchEngine>()),
      m_field(new QLineEdit), m_contentField(new QLineEdit), m_minimumSizeField(makeSizeField(QStringLiteral("Min. MB"))),
      m_maximumSizeField(makeSizeField(QStringLiteral("Max. MB"))),
      m_recursive(new QCheckBox(QStringLiteral("Unterordner durchsuchen"))),
      m_useDate(new QCheckBox(QStringLiteral("Geändert nach"))),
      m_modifiedAfter(new QDateTimeEdit(QDateTime::currentDateTime().addMonths(-1))),
      m_searchButton(new QPushButton(QStringLiteral("Suchen"))), m_stopButton(new QPushButton(QStringLiteral("Stoppen"))),
      m_spinner(new QProgressBar), m_status(new QLabel(QStringLiteral("Suchbegriff oder Maske eingeben"))),
      m_table(new QTableView), m_model(new TextTableModel({QStringLiteral("Name"), QStringLiteral("Pfad")}, this))
{
    ToolWindowFrame::place(this, QStringLiteral("Dateien suchen — ") + m_root.path(), {760, 500}, {520, 320});

    m_field->setPlaceholderText(QStringLiteral("Name, *.pdf oder foto*.jpg"));
    m_contentField->setPlaceholderText(QStringLiteral("Textinhalt (optional)"));
    m_recursive->setChecked(true);
    m_modifiedAfter->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_modifiedAfter->setCalendarPopup(true);
    m_searchButton->setDefault(true);
    m_spinner->setRange(0, 0);
    m_spinner->setFixedSize(60, 12);
    m_spinner->setTextVisible(false);
    m_spinner->hide();

    m_table->setModel(m_model);
    ToolWindowFrame::styleTable(m_table);
    m_table->setColumnWidth(0, 240);
    m_table->setColumnWidth(1, 470);

    auto* criteria = new QHBoxLayout;
    criteria->addWidget(m_field, 1);
    criteria->addWidget(m_contentField, 1);
    criteria->addWidget(m_minimumSizeField);
    criteria->addWidget(m_maximumSizeField);
    auto* options = new QHBoxLayout;
    options->addWidget(m_recursive);
    options->addWidget(m_useDate);
    options->addWidget(m_modifiedAfter);
    options->addStretch();
    options->addWidget(m_spinner);
    options->addWidget(m_stopButton);
    options->addWidget(m_searchButton);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(12, 12, 12, 12);
    stack->setSpacing(8);
    stack->addLayout(criteria);
    stack->addLayout(options);
    stack->addWidget(m_table, 1);
    stack->addWidget(m_status);

    for (QLineEdit* field : {m_field, m_contentField, m_minimumSizeField, m_maximumSizeField})
        connect(field, &QLineEdit::returnPressed, this, &SearchWindowController::startSearch);
    connect(m_searchButton, &QPushButton::clicked, this, &SearchWindowController::startSearch);
    connect(m_stopButton, &QPushButton::clicked, this, &SearchWindowController::stopSearch);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { openResult(index.row()); });
    m_field->setFocus();
}

// The engine's destructor stops a walk still running and waits for it.
SearchWindowController::~SearchWindowController() = default;

std::optional<qint64> SearchWindowController::sizeBound(const QString& text)
{
    bool ok = false;
    const double megabytes = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(megabytes))
        return std::nullopt;
    const double bytes = std::trunc(megabytes * 1048576.0);
    constexpr double largest = double(std::numeric_limits<qint64>::max());
    return bytes >= largest ? std::numeric_limits<qint64>::max()
           : bytes <= -largest ? std::numeric_limits<qint64>::min()
                               : qint64(bytes);
}

void SearchWindowController::startSearch()
{
    SearchEngine::Options options;
    options.query = m_field->text().trimmed();
    options.content = m_contentField->text().trimmed();
    if (options.query.isEmpty() && options.content.isEmpty()) {
        m_interaction.beep();
        return;
    }
    stopSearch();
    m_spinner->show();
    ToolWindowFrame::showStatus(m_status, QStringLiteral("Suche läuft …"), false);
    m_results.clear();
    showResults();

    options.minimumSize = sizeBound(m_minimumSizeField->text());
    options.maximumSize = sizeBound(m_maximumSizeField->text());
    options.recursive = m_recursive->isChecked();
    if (m_useDate->isChecked())
        options.modifiedAfter = m_modifiedAfter->dateTime();

    const quint64 generation = ++m_generation;
    QFuture<QList<FileUrl>> task = m_engine->search(m_root, std::move(options), hitLimit);
    m_searchTask = task;
    whenFinished(this, task, [this, generation](const QFuture<QList<FileUrl>>& done) { finishSearch(generation, done); });
}

void SearchWindowController::stopSearch()
{
    if (m_searchTask)
        m_searchTask->cancel();
}

void SearchWindowController::finishSearch(quint64 generation, const QFuture<QList<FileUrl>>& task)
{
    // A search replaced by a newer one leaves the window to that one.
    if (generation != m_generation)
        return;
    m_searchTask.reset();
    m_spinner->hide();
    if (const std::optional<BrenvikError> error = errorOf(task)) {
        ToolWindowFrame::showStatus(m_status, error->description(), true);
    } else if (task.isCanceled() || task.resultCount() == 0) {
        ToolWindowFrame::showStatus(m_status, QStringLiteral("Suche abgebrochen"), false);
    } else {
        m_results = task.result();
        ToolWindowFrame::showStatus(m_status, QString::number(m_results.size()) + QStringLiteral(" Treffer"), false);
    }
    showResults();
}

void SearchWindowController::showResults()
{
    QList<QStringList> rows;
    rows.reserve(m_results.size());
    for (const FileUrl& url : std::as_const(m_results))
        rows.append({url.fileName(), url.parent().path()});
    m_model->setRows(std::move(rows));
}

void SearchWindowController::openResult(int row)
{
    if (row < 0 || row >= m_results.size())
        return;
    const FileUrl hit = m_results[row];
    if (onOpenResult)
        onOpenResult(hit);
    close();
}

void SearchWindowController::closeEvent(QCloseEvent* event)
{
    stopSearch();
    QWidget::closeEvent(event);
}
