#include "diagnostics/DiagnosticsWindowController.h"

#include "core/SystemError.h"
#include "diagnostics/DiagnosticsStore.h"
#include "platform/FileWriting.h"
#include "ui/Interaction.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

QPlainTextEdit* makeReportView()
{
    auto* view = new QPlainTextEdit;
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(11);
    font.setWeight(QFont::Normal);
    view->setFont(font);
    return view;
}

QLabel* makePrivacyNote()
{
    auto* note = new QLabel(QStringLiteral(
        "Das Protokoll bleibt im Arbeitsspeicher. Es enthält keine Dateinamen, Pfade, Servernamen oder "
        "Zugangsdaten und wird nur auf ausdrücklichen Klick exportiert."));
    note->setWordWrap(true);
    // Qt's stand-in for a secondary label colour: the dimmed text of the palette.
    note->setForegroundRole(QPalette::PlaceholderText);
    return note;
}

} // namespace

DiagnosticsWindowController::DiagnosticsWindowController(Interaction& interaction, QWidget* parent)
    : QWidget(parent, Qt::Window), m_interaction(interaction), m_text(makeReportView())
{
    setWindowTitle(QStringLiteral("Brenvik-Diagnose"));
    setMinimumSize(600, 380);
    resize(820, 560);

    auto* refreshButton = new QPushButton(QStringLiteral("Aktualisieren"));
    auto* exportButton = new QPushButton(QStringLiteral("Exportieren …"));
    auto* clearButton = new QPushButton(QStringLiteral("Protokoll leeren"));
    connect(refreshButton, &QPushButton::clicked, this, &DiagnosticsWindowController::refresh);
    connect(exportButton, &QPushButton::clicked, this, &DiagnosticsWindowController::exportReport);
    connect(clearButton, &QPushButton::clicked, this, &DiagnosticsWindowController::clearLog);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(refreshButton);
    buttonRow->addWidget(exportButton);
    buttonRow->addWidget(clearButton);
    buttonRow->addStretch();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);
    column->addWidget(m_text, 1);
    column->addWidget(makePrivacyNote());
    column->addLayout(buttonRow);

    if (QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
    refresh();
}

void DiagnosticsWindowController::refresh()
{
    m_text->setPlainText(DiagnosticsStore::shared().report());
    QScrollBar* vertical = m_text->verticalScrollBar();
    vertical->setValue(vertical->maximum());
}

void DiagnosticsWindowController::clearLog()
{
    DiagnosticsStore& store = DiagnosticsStore::shared();
    store.clear();
    store.record(QStringLiteral("Diagnose"), QStringLiteral("Protokoll vom Benutzer geleert"));
    refresh();
}

void DiagnosticsWindowController::exportReport()
{
    SaveFileRequest request;
    request.suggestedName = QStringLiteral("Brenvik-Diagnose.txt");
    const std::optional<QString> destination = m_interaction.chooseSaveDestination(request);
    if (!destination || destination->isEmpty())
        return;

    try {
        writeFileAtomically(*destination, DiagnosticsStore::shared().report().toUtf8());
    } catch (const SystemError& error) {
        m_interaction.showError(
            QStringLiteral("Die Datei „%1“ konnte nicht gesichert werden.").arg(QFileInfo(*destination).fileName()),
            SystemError::messageFor(error.code()));
    }
}
