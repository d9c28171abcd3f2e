#include "tools/ChecksumWindowController.h"

#include "tools/ToolWindowFrame.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

ChecksumWindowController::ChecksumWindowController(QList<ChecksumEngine::Result> results, QWidget* parent)
    : QWidget(parent, Qt::Window), m_results(std::move(results)), m_table(new QTableView),
      m_copyButton(new QPushButton(QStringLiteral("Alle kopieren")))
{
    ToolWindowFrame::place(this, QStringLiteral("SHA-256-Prüfsummen"), {900, 420}, {620, 280});
    auto* model = new TextTableModel({QStringLiteral("Datei"), QStringLiteral("SHA-256")}, this);
    QList<QStringList> rows;
    for (const ChecksumEngine::Result& result : std::as_const(m_results))
        rows.append({result.url.fileName(), result.digest});
    model->setRows(std::move(rows));
    m_table->setModel(model);
    ToolWindowFrame::styleTable(m_table);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setColumnWidth(0, 300);
    m_table->setColumnWidth(1, 560);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(10, 10, 10, 10);
    stack->setSpacing(8);
    stack->addWidget(m_table, 1);
    stack->addWidget(m_copyButton, 0, Qt::AlignRight);
    connect(m_copyButton, &QPushButton::clicked, this, &ChecksumWindowController::copyAll);
}

void ChecksumWindowController::copyAll()
{
    QGuiApplication::clipboard()->setText(ChecksumEngine::clipboardText(m_results));
}
