// Entries between two panels when one or both show a remote folder: download,
// upload, remote to remote through a local copy, and drops of remote rows.

#include "panels/FilePanelController.h"

#include "panels/FilePanelState.h"
#include "panels/RemoteJob.h"
#include "panels/RemoteLocation.h"
#include "panels/RemotePanelSession.h"
#include "remote/RemoteTree.h"
#include "ui/Interaction.h"

#include <QDir>
#include <QUuid>

namespace {

using Event = RemoteTransfers::Event;

QString countText(const QString& prefix, qsizetype index, qsizetype total)
{
    return prefix + QStringLiteral("%1 von %2").arg(index).arg(total);
}

FileUrl temporaryFolder(const QString& purpose)
{
    return FileUrl::fromLocalPath(QDir::tempPath() + QStringLiteral("/Brenvik-") + purpose + u'-'
                                  + QUuid::createUuid().toString(QUuid::WithoutBraces));
}

} // namespace

bool FilePanelController::transferSelection(FilePanelController& destination, bool moving)
{
    if (!isRemote() && !destination.isRemote())
        return false;
    if (isRemote() && destination.isRemote()) {
        transferRemoteSelection(destination, moving);
        return true;
    }
    const QList<FileUrl> selection = selectedURLs();
    if (selection.isEmpty()) {
        d->interaction.beep();
        return true;
    }
    QPointer<FilePanelController> other(&destination);
    if (isRemote()) {
        QStringList paths;
        for (const QString& name : selectedRemoteNames())
            paths.append(remotePathOf(name));
        downloadRemotePaths(paths, destination.currentURL(), moving, [other] {
            if (other)
                other->reload();
        });
    } else {
        QPointer<FilePanelController> self(this);
        destination.uploadLocalFiles(selection, moving, {}, [self] {
            if (self)
                self->reload();
        });
    }
    return true;
}

void FilePanelController::downloadRemotePaths(const QStringList& paths, const FileUrl& folder, bool moving,
                                              std::function<void()> completion)
{
    if (!d->remote || !d->remote->provider)
        return;
    setStatusText(countText(QStringLiteral("Download: "), 0, paths.size()));
    std::shared_ptr<CurlRemoteProvider> provider = d->remote->provider;
    RemoteJob* job = RemoteJob::open(this, d->interaction, QStringLiteral("Download vom Server"), paths.size(), {});
    job->onEvent([this](const Event& event) {
        if (event.kind == Event::Kind::done)
            setStatusText(countText(QStringLiteral("Download: "), event.index, event.total));
    });
    job->run([provider, paths, folder, moving](const RemoteJob::Context& context) {
        RemoteTransfers::download(*provider, paths, folder, moving, context.callbacks);
    }, [this, completion = std::move(completion)](const RemoteJob::Outcome&) {
        reload();
        if (completion)
            completion();
        Q_EMIT remoteWorkFinished();
    });
}

void FilePanelController::uploadLocalFiles(const QList<FileUrl>& sources, bool moving, const QString& subdirectory,
                                           std::function<void()> completion)
{
    if (!d->remote || !d->remote->provider)
        return;
    const QString base = subdirectory.isEmpty() ? remotePath() : remotePathOf(subdirectory);
    setStatusText(countText(QStringLiteral("Upload: "), 0, sources.size()));
    std::shared_ptr<CurlRemoteProvider> provider = d->remote->provider;
    RemoteJob* job = RemoteJob::open(this, d->interaction, QStringLiteral("Upload zum Server"), sources.size(), sources);
    job->onEvent([this](const Event& event) {
        if (event.kind == Event::Kind::done)
            setStatusText(countText(QStringLiteral("Upload: "), event.index, event.total));
    });
    job->run([provider, sources, base, moving](const RemoteJob::Context& context) {
        RemoteTransfers::upload(*provider, sources, base, moving, context.callbacks);
    }, [this, completion = std::move(completion)](const RemoteJob::Outcome&) {
        reload();
        if (completion)
            completion();
        Q_EMIT remoteWorkFinished();
    });
}

