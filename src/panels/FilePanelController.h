#pragma once

#include "core/FileItem.h"
#include "panels/FilePanelDelegate.h"
#include "remote/RemoteEntry.h"
#include "remote/RemoteProfile.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class FileTableModel;
struct ListingResult;
class Interaction;
class QTableView;
class QLineEdit;
struct RemotePanelSession;

// One of the two file panels of the commander window: a local folder with tabs
// and history, its listing filtered and sorted in a table, marks, folder sizes
// on request. Lives on the GUI thread; listings and folder sums run in the
// background and are dropped when the panel has moved on.
class FilePanelController : public QWidget {
    Q_OBJECT

public:
    FilePanelController(const FileUrl& url, const QString& persistenceKey, Interaction& interaction,
                        QWidget* parent = nullptr);
    ~FilePanelController() override;

    void setDelegate(FilePanelDelegate* delegate);
    const QString& persistenceKey() const;

    // The local folder shown (kept while a remote folder is shown).
    const FileUrl& currentURL() const;
    // The last listing in listing order, and what the table shows (filtered, sorted).
    const QList<FileItem>& allItems() const;
    const QList<FileItem>& items() const;
    const QSet<FileUrl>& marked() const;
    // Replaces the marks (the directory compare marks differences this way).
    void setMarked(const QSet<FileUrl>& marked);
    // The URLs of the selected rows together with the marked URLs, each once.
    QList<FileUrl> selectedURLs() const;
    // Local: the path of the current folder.
    QString locationDescription() const;
    bool isRemote() const;

    void reload();
    void navigate(const FileUrl& folder, bool recordingHistory = true);
    void openSelection();
    void goUp();
    void goBack();
    void goForward();
    void showInPanel(const FileUrl& entry);

    void addTab();
    void closeTab();
    void cycleTab(int delta);
    int tabCount() const;
    int selectedTab() const;

    void toggleCurrentSelection();
    void markAllFiles();
    void invertMarks();
    void mark(const QString& masks, bool selecting);
    void refreshKeepingSelection();
    void calculateSize(const FileUrl& folder);

    // The current folder into or out of "Brenvik.Favorites".
    void toggleFavorite();
    // Reads the stored favourites again: the menu and the star follow.
    void rebuildFavorites();

    bool showHidden() const;
    // The hidden-files switch: sets the state, updates the check box, saves, reloads.
    void setShowHidden(bool show);
    void persistSession();

    // Draws or removes the active-panel frame.
    void setActive(bool active);
    bool isActive() const;
    void focusTable();
    // ⌘L: the path field gets the focus with its whole text selected.
    void focusPathField();

    // Handles copy and move when a remote panel is involved; false while both
    // panels are local (the owner's local copy or move then runs).
    bool transferSelection(FilePanelController& destination, bool moving);
    // Ends a remote connection; nothing to do for a local panel.
    void disconnectRemote();

    // Remote mode: the panel shows a folder on a server instead of a local one
    // (a profile opened again replaces the connection). Every server action
    // runs off the GUI thread; its result reaches the panel only while the
    // panel exists.
    void openRemote(const RemoteProfile& profile, const QString& password);
    void leaveRemote();
    std::optional<RemoteProfile> remoteProfile() const;
    QString remotePath() const;
    const QList<RemoteEntry>& remoteEntries() const;
    // The remote path of an entry of the folder shown.
    QString remotePathOf(const QString& name) const;
    // The names of the selected and marked entries.
    QStringList selectedRemoteNames() const;
    // The visible entries that are marked or selected, in table order.
    QStringList remoteDeletionNames() const;
    void createRemoteFolder(const QString& name);
    void renameRemoteSelection(const QString& newName);
    void deleteRemoteSelection();
    // Local entries into the folder shown (or its subfolder `subdirectory`).
    void uploadLocalFiles(const QList<FileUrl>& sources, bool moving, const QString& subdirectory = {},
                          std::function<void()> completion = {});
    void downloadRemotePaths(const QStringList& paths, const FileUrl& folder, bool moving,
                             std::function<void()> completion = {});
    void transferRemoteSelection(FilePanelController& target, bool moving);

    // The quick look: the entry the preview shows (the first selected URL), and
    // the preview window of this panel opened on it; nothing without a selection.
    std::optional<FileUrl> previewItem() const;
    void showPreview();
    QWidget* previewWindow() const;

    // How files (not folders) are opened; the default hands them to the
    // desktop's default application.
    void setFileOpener(std::function<void(const FileUrl&)> opener);

    QString statusText() const;
    QTableView* table() const;
    QLineEdit* pathField() const;
    FileTableModel& tableModel() const;

Q_SIGNALS:
    // A listing (successful or failed) has been put in place.
    void listingFinished();
    // A remote transfer, deletion or file download has ended (also by an error).
    void remoteWorkFinished();
    // This panel changed the stored favourites; other panels rebuild theirs.
    void favoritesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // A narrow panel keeps its hidden-files switch without its key hint, so
    // that the header never overlaps itself.
    void resizeEvent(QResizeEvent* event) override;

private:
    struct State;
    std::unique_ptr<State> d;

    void connectControls();
    void showFolder();
    void takeListing(const ListingResult& result);
    void takeFolderSize(const FileUrl& folder, std::optional<qint64> size);
    void setTypedPath();
    void selectTab(int index);
    void sortChanged(int column, Qt::SortOrder order);
    void filterChanged(const QString& text);
    void tableSelectionChanged();
    void runMenuCommand(const std::optional<QString>& command);
    bool dropEntries(const QList<FileUrl>& sources, const std::optional<FileUrl>& folderRow, bool moving);
    void openRow(int row);
    void placePendingCursor();
    int cursorRow() const;
    QList<int> selectedRows() const;
    void selectRows(const QList<int>& rows, int cursor);
    void redrawKeepingCursor(bool focus);
    void updateStatus();
    void redrawTabBar();
    void rebuildVolumes();
    void selectVolume();
    void updateFavoriteButton();
    void updateHistoryButtons();
    void chooseFavorite(int index);
    void chooseVolume(int index);

    void reloadRemote();
    void takeRemoteListing(quint64 number, const QList<RemoteEntry>& entries, const std::optional<QString>& error);
    void showRemoteControls();
    void openRemoteFile(const FileItem& item);
    bool dropRemoteEntries(const QByteArray& dragText, const std::optional<FileUrl>& folderRow, bool moving);
    void setStatusText(const QString& text);
    void updateRemoteStatus();
};
