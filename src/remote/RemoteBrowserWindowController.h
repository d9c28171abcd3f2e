#pragma once

#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteProfile.h"

#include <QWidget>
#include <memory>

class Interaction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTableWidget;

// A stand-alone window on one remote folder of one profile at a time, with
// single-entry work: enter folders, download and upload one file, create a
// folder, rename, and delete one entry (never recursively). Every remote call
// goes through the window's own provider and ends in the status line.
class RemoteBrowserWindowController : public QWidget {
    Q_OBJECT

public:
    RemoteBrowserWindowController(const RemoteProfile& profile, const QString& password, Interaction& interaction,
                                  SftpTools sftpTools = {}, QWidget* parent = nullptr);
    // The provider ends off the GUI thread: a running transfer never freezes the closing window.
    ~RemoteBrowserWindowController() override;

    const RemoteProfile& profile() const { return m_profile; }
    const QString& currentPath() const { return m_currentPath; }
    const QList<RemoteEntry>& entries() const { return m_entries; }
    QString statusText() const;
    bool isBusy() const { return m_running > 0; }

    // The current path + name, standardised and absolute.
    QString joined(const QString& name) const;

public Q_SLOTS:
    void goUp();
    void reloadPressed();
    void pathEntered();
    void openEntry(int row);
    void download();
    void upload();
    void newFolder();
    void rename();
    void remove();

private:
    void navigate(const QString& path);
    void reload(const QString& runningText = QStringLiteral("Lade …"));
    void showEntries(const QList<RemoteEntry>& entries);
    void downloadEntry(const RemoteEntry& entry, const QString& remotePath);
    bool confirmReplace(const QString& name);
    // A name typed by the user, trimmed; nothing when cancelled or refused.
    std::optional<QString> ask(const QString& title, const QString& initial);
    // "Remote-Vorgang …", then "Abgeschlossen" and a fresh listing.
    void runNamedOperation(QFuture<void> operation);
    std::optional<RemoteEntry> selectedEntry();

    // Spinner and status while `future` runs; a failure shows "Fehler" and its alert.
    template <typename T, typename Done>
    void track(const QString& runningText, QFuture<T> future, Done done);
    void started(const QString& text);
    void finished(const QString& text);
    void failed(const BrenvikError& error);

    RemoteProfile m_profile;
    Interaction& m_interaction;
    std::unique_ptr<CurlRemoteProvider> m_provider;
    QLineEdit* m_path;
    QTableWidget* m_table;
    QLabel* m_status;
    QProgressBar* m_spinner;
    QList<RemoteEntry> m_entries;
    QString m_currentPath;
    int m_running = 0;
};