void FilePanelController::transferRemoteSelection(FilePanelController& target, bool moving)
{
    if (!d->remote || !d->remote->provider || !target.d->remote || !target.d->remote->provider)
        return;
    if (d->remote->profile.id == target.d->remote->profile.id && remotePath() == target.remotePath()) {
        d->interaction.showError(QStringLiteral("Quelle und Ziel sind identisch"),
                                 QStringLiteral("Wähle im anderen Remote-Panel einen anderen Zielordner."));
        return;
    }
    QStringList paths;
    for (const QString& name : selectedRemoteNames())
        paths.append(remotePathOf(name));
    if (paths.isEmpty())
        return d->interaction.beep();

    target.setStatusText(QStringLiteral("Empfange Remote-Transfer …"));
    setStatusText(countText(QStringLiteral("Remote-Transfer: "), 0, paths.size()));
    std::shared_ptr<CurlRemoteProvider> source = d->remote->provider;
    std::shared_ptr<CurlRemoteProvider> destination = target.d->remote->provider;
    const QString targetFolder = target.remotePath();
    const FileUrl staging = temporaryFolder(QStringLiteral("RemoteTransfer"));
    QPointer<FilePanelController> other(&target);

    RemoteJob* job = RemoteJob::open(this, d->interaction, QStringLiteral("Remote-Transfer"), paths.size(), {});
    job->onEvent([this, other](const Event& event) {
        if (event.kind == Event::Kind::fetching)
            setStatusText(countText(QStringLiteral("Remote-Transfer: lade "), event.index + 1, event.total));
        else if (event.kind == Event::Kind::sending && other)
            other->setStatusText(countText(QStringLiteral("Remote-Transfer: sende "), event.index + 1, event.total));
    });
    job->run([source, destination, paths, targetFolder, moving, staging](const RemoteJob::Context& context) {
        RemoteTransfers::betweenServers(*source, *destination, paths, targetFolder, moving, staging,
                                        context.callbacks);
    }, [this, other, moving](const RemoteJob::Outcome& outcome) {
        const QString text = outcome.error ? QStringLiteral("Remote-Transfer fehlgeschlagen")
            : moving                       ? QStringLiteral("Remote-Verschieben abgeschlossen")
                                           : QStringLiteral("Remote-Kopieren abgeschlossen");
        for (FilePanelController* panel : {static_cast<FilePanelController*>(this), other.data()}) {
            if (!panel)
                continue;
            panel->reload();
            panel->setStatusText(text);
        }
        Q_EMIT remoteWorkFinished();
    });
}

// Remote rows dropped here: a local panel has the owner fetch them from the
// panel that shows their server. A remote panel takes none (they would have
// to come back through this machine; F5 does that with a question first).
bool FilePanelController::dropRemoteEntries(const QByteArray& dragText, const std::optional<FileUrl>& folderRow,
                                            bool moving)
{
    const std::optional<RemoteLocation::DraggedEntries> dragged = RemoteLocation::parseDragText(dragText);
    if (!dragged || isRemote() || !d->delegate) {
        d->interaction.beep();
        return false;
    }
    d->delegate->dropRemotePaths(*this, dragged->remotePaths, dragged->profileId, folderRow.value_or(currentURL()),
                                 moving);
    return true;
}

void FilePanelDelegate::dropRemotePaths(FilePanelController& panel, const QStringList& paths, const QUuid& profileId,
                                        const FileUrl& destination, bool moving)
{
    for (FilePanelController* source : {leftPanel(), rightPanel()}) {
        const std::optional<RemoteProfile> profile = source ? source->remoteProfile() : std::nullopt;
        if (!profile || profile->id != profileId)
            continue;
        QPointer<FilePanelController> target(&panel);
        source->downloadRemotePaths(paths, destination, moving, [target] {
            if (target)
                target->reload();
        });
        break;
    }
    panel.reload();
}
