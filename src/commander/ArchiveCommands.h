#pragma once

#include "archive/ArchiveProvider.h"

#include <QObject>

class CommanderWindowController;
class FilePanelController;
class OperationProgressController;

// The seven archive commands of the commander window: ask for the name or a
// confirmation, pick a free name in the target panel's folder, run the job on
// the window's archive provider with a progress window whose cancel ends it,
// and reload the target panel. The GUI thread never waits for a tool.
class ArchiveCommands : public QObject {
    Q_OBJECT

public:
    enum class Format { zip, tarGZ };

    // The window's one instance, made on first use; it goes with the window,
    // ending a job that still runs.
    static ArchiveCommands& of(CommanderWindowController& window);

    // The active panel's selection into an archive in `target`'s folder.
    void create(FilePanelController* target, Format format);
    // The active panel's one selected archive into a new folder in `target`'s folder.
    void extract(FilePanelController* target, Format format);

private:
    explicit ArchiveCommands(CommanderWindowController& window);

    // Shows the job in a progress window; on success its message and the
    // target's reload, on failure an alert built from the error.
    void follow(QFuture<FileUrl> job, OperationProgressController* progress, FilePanelController* target,
                const QString& successMessage);

    CommanderWindowController& m_window;
    ArchiveProvider m_provider;
};
