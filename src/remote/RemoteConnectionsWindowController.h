#pragma once

#include "remote/CredentialStore.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/RemoteProfile.h"

#include <QFuture>
#include <QPointer>
#include <QWidget>
#include <functional>

class Interaction;
class QMenu;
class QTableWidget;
class RemoteBrowserWindowController;
class RemoteProfileEditor;

// Opens a connection somewhere else (the commander's active panel).
using RemoteConnectCallback = std::function<void(const RemoteProfile& profile, const QString& password)>;

// "Remote-Verbindungen": the saved profiles in a table, mirrored to the profile
// store after every change. Connecting hands profile and stored password to the
// connect callback and closes the window; without a callback, or through the
// row's "Im eigenen Fenster öffnen", a remote browser window opens instead.
// An SFTP profile without a pinned host key is pinned first, after the user
// has confirmed the scanned fingerprint.
class RemoteConnectionsWindowController : public QWidget {
    Q_OBJECT

public:
    // `sftpTools` are the programs of the browser windows opened from here.
    RemoteConnectionsWindowController(Interaction& interaction, RemoteConnectCallback onConnect,
                                      SftpTools sftpTools = {}, QWidget* parent = nullptr);
    ~RemoteConnectionsWindowController() override;

    const QList<RemoteProfile>& profiles() const { return m_profiles; }
    QTableWidget* table() const { return m_table; }
    QMenu* rowMenu() const { return m_rowMenu; }
    QList<RemoteProfileEditor*> editors() const;
    QList<RemoteBrowserWindowController*> browsers() const;

public Q_SLOTS:
    void addProfile();
    void editProfile();
    void removeProfile();
    void connectProfile();
    void openInOwnWindow();
    void importProfiles();
    void exportProfiles();

private:
    enum class Destination { callback, browser };

    std::optional<RemoteProfile> selectedProfile(bool beepWithoutSelection = true);
    void reloadTable();
    void storeProfiles();
    void replaceOrAppend(const RemoteProfile& profile);
    void showEditor(const RemoteProfile& profile, bool isNew);
    void connectTo(const RemoteProfile& profile, Destination destination);
    void confirmFirstConnection(const RemoteProfile& profile, const QString& password, Destination destination);
    void pinAndOpen(const RemoteProfile& profile, const QString& password, const QStringList& fingerprints,
                    Destination destination);
    void open(const RemoteProfile& profile, const QString& password, Destination destination);
    void showRowMenu(const QPoint& position);

    Interaction& m_interaction;
    RemoteConnectCallback m_onConnect;
    SftpTools m_sftpTools;
    CredentialStore m_credentials = CredentialStore::forApplication();
    QList<RemoteProfile> m_profiles;
    QTableWidget* m_table = nullptr;
    QMenu* m_rowMenu = nullptr;
    QList<QPointer<RemoteProfileEditor>> m_editors;
    QList<QPointer<RemoteBrowserWindowController>> m_browsers;
    QFuture<QStringList> m_firstConnectionScan;
    int m_tableGeneration = 0;
};
