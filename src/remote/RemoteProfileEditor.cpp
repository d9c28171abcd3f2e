#include "remote/RemoteProfileEditor.h"

#include "core/FutureOutcome.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/RemoteProfileForm.h"
#include "ui/Interaction.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QLineEdit* makeField(const QString& text, const char* placeholder = nullptr)
{
    auto* field = new QLineEdit(text);
    if (placeholder)
        field->setPlaceholderText(QString::fromUtf8(placeholder));
    return field;
}

QLineEdit* makePasswordField()
{
    auto* field = new QLineEdit;
    field->setEchoMode(QLineEdit::Password);
    // Keeps input methods from learning or suggesting what is typed here.
    field->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    field->setPlaceholderText(QStringLiteral("Passwort oder Schlüssel-Passphrase"));
    return field;
}

QLabel* makeLabel(const char* text)
{
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QColor colourFor(EditorStatus::Tone tone, const QPalette& palette)
{
    switch (tone) {
    case EditorStatus::Tone::secondary: return palette.color(QPalette::PlaceholderText);
    case EditorStatus::Tone::success: return QColor(0x1a, 0x8a, 0x34);
    case EditorStatus::Tone::failure: return QColor(0xd0, 0x21, 0x1c);
    }
    return palette.color(QPalette::WindowText);
}

// The field's whole-number value; 0 for anything that is not one.
qint64 integerValue(const QLineEdit* field)
{
    bool ok = false;
    const qint64 value = field->text().trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

} // namespace

RemoteProfileEditor::RemoteProfileEditor(RemoteProfile profile, bool isNew, Interaction& interaction,
                                         SaveCallback onSave, QWidget* parent)
    : QWidget(parent, Qt::Window), m_profile(std::move(profile)), m_interaction(interaction),
      m_onSave(std::move(onSave)), m_name(makeField(m_profile.name, "Meine Verbindung")), m_kind(new QComboBox),
      m_host(makeField(m_profile.host, "server.example")), m_port(makeField(QString::number(m_profile.port))),
      m_username(makeField(m_profile.username, "Benutzername")), m_password(makePasswordField()),
      m_identityFile(makeField(m_profile.identityFile.value_or(QString()), "Optional: privater SSH-Schlüssel")),
      m_chooseIdentityFile(new QPushButton(QStringLiteral("Auswählen …"))),
      m_path(makeField(m_profile.initialPath, "/")), m_timeout(makeField(QString::number(m_profile.timeout))),
      m_keepAlive(makeField(QString::number(m_profile.keepAlive))),
      m_hostKey(makeField(m_profile.expectedHostKey, "SHA256:… (SFTP)")),
      m_passive(new QCheckBox(QStringLiteral("Passives FTP"))), m_warning(new QLabel),
      m_endpointButton(new QPushButton(QStringLiteral("Server und Port testen"))),
      m_hostKeyButton(new QPushButton(NetworkProbeFlow::hostKeyButtonTitle()))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(isNew ? QStringLiteral("Remote-Verbindung hinzufügen") : QStringLiteral("Remote-Verbindung bearbeiten"));
    resize(650, 610);

    for (RemoteProtocolKind kind : allRemoteProtocolKinds())
        m_kind->addItem(rawValue(kind));
    m_kind->setCurrentText(rawValue(m_profile.kind));
    m_passive->setChecked(m_profile.passiveFTP);

    auto* keyFileRow = new QHBoxLayout;
    keyFileRow->addWidget(m_identityFile, 1);
    keyFileRow->addWidget(m_chooseIdentityFile);
    QLabel* keepAliveLabel = makeLabel("Keepalive-Intervall (s):");
    keepAliveLabel->setToolTip(QStringLiteral("Abstand zwischen unsichtbaren Lebenszeichen. Dies ist keine "
                                              "automatische Trennung."));
    m_keepAlive->setToolTip(QStringLiteral("Standard: 600 Sekunden (10 Minuten). Keepalive ist ein Lebenszeichen "
                                           "und keine automatische Trennung."));

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    const auto addRow = [grid](QWidget* label, auto* control) {
        const int row = grid->rowCount();
        if (label)
            grid->addWidget(label, row, 0);
        if constexpr (std::is_base_of_v<QLayout, std::remove_pointer_t<decltype(control)>>)
            grid->addLayout(control, row, 1);
        else
            grid->addWidget(control, row, 1);
    };
    addRow(makeLabel("Name:"), m_name);
    addRow(makeLabel("Protokoll:"), m_kind);
    addRow(makeLabel("Server:"), m_host);
    addRow(makeLabel("Port:"), m_port);
    addRow(makeLabel("Benutzer:"), m_username);
    addRow(makeLabel("Passwort/Passphrase:"), m_password);
    addRow(makeLabel("SSH-Schlüssel:"), keyFileRow);
    addRow(makeLabel("Startpfad:"), m_path);
    addRow(makeLabel("Vorgangs-Timeout (s):"), m_timeout);
    addRow(keepAliveLabel, m_keepAlive);
    addRow(makeLabel("Host-Key:"), m_hostKey);
    addRow(nullptr, m_passive);

    auto* note = new QLabel(QStringLiteral("Keepalive hält eine inaktive Verbindung offen. Das Vorgangs-Timeout "
                                           "begrenzt dagegen, wie lange eine unbeantwortete Netzwerkaktion warten "
                                           "darf."));
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    m_warning->setWordWrap(true);

    auto* saveButton = new QPushButton(QStringLiteral("Sichern"));
    saveButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_endpointButton);
    buttons->addWidget(m_hostKeyButton);
    buttons->addStretch();
    buttons->addWidget(saveButton);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);
    column->addLayout(grid);
    column->addWidget(note);
    column->addWidget(m_warning);
    column->addStretch();
    column->addLayout(buttons);

    connect(m_kind, &QComboBox::currentIndexChanged, this, &RemoteProfileEditor::kindChanged);
    connect(m_chooseIdentityFile, &QPushButton::clicked, this, &RemoteProfileEditor::chooseIdentityFile);
    connect(m_endpointButton, &QPushButton::clicked, this, &RemoteProfileEditor::testEndpoint);
    connect(m_hostKeyButton, &QPushButton::clicked, this, &RemoteProfileEditor::fetchHostKey);
    connect(saveButton, &QPushButton::clicked, this, &RemoteProfileEditor::save);

    if (QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
    kindChanged();
}

