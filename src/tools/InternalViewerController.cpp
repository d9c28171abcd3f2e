#include "tools/InternalViewerController.h"

#include "core/FutureOutcome.h"
#include "tools/BackgroundTask.h"
#include "tools/FileHead.h"
#include "tools/ToolWindowFindBar.h"
#include "tools/ViewerText.h"

#include <QButtonGroup>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

struct Loaded {
    FileHead head;
    SharedDocument text;
};

QPushButton* segment(const QString& title)
{
    auto* button = new QPushButton(title);
    button->setCheckable(true);
    button->setAutoDefault(false);
    return button;
}

} // namespace

InternalViewerController::InternalViewerController(const FileUrl& url, QWidget* parent)
    : QWidget(parent, Qt::Window), m_url(url), m_mode(new QButtonGroup(this)), m_textView(new QPlainTextEdit),
      m_status(new QLabel(QStringLiteral("Laden …")))
{
    setWindowTitle(QStringLiteral("Anzeigen — ") + url.fileName());
    resize(900, 650);
    setMinimumSize(560, 360);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    QPushButton* textSegment = segment(QStringLiteral("Text"));
    QPushButton* hexSegment = segment(QStringLiteral("Hex"));
    textSegment->setChecked(true);
    m_mode->addButton(textSegment, text);
    m_mode->addButton(hexSegment, hex);
    connect(m_mode, &QButtonGroup::idClicked, this, [this] { render(); });

    m_textView->setReadOnly(true);
    m_textView->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_textView->setFont(toolTextFont());
    m_textView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* segments = new QHBoxLayout;
    segments->setSpacing(0);
    segments->addWidget(textSegment);
    segments->addWidget(hexSegment);
    segments->addStretch();
    auto* stack = new QVBoxLayout(this);
    stack->addLayout(segments);
    stack->addWidget(m_textView, 1);
    stack->addWidget(new ToolWindowFindBar(this, {m_textView}));
    stack->addWidget(m_status);
    load();
}

InternalViewerController::~InternalViewerController()
{
    *m_closed = true;
}

InternalViewerController::Mode InternalViewerController::mode() const
{
    return Mode(m_mode->checkedId());
}

void InternalViewerController::setMode(Mode mode)
{
    m_mode->button(mode)->click();
}

QString InternalViewerController::statusText() const
{
    return m_status->text();
}

void InternalViewerController::load()
{
    const FileUrl url = m_url;
    const CancellationToken token([closed = m_closed] { return closed->load(); });
    QFuture<Loaded> task = runInBackground([url, token, font = toolTextFont(), home = thread()] {
        FileHead head = readFileHead(url, ViewerText::readLimit, token);
        SharedDocument document = buildPlainDocument(ViewerText::text(head.bytes), font, home);
        return Loaded{std::move(head), std::move(document)};
    });
    whenFinished(this, task, [this](QFuture<Loaded> task) {
        if (const std::optional<BrenvikError> error = errorOf(task)) {
            // A message, not file contents: it wraps to the window.
            m_textView->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            m_textView->setPlainText(error->description());
            m_status->setText(QStringLiteral("Fehler"));
            Q_EMIT rendered();
            return;
        }
        if (task.resultCount() == 0)
            return;
        const Loaded loaded = task.result();
        m_data = loaded.head.bytes;
        m_textDocument = loaded.text;
        m_loaded = true;
        m_status->setText(ViewerText::status(loaded.head.size, m_data.size()));
        render();
        // Made ahead, so that the switch to hex only hands it over.
        if (!m_data.isEmpty())
            buildHexDocument();
    });
}

void InternalViewerController::render()
{
    if (!m_loaded)
        return;
    if (mode() == text)
        return showDocument(m_textDocument);
    if (!m_hexDocument)
        return buildHexDocument();
    showDocument(m_hexDocument);
    if (m_data.size() > ViewerText::hexLimit && !m_hexNoteShown) {
        m_hexNoteShown = true;
        m_status->setText(m_status->text() + QStringLiteral(" · Hex auf 1 MB begrenzt"));
    }
}

void InternalViewerController::showDocument(const SharedDocument& document)
{
    m_textView->setDocument(document.get());
    m_textView->moveCursor(QTextCursor::Start);
    Q_EMIT rendered();
}

// Five megabytes of dump text are laid out in the background like the file's text.
void InternalViewerController::buildHexDocument()
{
    if (m_buildingHex)
        return;
    m_buildingHex = true;
    QFuture<SharedDocument> task =
        runInBackground([bytes = m_data.left(ViewerText::hexLimit), font = toolTextFont(), home = thread()] {
            return buildPlainDocument(ViewerText::hexDump(bytes), font, home);
        });
    whenFinished(this, task, [this](QFuture<SharedDocument> task) {
        m_buildingHex = false;
        if (task.resultCount() == 0)
            return;
        m_hexDocument = task.result();
        if (mode() == hex)
            render();
    });
}
