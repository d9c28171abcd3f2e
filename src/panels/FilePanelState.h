#pragma once

// The private state of a FilePanelController, shared by its source files.

#include "panels/FilePanelController.h"
#include "panels/PanelControls.h"
#include "panels/PanelPlaces.h"
#include "panels/PanelTabs.h"
#include "panels/PreviewWindow.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class FileTableModel;
class Interaction;
class PanelWorker;
class PreferencesStore;
class QMenu;
struct RemotePanelSession;

struct FilePanelController::State {
    State(const FileUrl& startFolder, QString key, Interaction& interaction);

    QString persistenceKey;
    Interaction& interaction;
    PreferencesStore& preferences;
    FilePanelDelegate* delegate = nullptr;

    PanelTabs tabs;
    bool showHidden = false;
    bool active = false;

    FileTableModel* model = nullptr;   // child of the panel
    PanelWorker* worker = nullptr;     // child of the panel, deleted first
    PanelControls controls;
    QMenu* contextMenu = nullptr;
    int menuRow = -1;                  // the row the context menu was opened on

    std::optional<qint64> freeBytes;   // of the folder's volume, from the last listing
    std::optional<QString> listingError;
    std::optional<FileUrl> pendingCursor; // showInPanel: placed by the next listing of its folder

    QList<PanelPlaces::Place> volumes;
    QList<PanelPlaces::Place> favorites;

    // Selection changes made by the panel itself never activate it.
    int programmaticSelection = 0;
    // After a change of folder the next listing puts the keyboard on a selected row.
    bool selectFirstRow = true;
    bool redrawingTabBar = false;

    std::function<void(const FileUrl&)> openFile;
    std::shared_ptr<RemotePanelSession> remote; // set exactly while the panel is remote
    QPointer<PreviewWindow> preview;
};