RemoteProfileEditor::~RemoteProfileEditor()
{
    m_endpointTask.cancel();
    m_hostKeyTask.cancel();
}

std::optional<RemoteProtocolKind> RemoteProfileEditor::selectedKind() const
{
    if (m_kind->currentIndex() < 0)
        return std::nullopt;
    return remoteProtocolKindFromRawValue(m_kind->currentText());
}

qint64 RemoteProfileEditor::portValue() const
{
    return integerValue(m_port);
}

void RemoteProfileEditor::showStatus(const EditorStatus& status)
{
    m_status = status;
    QPalette palette = m_warning->palette();
    palette.setColor(QPalette::WindowText, colourFor(status.tone, palette));
    m_warning->setPalette(palette);
    m_warning->setText(status.text);
}

void RemoteProfileEditor::kindChanged()
{
    const RemoteProtocolKind kind = selectedKind().value_or(RemoteProtocolKind::sftp);
    const bool sftp = kind == RemoteProtocolKind::sftp;
    const QString port = m_port->text().trimmed();
    if (port.isEmpty() || port == u"21" || port == u"22" || port == u"990")
        m_port->setText(QString::number(defaultPort(kind)));
    m_passive->setVisible(!sftp);
    m_hostKey->setEnabled(sftp);
    m_identityFile->setEnabled(sftp);
    m_chooseIdentityFile->setEnabled(sftp);
    m_hostKeyButton->setVisible(sftp);

    QString text;
    if (kind == RemoteProtocolKind::ftp)
        text = QStringLiteral("Warnung: FTP überträgt Zugangsdaten und Dateien unverschlüsselt.");
    else if (kind == RemoteProtocolKind::ftps)
        text = QStringLiteral("Explizites FTPS: Die Verbindung startet auf Port 21 und wird vor der Anmeldung mit TLS "
                              "geschützt.");
    else if (m_hostKey->text().isEmpty())
        text = QStringLiteral("Der Host-Key wird beim ersten Verbinden automatisch angezeigt und nach Bestätigung "
                              "gespeichert.");
    showStatus({text, EditorStatus::Tone::failure});
}

