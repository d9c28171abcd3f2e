#include "tools/FileInfoWindowController.h"

#include "core/FutureOutcome.h"
#include "panels/FileIconCache.h"
#include "tools/BackgroundTask.h"
#include "tools/FileDetails.h"
#include "tools/ToolWindowDocuments.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int iconSide = 48;

struct Shown {
    QString text;
    bool isFolder = false;
};

} // namespace

FileInfoWindowController::FileInfoWindowController(const FileUrl& url, QWidget* parent)
    : QWidget(parent, Qt::Window), m_url(url), m_icon(new QLabel), m_details(new QPlainTextEdit),
      m_copy(new QPushButton(QStringLiteral("Pfad kopieren")))
{
    setWindowTitle(QStringLiteral("Informationen — ") + url.fileName());
    buildUI();
    load();
}

void FileInfoWindowController::buildUI()
{
    resize(620, 360);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_icon->setFixedSize(iconSide, iconSide);
    auto* name = new QLabel(m_url.fileName());
    QFont nameFont = name->font();
    nameFont.setPointSize(18);
    nameFont.setWeight(QFont::DemiBold);
    name->setFont(nameFont);
    name->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_details->setReadOnly(true);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_details->setFont(toolTextFont());
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_copy->setAutoDefault(false);
    connect(m_copy, &QPushButton::clicked, this, &FileInfoWindowController::copyPath);

    auto* header = new QHBoxLayout;
    header->addWidget(m_icon);
    header->addWidget(name, 1);
    auto* stack = new QVBoxLayout(this);
    stack->addLayout(header);
    stack->addWidget(m_details, 1);
    stack->addWidget(m_copy, 0, Qt::AlignRight);
}

void FileInfoWindowController::load()
{
    QFuture<Shown> task = runInBackground([url = m_url] {
        return Shown{FileDetails::details(url), FileDetails::isFolder(url)};
    });
    whenFinished(this, task, [this](QFuture<Shown> task) {
        if (task.resultCount() == 0)
            return;
        const Shown shown = task.result();
        m_details->setPlainText(shown.text);
        FileItem item;
        item.url = m_url;
        const QIcon icon = shown.isFolder ? QFileIconProvider().icon(QAbstractFileIconProvider::Folder)
                                          : FileIconCache().fileIcon(item);
        m_icon->setPixmap(icon.pixmap(iconSide, iconSide));
        Q_EMIT detailsShown();
    });
}

QString FileInfoWindowController::detailsText() const
{
    return m_details->toPlainText();
}

void FileInfoWindowController::copyPath()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_url.path());
}
