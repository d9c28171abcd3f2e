#pragma once

#include "remote/CredentialStore.h"
#include "remote/NetworkProbeFlow.h"
#include "remote/RemoteProfile.h"

#include <QFuture>
#include <QWidget>
#include <functional>

class Interaction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The window in which one profile is created or changed. Saving checks the
// fields, stores a typed password in the keychain and hands the profile to the
// owner; a refused save keeps the window open with the reason in its warning
// line. The password field starts empty and is emptied again when the window
// closes, so a typed password lives no longer than the window.
class RemoteProfileEditor : public QWidget {
    Q_OBJECT

public:
    using SaveCallback = std::function<void(const RemoteProfile& profile)>;

    RemoteProfileEditor(RemoteProfile profile, bool isNew, Interaction& interaction, SaveCallback onSave,
                        QWidget* parent = nullptr);
    ~RemoteProfileEditor() override;

    const RemoteProfile& profile() const { return m_profile; }
    // The warning line as the user sees it.
    EditorStatus status() const { return m_status; }

public Q_SLOTS:
    void kindChanged();
    void chooseIdentityFile();
    void testEndpoint();
    void fetchHostKey();
    void save();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::optional<RemoteProtocolKind> selectedKind() const;
    qint64 portValue() const;
    void showStatus(const EditorStatus& status);
    void confirmFingerprints(const QStringList& fingerprints);

    RemoteProfile m_profile;
    Interaction& m_interaction;
    SaveCallback m_onSave;
    CredentialStore m_credentials = CredentialStore::forApplication();

    QLineEdit* m_name;
    QComboBox* m_kind;
    QLineEdit* m_host;
    QLineEdit* m_port;
    QLineEdit* m_username;
    QLineEdit* m_password;
    QLineEdit* m_identityFile;
    QPushButton* m_chooseIdentityFile;
    QLineEdit* m_path;
    QLineEdit* m_timeout;
    QLineEdit* m_keepAlive;
    QLineEdit* m_hostKey;
    QCheckBox* m_passive;
    QLabel* m_warning;
    QPushButton* m_endpointButton;
    QPushButton* m_hostKeyButton;
    EditorStatus m_status;
    QFuture<EditorStatus> m_endpointTask;
    QFuture<QStringList> m_hostKeyTask;
};
