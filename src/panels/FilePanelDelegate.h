#pragma once

#include "core/FileUrl.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

class FilePanelController;

// An item of a panel's context menu that runs one of the owner's commands.
// The owner makes the panel active with its table focused first.
struct PanelMenuItem {
    QString title;
    QString command;
    bool separatorBefore = false;
};

// The owner's side of a panel (the commander window).
class FilePanelDelegate {
public:
    virtual ~FilePanelDelegate() = default;

    // Makes `panel` the active one (frames both panels accordingly) and, when
    // asked, gives its table the keyboard focus.
    virtual void setActive(FilePanelController& panel, bool focusTable) = 0;
    virtual void runCommand(FilePanelController& panel, const QString& command) = 0;
    // The owner's items of the context menu, after the panel's own "Öffnen".
    virtual QList<PanelMenuItem> contextMenuItems() const = 0;
    // Local file URLs dropped on `panel`, to be copied or moved into `destination`.
    virtual void dropFiles(FilePanelController& panel, const QList<FileUrl>& sources, const FileUrl& destination,
                           bool moving) = 0;

    // Remote entries of the profile `profileId` dropped on the local `panel`, to
    // be downloaded into `destination` by the panel that shows that profile.
    virtual void dropRemotePaths(FilePanelController& panel, const QStringList& paths, const QUuid& profileId,
                                 const FileUrl& destination, bool moving);

    virtual FilePanelController* leftPanel() const = 0;
    virtual FilePanelController* rightPanel() const = 0;
    virtual FilePanelController* activePanel() const = 0;
};
