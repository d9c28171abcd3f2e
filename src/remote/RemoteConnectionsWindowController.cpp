#include "remote/RemoteConnectionsWindowController.h"

#include "core/BrenvikError.h"
#include "core/FutureOutcome.h"
#include "platform/PlatformTexts.h"
#include "remote/RemoteBrowserWindowController.h"
#include "remote/RemoteProfileEditor.h"
#include "remote/RemoteProfileFile.h"
#include "remote/RemoteProfileStore.h"
#include "remote/RemoteWindowControls.h"
#include "ui/Interaction.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QPromise>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace {

enum Column { nameColumn, kindColumn, hostColumn, userColumn, credentialColumn, columnCount };

QTableWidget* makeProfileTable()
{
    auto* table = new QTableWidget(0, columnCount);
    table->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Protokoll"), QStringLiteral("Server"),
                                      QStringLiteral("Benutzer"), QStringLiteral("Zugangsdaten")});
    const int widths[columnCount] = {160, 140, 230, 130, 110};
    for (int column = 0; column < columnCount; ++column)
        table->setColumnWidth(column, widths[column]);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    return table;
}

QLabel* makeExplanation()
{
    auto* line = new QLabel(PlatformTexts::localized(QStringLiteral(
        "Passwörter werden ausschließlich im macOS-Schlüsselbund gespeichert. Doppelklick öffnet FTP, FTPS oder "
        "SFTP direkt im aktiven Dateipanel. Einen neuen SFTP-Host-Key bestätigt man einmal beim ersten Verbinden.")));
    line->setWordWrap(true);
    line->setForegroundRole(QPalette::PlaceholderText);
    return line;
}

// Runs file work on a pool thread; the work's own error type reaches the
// future (QtConcurrent would wrap it into QUnhandledException).
template <typename Work>
auto offTheGuiThread(Work work)
{
    using Result = std::invoke_result_t<Work>;
    return QtConcurrent::run([work = std::move(work)](QPromise<Result>& promise) {
        try {
            if constexpr (std::is_void_v<Result>)
                work();
            else
                promise.addResult(work());
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

AlertRequest information(const QString& message, const QString& informativeText)
{
    AlertRequest request;
    request.message = message;
    request.informativeText = informativeText;
    return request;
}

} // namespace

RemoteConnectionsWindowController::RemoteConnectionsWindowController(Interaction& interaction,
                                                                     RemoteConnectCallback onConnect,
                                                                     SftpTools sftpTools, QWidget* parent)
    : QWidget(parent, Qt::Window), m_interaction(interaction), m_onConnect(std::move(onConnect)),
      m_sftpTools(std::move(sftpTools)), m_profiles(RemoteProfileStore::shared().profiles()),
      m_table(makeProfileTable())
{
    setWindowTitle(QStringLiteral("Remote-Verbindungen"));
    setMinimumSize(600, 360);
    resize(780, 500);

    using Self = RemoteConnectionsWindowController;
    QHBoxLayout* buttons = RemoteWindowControls::buttonRow<Self>(this, {
        {"Verbinden …", &Self::connectProfile},
        {"Hinzufügen …", &Self::addProfile},
        {"Bearbeiten …", &Self::editProfile},
        {"Entfernen", &Self::removeProfile},
        {"Importieren …", &Self::importProfiles},
        {"Exportieren …", &Self::exportProfiles},
    });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);
    column->addWidget(m_table, 1);
    column->addLayout(buttons);
    column->addWidget(makeExplanation());

    m_rowMenu = new QMenu(this);
    m_rowMenu->addAction(QStringLiteral("Im eigenen Fenster öffnen"), this,
                         &RemoteConnectionsWindowController::openInOwnWindow);
    connect(m_table, &QTableWidget::customContextMenuRequested, this,
            &RemoteConnectionsWindowController::showRowMenu);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &RemoteConnectionsWindowController::connectProfile);
    reloadTable();
}

RemoteConnectionsWindowController::~RemoteConnectionsWindowController() = default;

QList<RemoteProfileEditor*> RemoteConnectionsWindowController::editors() const
{
    return RemoteWindowControls::stillOpen(m_editors);
}

QList<RemoteBrowserWindowController*> RemoteConnectionsWindowController::browsers() const
{
    return RemoteWindowControls::stillOpen(m_browsers);
}

std::optional<RemoteProfile> RemoteConnectionsWindowController::selectedProfile(bool beepWithoutSelection)
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_profiles.size() || !m_table->selectionModel()->isRowSelected(row)) {
        if (beepWithoutSelection)
            m_interaction.beep();
        return std::nullopt;
    }
    return m_profiles.at(row);
}

