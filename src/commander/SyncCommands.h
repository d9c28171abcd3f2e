#pragma once

#include "sync/SyncPlanner.h"
#include "sync/SyncPreviewWindowController.h"

#include <QObject>
#include <QPointer>

class CommanderWindowController;

// The commander's synchronisation command: plans between the folders of the
// two panels and shows the plan. Lives as a child of the window it serves, with
// the window's one planner and its current preview.
class SyncCommands : public QObject {
    Q_OBJECT

public:
    // The window's instance, made on first use.
    static SyncCommands& of(CommanderWindowController& window);

    // "Synchronisierungsvorschau …"
    void previewSynchronization();

    SyncPreviewWindowController* preview() const { return m_preview; }

private:
    explicit SyncCommands(CommanderWindowController& window);

    CommanderWindowController& m_window;
    SyncPlanner m_planner;
    QPointer<SyncPreviewWindowController> m_preview;
};
