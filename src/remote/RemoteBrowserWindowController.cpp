#include "remote/RemoteBrowserWindowController.h"

#include "core/BrenvikError.h"
#include "core/ByteCount.h"
#include "core/FutureOutcome.h"
#include "platform/PlatformTexts.h"
#include "remote/RemoteTransportError.h"
#include "remote/RemoteWindowControls.h"
#include "ui/Interaction.h"

#include <QFileInfo>
#include <algorithm>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThreadPool>
#include <QVBoxLayout>

namespace {

// Repeated slashes, "." and ".." resolved; always absolute, never above "/".
QString standardised(const QString& path)
{
    QStringList parts;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == u".")
            continue;
        if (part == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return u'/' + parts.join(u'/');
}

bool acceptableName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(u'\n')
           && !name.contains(u'\r') && !name.contains(QChar(u'\0'));
}

QTableWidget* makeEntryTable()
{
    auto* table = new QTableWidget(0, 3);
    table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Typ"), QStringLiteral("Größe")});
    table->setColumnWidth(0, 430);
    table->setColumnWidth(1, 100);
    table->setColumnWidth(2, 120);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    return table;
}

QLabel* makeSecurityLine(RemoteProtocolKind kind)
{
    auto* line = new QLabel;
    switch (kind) {
    case RemoteProtocolKind::ftp:
        line->setText(QStringLiteral("⚠ FTP überträgt Zugangsdaten und Dateien unverschlüsselt."));
        line->setStyleSheet(QStringLiteral("color: #d9730d;"));
        return line;
    case RemoteProtocolKind::ftps:
        line->setText(QStringLiteral("FTPS verschlüsselt die Transportverbindung."));
        break;
    case RemoteProtocolKind::sftp:
        line->setText(QStringLiteral("SFTP verschlüsselt die Transportverbindung."));
        break;
    }
    line->setForegroundRole(QPalette::PlaceholderText);
    return line;
}

const QString targetExists = QStringLiteral("Ziel existiert bereits");

QString presentOnServer(const QString& name)
{
    return QStringLiteral("„") + name + QStringLiteral("“ ist auf dem Server bereits vorhanden.");
}

} // namespace

RemoteBrowserWindowController::RemoteBrowserWindowController(const RemoteProfile& profile, const QString& password,
                                                             Interaction& interaction, SftpTools sftpTools,
                                                             QWidget* parent)
    : QWidget(parent, Qt::Window), m_profile(profile), m_interaction(interaction),
      m_provider(std::make_unique<CurlRemoteProvider>(profile, password, CurlRemoteProvider::systemCurl,
                                                      std::move(sftpTools))),
      m_path(new QLineEdit), m_table(makeEntryTable()), m_status(new QLabel), m_spinner(new QProgressBar),
      m_currentPath(standardised(profile.initialPath))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(profile.name + QStringLiteral(" — ") + rawValue(profile.kind));
    setMinimumSize(620, 400);
    resize(850, 610);

    using Self = RemoteBrowserWindowController;
    QHBoxLayout* topRow =
        RemoteWindowControls::buttonRow<Self>(this, {{"Nach oben", &Self::goUp}, {"Neu laden", &Self::reloadPressed}});
    topRow->insertWidget(0, m_path, 1);
    connect(m_path, &QLineEdit::returnPressed, this, &RemoteBrowserWindowController::pathEntered);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &RemoteBrowserWindowController::openEntry);

    QHBoxLayout* actionRow = RemoteWindowControls::buttonRow<Self>(this, {
        {"Download …", &Self::download},
        {"Upload …", &Self::upload},
        {"Neuer Ordner …", &Self::newFolder},
        {"Umbenennen …", &Self::rename},
        {"Löschen …", &Self::remove},
    });
    actionRow->setSpacing(8);

    m_spinner->setRange(0, 0);
    m_spinner->setTextVisible(false);
    m_spinner->setFixedSize(80, 12);
    m_spinner->hide();
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_status, 1);
    statusRow->addWidget(m_spinner);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);
    column->addLayout(topRow);
    column->addWidget(m_table, 1);
    column->addLayout(actionRow);
    column->addWidget(makeSecurityLine(profile.kind));
    column->addLayout(statusRow);

    m_path->setText(m_currentPath);
    // The first listing is the one that logs in.
    reload(QStringLiteral("Verbinde …"));
}