void RemoteConnectionsWindowController::reloadTable()
{
    // Every keychain read waits in a local event loop, in which a finished
    // import or scan may reload the table itself; the newest reload wins.
    const int generation = ++m_tableGeneration;
    const QList<RemoteProfile> profiles = m_profiles;
    QList<bool> stored;
    for (const RemoteProfile& profile : profiles)
        stored.append(m_credentials.read(profile.id).has_value());
    if (generation != m_tableGeneration)
        return;

    const int selected = m_table->currentRow();
    m_table->setRowCount(int(profiles.size()));
    for (int row = 0; row < profiles.size(); ++row) {
        const RemoteProfile& profile = profiles.at(row);
        const QString cells[columnCount] = {
            profile.name,
            rawValue(profile.kind),
            profile.host + u':' + QString::number(profile.port),
            profile.username,
            stored.at(row) ? QStringLiteral("Keychain") : QStringLiteral("Nicht gespeichert"),
        };
        for (int column = 0; column < columnCount; ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    if (selected >= 0 && selected < m_table->rowCount())
        m_table->selectRow(selected);
}

void RemoteConnectionsWindowController::storeProfiles()
{
    RemoteProfileStore::shared().setProfiles(m_profiles);
}

void RemoteConnectionsWindowController::replaceOrAppend(const RemoteProfile& profile)
{
    const auto same = std::find_if(m_profiles.begin(), m_profiles.end(),
                                   [&](const RemoteProfile& other) { return other.id == profile.id; });
    if (same != m_profiles.end())
        *same = profile;
    else
        m_profiles.append(profile);
    storeProfiles();
    reloadTable();
}

void RemoteConnectionsWindowController::addProfile()
{
    showEditor(RemoteProfile(), true);
}

void RemoteConnectionsWindowController::editProfile()
{
    if (const std::optional<RemoteProfile> profile = selectedProfile())
        showEditor(*profile, false);
}

void RemoteConnectionsWindowController::showEditor(const RemoteProfile& profile, bool isNew)
{
    auto* editor = new RemoteProfileEditor(profile, isNew, m_interaction,
                                           [this](const RemoteProfile& saved) { replaceOrAppend(saved); }, this);
    m_editors.removeAll(nullptr);
    m_editors.append(editor);
    RemoteWindowControls::showInFront(editor);
}

void RemoteConnectionsWindowController::removeProfile()
{
    const std::optional<RemoteProfile> profile = selectedProfile(false);
    if (!profile)
        return;
    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QStringLiteral("Verbindung „") + profile->name + QStringLiteral("“ entfernen?");
    request.buttons = {QStringLiteral("Entfernen"), QStringLiteral("Abbrechen")};
    if (m_interaction.runAlert(request).buttonIndex != 0)
        return;
    m_credentials.remove(profile->id);
    m_profiles.removeIf([&](const RemoteProfile& other) { return other.id == profile->id; });
    storeProfiles();
    reloadTable();
}

void RemoteConnectionsWindowController::connectProfile()
{
    if (const std::optional<RemoteProfile> profile = selectedProfile())
        connectTo(*profile, Destination::callback);
}

void RemoteConnectionsWindowController::openInOwnWindow()
{
    if (const std::optional<RemoteProfile> profile = selectedProfile())
        connectTo(*profile, Destination::browser);
}

void RemoteConnectionsWindowController::showRowMenu(const QPoint& position)
{
    const int row = m_table->rowAt(position.y());
    if (row < 0)
        return;
    m_table->selectRow(row);
    m_rowMenu->popup(m_table->viewport()->mapToGlobal(position));
}

void RemoteConnectionsWindowController::connectTo(const RemoteProfile& profile, Destination destination)
{
    if (!m_firstConnectionScan.isFinished())
        return m_interaction.beep();
    const std::optional<QString> password = m_credentials.read(profile.id);
    if (!password) {
        m_interaction.runAlert(information(
            QStringLiteral("Keine Zugangsdaten gespeichert"),
            QStringLiteral("Bitte die Verbindung bearbeiten und das Passwort im Schlüsselbund speichern.")));
        return;
    }
    if (profile.kind == RemoteProtocolKind::sftp && profile.expectedHostKey.trimmed().isEmpty())
        confirmFirstConnection(profile, *password, destination);
    else
        open(profile, *password, destination);
}

void RemoteConnectionsWindowController::confirmFirstConnection(const RemoteProfile& profile, const QString& password,
                                                               Destination destination)
{
    m_table->setEnabled(false);
    m_firstConnectionScan = OpenSSHSFTPTransport::scanFingerprints(profile.host, profile.port, double(profile.timeout),
                                                                   m_sftpTools.hostKeys);
    whenFinished(this, m_firstConnectionScan, [this, profile, password, destination](QFuture<QStringList> scan) {
        m_table->setEnabled(true);
        if (const std::optional<BrenvikError> error = errorOf(scan))
            m_interaction.showError(*error);
        else if (scan.resultCount() > 0)
            pinAndOpen(profile, password, scan.result(), destination);
    });
}

void RemoteConnectionsWindowController::pinAndOpen(const RemoteProfile& profile, const QString& password,
                                                   const QStringList& fingerprints, Destination destination)
{
    AlertRequest request = information(
        QStringLiteral("Erste Verbindung mit ") + profile.host,
        QStringLiteral("Brenvik hat diesen SFTP-Server bisher noch nicht gesehen. Bestätige den SHA-256-Fingerprint "
                       "möglichst anhand der Angaben deines Hosters. Bei späteren Änderungen wird die Verbindung "
                       "blockiert."));
    request.accessory.controls.append(AccessoryControl::popUp(fingerprints, 0, QSize(470, 26)));
    request.buttons = {QStringLiteral("Vertrauen und verbinden"), QStringLiteral("Abbrechen")};
    const AlertResponse response = m_interaction.runAlert(request);
    const int chosen = response.selectedIndex();
    if (response.buttonIndex != 0 || chosen < 0 || chosen >= fingerprints.size())
        return;

    // Removed while the scan ran: nothing left to pin or to open.
    const auto stored = std::find_if(m_profiles.begin(), m_profiles.end(),
                                     [&](const RemoteProfile& other) { return other.id == profile.id; });
    if (stored == m_profiles.end())
        return;
    stored->expectedHostKey = fingerprints.at(chosen);
    const RemoteProfile pinned = *stored;
    storeProfiles();
    reloadTable();
    open(pinned, password, destination);
}

void RemoteConnectionsWindowController::open(const RemoteProfile& profile, const QString& password,
                                             Destination destination)
{
    if (destination == Destination::callback && m_onConnect) {
        m_onConnect(profile, password);
        close();
        return;
    }
    auto* browser = new RemoteBrowserWindowController(profile, password, m_interaction, m_sftpTools, this);
    m_browsers.removeAll(nullptr);
    m_browsers.append(browser);
    RemoteWindowControls::showInFront(browser);
}

void RemoteConnectionsWindowController::importProfiles()
{
    OpenFileRequest request;
    request.allowedSuffixes = {QStringLiteral("json")};
    const std::optional<QString> path = m_interaction.chooseFileToOpen(request);
    if (!path)
        return;
    whenFinished(this, offTheGuiThread([path = *path] {
                     // Opening a FIFO would wait for a writer for ever; only a plain file can be an export.
                     if (!QFileInfo(path).isFile())
                         throw RemoteProfileFileError(RemoteProfileFileError::Reason::unreadableFormat, path);
                     return readImportedRemoteProfiles(path);
                 }),
                 [this](QFuture<QList<RemoteProfile>> reading) {
                     if (const std::optional<BrenvikError> error = errorOf(reading))
                         return m_interaction.showError(*error);
                     const QList<RemoteProfile> imported = reading.result();
                     m_profiles.append(imported);
                     storeProfiles();
                     reloadTable();
                     m_interaction.runAlert(information(
                         QString::number(imported.size()) + QStringLiteral(" Profil(e) importiert"),
                         QStringLiteral("Passwörter müssen aus Sicherheitsgründen erneut eingegeben werden.")));
                 });
}

void RemoteConnectionsWindowController::exportProfiles()
{
    if (m_profiles.isEmpty())
        return m_interaction.beep();
    SaveFileRequest request;
    request.suggestedName = QString::fromLatin1(remoteProfileExportFileName);
    request.allowedSuffixes = {QStringLiteral("json")};
    const std::optional<QString> path = m_interaction.chooseSaveDestination(request);
    if (!path)
        return;
    whenFinished(this, offTheGuiThread([path = *path, profiles = m_profiles] { exportRemoteProfiles(profiles, path); }),
                 [this](QFuture<void> writing) {
                     if (const std::optional<BrenvikError> error = errorOf(writing))
                         return m_interaction.showError(*error);
                     m_interaction.runAlert(information(
                         QStringLiteral("Profile exportiert"),
                         QStringLiteral("Die Datei enthält keine Passwörter, Passphrasen oder privaten Schlüssel.")));
                 });
}