void RemoteProfileEditor::chooseIdentityFile()
{
    OpenFileRequest request;
    request.title = QStringLiteral("Privaten SSH-Schlüssel auswählen");
    request.startFolder = QDir::homePath() + QStringLiteral("/.ssh");
    if (const std::optional<QString> path = m_interaction.chooseFileToOpen(request))
        m_identityFile->setText(*path);
}

void RemoteProfileEditor::testEndpoint()
{
    if (!m_endpointTask.isFinished())
        return;
    const qint64 port = portValue();
    showStatus(NetworkProbeFlow::endpointCheckStarted(m_host->text(), port, selectedKind()));
    m_endpointButton->setEnabled(false);
    m_endpointTask = NetworkProbeFlow::runEndpointCheck(m_host->text(), port, selectedKind());
    whenFinished(this, m_endpointTask, [this](QFuture<EditorStatus> check) {
        m_endpointButton->setEnabled(true);
        // Cancelled when the window closed: nobody is waiting for the result.
        if (!check.isCanceled() && check.resultCount() > 0)
            showStatus(check.result());
    });
}

void RemoteProfileEditor::fetchHostKey()
{
    if (!m_hostKeyTask.isFinished())
        return;
    const qint64 port = portValue();
    const NetworkProbeFlow::HostKeyCheck check = NetworkProbeFlow::hostKeyCheckStarted(m_host->text(), port);
    showStatus(check.status);
    if (!check.runs)
        return;
    m_hostKeyButton->setEnabled(false);
    m_hostKeyButton->setText(check.buttonTitle);
    m_hostKeyTask = OpenSSHSFTPTransport::scanFingerprints(check.host, port, double(integerValue(m_timeout)));
    whenFinished(this, m_hostKeyTask, [this](QFuture<QStringList> scan) {
        m_hostKeyButton->setEnabled(true);
        m_hostKeyButton->setText(NetworkProbeFlow::hostKeyButtonTitle());
        const std::optional<BrenvikError> error = errorOf(scan);
        if (error && error->typeName() != CancellationError().typeName())
            showStatus(NetworkProbeFlow::hostKeyCheckFailed(*error));
        else if (error || scan.isCanceled())
            showStatus(NetworkProbeFlow::hostKeyCheckCancelled());
        else
            confirmFingerprints(scan.result());
    });
}

void RemoteProfileEditor::confirmFingerprints(const QStringList& fingerprints)
{
    const NetworkProbeFlow::HostKeyConfirmation confirmation = NetworkProbeFlow::hostKeyConfirmation(fingerprints);
    AlertRequest request;
    request.message = confirmation.message;
    request.informativeText = confirmation.informativeText;
    request.buttons = confirmation.buttons;
    request.accessory.controls.append(
        AccessoryControl::popUp(confirmation.fingerprints, 0, confirmation.popUpSize));
    const AlertResponse response = m_interaction.runAlert(request);
    const int chosen = response.selectedIndex();
    if (response.buttonIndex == 0 && chosen >= 0 && chosen < fingerprints.size()) {
        m_hostKey->setText(fingerprints.at(chosen));
        showStatus(NetworkProbeFlow::hostKeyTaken());
    } else {
        showStatus(NetworkProbeFlow::hostKeyKept());
    }
}

void RemoteProfileEditor::save()
{
    RemoteProfileForm form;
    if (m_kind->currentIndex() >= 0)
        form.protocolTitle = m_kind->currentText();
    form.name = m_name->text();
    form.host = m_host->text();
    form.port = m_port->text();
    form.username = m_username->text();
    form.initialPath = m_path->text();
    form.timeout = m_timeout->text();
    form.keepAlive = m_keepAlive->text();
    form.passiveFTP = m_passive->isChecked();
    form.expectedHostKey = m_hostKey->text();
    form.identityFile = m_identityFile->text();
    form.password = m_password->text();
    const RemoteProfileFormResult result = saveRemoteProfileForm(m_profile, form, m_credentials);
    if (!result.profile) {
        showStatus({result.warning, EditorStatus::Tone::failure});
        return;
    }
    m_profile = *result.profile;
    if (m_onSave)
        m_onSave(m_profile);
    close();
}

void RemoteProfileEditor::closeEvent(QCloseEvent* event)
{
    m_endpointTask.cancel();
    m_hostKeyTask.cancel();
    m_password->clear();
    QWidget::closeEvent(event);
}