RemoteBrowserWindowController::~RemoteBrowserWindowController()
{
    // Destroying a provider waits for its running transfer.
    QThreadPool::globalInstance()->start([provider = m_provider.release()] { delete provider; });
}

QString RemoteBrowserWindowController::statusText() const
{
    return m_status->text();
}

QString RemoteBrowserWindowController::joined(const QString& name) const
{
    return standardised(m_currentPath + u'/' + name);
}

template <typename T, typename Done>
void RemoteBrowserWindowController::track(const QString& runningText, QFuture<T> future, Done done)
{
    started(runningText);
    whenFinished(this, std::move(future), [this, done = std::move(done)](QFuture<T> finishedWork) mutable {
        if (const std::optional<BrenvikError> error = errorOf(finishedWork))
            return failed(*error);
        if constexpr (std::is_void_v<T>)
            done();
        else
            done(finishedWork.result());
    });
}

void RemoteBrowserWindowController::started(const QString& text)
{
    ++m_running;
    m_status->setText(text);
    m_spinner->show();
}

void RemoteBrowserWindowController::finished(const QString& text)
{
    m_running = std::max(0, m_running - 1);
    m_spinner->setVisible(m_running > 0);
    m_status->setText(text);
}

void RemoteBrowserWindowController::failed(const BrenvikError& error)
{
    finished(QStringLiteral("Fehler"));
    m_interaction.showError(error);
}

void RemoteBrowserWindowController::navigate(const QString& path)
{
    const QString target = standardised(path);
    // Names of another folder must never be joined to this one.
    if (target != m_currentPath)
        showEntries({});
    m_currentPath = target;
    m_path->setText(target);
    reload();
}

void RemoteBrowserWindowController::reload(const QString& runningText)
{
    const QString path = m_currentPath;
    track(runningText, m_provider->list(path), [this, path](const QList<RemoteEntry>& entries) {
        if (path == m_currentPath)
            showEntries(entries);
        finished(QString::number(entries.size()) + QStringLiteral(" Einträge"));
    });
}

void RemoteBrowserWindowController::showEntries(const QList<RemoteEntry>& entries)
{
    m_entries = entries;
    m_table->clearContents();
    m_table->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const RemoteEntry& entry = entries.at(row);
        m_table->setItem(row, 0, new QTableWidgetItem(entry.name));
        m_table->setItem(row, 1, new QTableWidgetItem(entry.isDirectory ? QStringLiteral("Ordner")
                                                                          : QStringLiteral("Datei")));
        auto* size = new QTableWidgetItem(entry.size ? ByteCount::text(*entry.size) : QStringLiteral("–"));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(row, 2, size);
    }
}

std::optional<RemoteEntry> RemoteBrowserWindowController::selectedEntry()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_entries.size() || !m_table->selectionModel()->isRowSelected(row)) {
        m_interaction.beep();
        return std::nullopt;
    }
    return m_entries.at(row);
}

void RemoteBrowserWindowController::goUp()
{
    if (m_currentPath == u"/")
        return;
    navigate(m_currentPath.left(m_currentPath.lastIndexOf(u'/')));
}

void RemoteBrowserWindowController::reloadPressed()
{
    reload();
}

void RemoteBrowserWindowController::pathEntered()
{
    navigate(m_path->text());
}

void RemoteBrowserWindowController::openEntry(int row)
{
    if (row < 0 || row >= m_entries.size())
        return;
    const RemoteEntry entry = m_entries.at(row);
    const QString remotePath = joined(entry.name);
    if (entry.isDirectory)
        return navigate(remotePath);
    // A names-only listing calls everything a file: the server decides.
    whenFinished(this, m_provider->probeDirectory(remotePath), [this, entry, remotePath](QFuture<bool> probe) {
        if (probe.resultCount() > 0 && probe.result())
            navigate(remotePath);
        else
            downloadEntry(entry, remotePath);
    });
}

void RemoteBrowserWindowController::download()
{
    if (selectedEntry())
        openEntry(m_table->currentRow());
}

void RemoteBrowserWindowController::downloadEntry(const RemoteEntry& entry, const QString& remotePath)
{
    SaveFileRequest request;
    request.suggestedName = entry.name;
    const std::optional<QString> destination = m_interaction.chooseSaveDestination(request);
    if (!destination)
        return;
    // The transport writes beside the destination and moves the file into
    // place only when complete, so an existing file survives a failure.
    track(QStringLiteral("Download …"), m_provider->download(remotePath, FileUrl::fromLocalPath(*destination)),
          [this] { finished(QStringLiteral("Download abgeschlossen")); });
}

