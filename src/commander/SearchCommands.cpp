#include "commander/SearchCommands.h"

#include "commander/CommanderWindowController.h"
#include "core/FutureOutcome.h"
#include "panels/FilePanelController.h"
#include "tools/ChecksumEngine.h"
#include "tools/ChecksumWindowController.h"
#include "tools/MultiRenameWindowController.h"
#include "tools/SearchWindowController.h"
#include "ui/Interaction.h"
#include "ui/OperationProgressController.h"

#include <QPointer>
#include <sys/stat.h>

namespace {

// The window's checksum engine and the run it works on; made on first use as
// a child of the window, so that it goes (stopping its run) with the window.
class ChecksumRuns : public QObject {
public:
    explicit ChecksumRuns(QObject* window) : QObject(window) { setObjectName(QStringLiteral("ChecksumRuns")); }

    static ChecksumRuns& of(CommanderWindowController& window)
    {
        if (QObject* existing = window.findChild<QObject*>(QStringLiteral("ChecksumRuns"), Qt::FindDirectChildrenOnly))
            return *static_cast<ChecksumRuns*>(existing);
        return *new ChecksumRuns(&window);
    }

    ChecksumEngine engine;
};

FilePanelController* localActivePanel(CommanderWindowController& window)
{
    FilePanelController* panel = window.activePanel();
    if (panel->isRemote()) {
        window.interaction().beep();
        return nullptr;
    }
    return panel;
}

// Folders, devices and FIFOs have no checksum; a link counts by its target.
bool isRegularFile(const FileUrl& url)
{
    struct stat st;
    return stat(url.nativePath().constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

namespace SearchCommands {

void searchFiles(CommanderWindowController& window)
{
    FilePanelController* panel = localActivePanel(window);
    if (!panel)
        return;
    auto* search = new SearchWindowController(panel->currentURL(), window.interaction());
    search->onOpenResult = [panel = QPointer(panel)](const FileUrl& hit) {
        if (panel)
            panel->showInPanel(hit);
    };
    window.keepToolWindow(search);
}

void multiRename(CommanderWindowController& window)
{
    FilePanelController* panel = localActivePanel(window);
    if (!panel)
        return;
    const QList<FileUrl> selection = panel->selectedURLs();
    if (selection.isEmpty())
        return window.interaction().beep();
    auto* rename = new MultiRenameWindowController(selection);
    rename->onComplete = [panel = QPointer(panel)] {
        if (panel)
            panel->reload();
    };
    window.keepToolWindow(rename);
}

void calculateChecksums(CommanderWindowController& window)
{
    FilePanelController* panel = localActivePanel(window);
    if (!panel)
        return;
    QList<FileUrl> files;
    for (const FileUrl& url : panel->selectedURLs())
        if (isRegularFile(url))
            files.append(url);
    if (files.isEmpty())
        return window.interaction().beep();

    ChecksumRuns& runs = ChecksumRuns::of(window);
    auto* progress = new OperationProgressController(QStringLiteral("SHA-256 wird berechnet"), files.size(), {}, &window);
    progress->show();
    QFuture<QList<ChecksumEngine::Result>> task = runs.engine.sha256(files);
    progress->onCancel = [task]() mutable { task.cancel(); };
    whenFinished(&runs, task, [window = &window, progress = QPointer(progress)](const auto& done) {
        if (const std::optional<BrenvikError> error = errorOf(done)) {
            if (progress)
                progress->close();
            return window->interaction().showError(*error);
        }
        if (done.isCanceled() || done.resultCount() == 0) {
            if (progress)
                progress->finish(QStringLiteral("Berechnung abgebrochen"));
            return;
        }
        if (progress)
            progress->close();
        window->keepToolWindow(new ChecksumWindowController(done.result()));
    });
}

} // namespace SearchCommands