void RemoteBrowserWindowController::upload()
{
    const std::optional<QString> localPath = m_interaction.chooseFileToOpen(OpenFileRequest());
    if (!localPath)
        return;
    const QString name = QFileInfo(*localPath).fileName();
    const QString folder = m_currentPath;
    const QString remotePath = joined(name);
    // The shown listing may be old: the server's present one decides whether
    // the upload would replace something.
    track(QStringLiteral("Upload …"), m_provider->list(folder),
          [this, localPath = *localPath, name, remotePath](const QList<RemoteEntry>& present) {
              const bool taken = std::any_of(present.begin(), present.end(),
                                             [&](const RemoteEntry& entry) { return entry.name == name; });
              if (taken && !confirmReplace(name))
                  return finished(QStringLiteral("Upload abgebrochen"));
              finished(QStringLiteral("Upload …"));
              track(QStringLiteral("Upload …"), m_provider->upload(FileUrl::fromLocalPath(localPath), remotePath),
                    [this] {
                        finished(QStringLiteral("Upload abgeschlossen"));
                        reload();
                    });
          });
}

bool RemoteBrowserWindowController::confirmReplace(const QString& name)
{
    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = targetExists;
    request.informativeText = presentOnServer(name);
    request.buttons = {QStringLiteral("Ersetzen"), QStringLiteral("Abbrechen")};
    return m_interaction.runAlert(request).buttonIndex == 0;
}

std::optional<QString> RemoteBrowserWindowController::ask(const QString& title, const QString& initial)
{
    AlertRequest request;
    request.message = title;
    request.accessory.controls.append(AccessoryControl::textField(initial, QSize(300, 24)));
    request.buttons = {QStringLiteral("Ausführen"), QStringLiteral("Abbrechen")};
    const AlertResponse response = m_interaction.runAlert(request);
    if (response.buttonIndex != 0)
        return std::nullopt;
    const QString name = response.text().trimmed();
    if (!acceptableName(name)) {
        m_interaction.showError(RemoteTransportError::invalidName());
        return std::nullopt;
    }
    return name;
}

void RemoteBrowserWindowController::runNamedOperation(QFuture<void> operation)
{
    track(QStringLiteral("Remote-Vorgang …"), std::move(operation), [this] {
        finished(QStringLiteral("Abgeschlossen"));
        reload();
    });
}

void RemoteBrowserWindowController::newFolder()
{
    if (const std::optional<QString> name = ask(QStringLiteral("Remote-Ordner anlegen"), QStringLiteral("Neuer Ordner")))
        runNamedOperation(m_provider->createDirectory(joined(*name)));
}

void RemoteBrowserWindowController::rename()
{
    const std::optional<RemoteEntry> entry = selectedEntry();
    if (!entry)
        return;
    const QString oldPath = joined(entry->name);
    const std::optional<QString> name = ask(QStringLiteral("Remote-Objekt umbenennen"), entry->name);
    if (!name)
        return;
    // FTP servers replace an existing target without a word.
    const bool taken = std::any_of(m_entries.begin(), m_entries.end(),
                                   [&](const RemoteEntry& other) { return other.name == *name; });
    if (taken && *name != entry->name)
        return m_interaction.showError(targetExists, presentOnServer(*name));
    runNamedOperation(m_provider->rename(oldPath, joined(*name)));
}

void RemoteBrowserWindowController::remove()
{
    const std::optional<RemoteEntry> entry = selectedEntry();
    if (!entry)
        return;
    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QStringLiteral("„") + entry->name + QStringLiteral("“ auf dem Server löschen?");
    request.informativeText = PlatformTexts::localized(
        QStringLiteral("Remote-Löschen kann nicht über den macOS-Papierkorb rückgängig gemacht werden. Ordner müssen "
                       "leer sein."));
    request.buttons = {QStringLiteral("Löschen"), QStringLiteral("Abbrechen")};
    if (m_interaction.runAlert(request).buttonIndex != 0)
        return;
    runNamedOperation(m_provider->deleteEntry(joined(entry->name), entry->isDirectory));
}
