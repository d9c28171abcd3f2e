// The remote mode of a file panel: entering and leaving it, listing,
// navigation, opening, creating, renaming and deleting remote entries.

#include "panels/FilePanelController.h"

#include "core/ByteCount.h"
#include "core/FutureOutcome.h"
#include "panels/FilePanelState.h"
#include "panels/FileTableModel.h"
#include "panels/FileTableView.h"
#include "panels/PanelWorker.h"
#include "panels/RemoteJob.h"
#include "panels/RemoteLocation.h"
#include "panels/RemotePanelSession.h"
#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteTree.h"
#include "ui/Interaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QToolButton>
#include <QUuid>

namespace RemotePanelProviders {

namespace {

Factory& factory()
{
    static Factory made = [](const RemoteProfile& profile, const QString& password) {
        return std::make_shared<CurlRemoteProvider>(profile, password);
    };
    return made;
}

} // namespace

void setFactory(Factory made)
{
    factory() = std::move(made);
}

std::shared_ptr<CurlRemoteProvider> make(const RemoteProfile& profile, const QString& password)
{
    return factory()(profile, password);
}

void release(std::shared_ptr<CurlRemoteProvider> provider)
{
    if (!provider)
        return;
    // Queued behind whatever still runs on it; the last owner destroys it off the GUI thread.
    QFuture<void> ended = provider->disconnect();
    RemoteJob::start([provider = std::move(provider), ended]() mutable {
        try {
            ended.waitForFinished();
        } catch (const BrenvikError&) {
        }
        provider.reset();
    });
}

} // namespace RemotePanelProviders

namespace {

const QString remoteLoadingText = QStringLiteral("Remote-Verzeichnis wird geladen …");

} // namespace

void FilePanelController::openRemote(const RemoteProfile& profile, const QString& password)
{
    if (d->remote)
        RemotePanelProviders::release(std::move(d->remote->provider));
    d->worker->cancelListing();
    d->remote = std::make_shared<RemotePanelSession>();
    d->remote->profile = profile;
    d->remote->provider = RemotePanelProviders::make(profile, password);
    d->remote->path = profile.initialPath.isEmpty() ? QStringLiteral("/") : profile.initialPath;
    d->model->changeCells([](PanelItems& items) { items.clearMarks(); });
    showRemoteControls();
    reload();
}

// The header, volume menu and tab label of the mode the panel is in.
void FilePanelController::showRemoteControls()
{
    const bool remote = d->remote != nullptr;
    d->controls.path->setText(locationDescription());
    d->controls.hidden->setEnabled(!remote);
    d->controls.favorite->setEnabled(!remote);
    d->controls.disconnect->setVisible(remote);
    d->controls.disconnect->setEnabled(remote);
    rebuildVolumes();
    if (remote) {
        d->controls.volumes->insertItem(0, QStringLiteral("☁︎ ") + d->remote->profile.name);
        d->controls.volumes->setCurrentIndex(0);
    } else {
        selectVolume();
    }
    redrawTabBar();
    updateHistoryButtons();
}

void FilePanelController::leaveRemote()
{
    if (!d->remote)
        return;
    disconnectRemote();
    d->model->changeRows([](PanelItems& items) { items.clear(); });
    showRemoteControls();
    reload();
}

void FilePanelController::disconnectRemote()
{
    if (!d->remote)
        return;
    RemotePanelProviders::release(std::move(d->remote->provider));
    d->remote.reset();
}

std::optional<RemoteProfile> FilePanelController::remoteProfile() const
{
    if (!d->remote)
        return std::nullopt;
    return d->remote->profile;
}

QString FilePanelController::remotePath() const
{
    return d->remote ? d->remote->path : QStringLiteral("/");
}

const QList<RemoteEntry>& FilePanelController::remoteEntries() const
{
    static const QList<RemoteEntry> none;
    return d->remote ? d->remote->entries : none;
}

QString FilePanelController::remotePathOf(const QString& name) const
{
    return RemoteTree::childPath(remotePath(), name);
}

QStringList FilePanelController::selectedRemoteNames() const
{
    QStringList names;
    for (const FileUrl& url : selectedURLs())
        names.append(url.fileName());
    return names;
}

QStringList FilePanelController::remoteDeletionNames() const
{
    const QList<int> rows = selectedRows();
    QStringList names;
    for (int row = 0; row < items().size(); ++row) {
        const FileItem& item = items().at(row);
        if (marked().contains(item.url) || std::binary_search(rows.cbegin(), rows.cend(), row))
            names.append(item.url.fileName());
    }
    return names;
}

void FilePanelController::reloadRemote()
{
    RemotePanelSession& session = *d->remote;
    // Numbered across connections: a listing of a connection replaced meanwhile never matches.
    static quint64 listings = 0;
    const quint64 number = ++listings;
    session.listingNumber = number;
    session.listing = true;
    session.listingError.reset();
    setStatusText(remoteLoadingText);
    d->model->setInteractive(false);
    whenFinished(this, session.provider->list(session.path), [this, number](QFuture<QList<RemoteEntry>> listed) {
        const std::optional<BrenvikError> error = errorOf(listed);
        if (error)
            return takeRemoteListing(number, {}, error->description());
        takeRemoteListing(number, listed.isCanceled() ? QList<RemoteEntry>() : listed.result(), std::nullopt);
    });
}

// Only the listing last asked for counts: an older one, successful or not, is
// about a folder (or a connection) the user has left.
void FilePanelController::takeRemoteListing(quint64 number, const QList<RemoteEntry>& entries,
                                            const std::optional<QString>& error)
{
    if (!d->remote || d->remote->listingNumber != number)
        return;
    RemotePanelSession& session = *d->remote;
    session.listing = false;
    session.listingError = error;
    session.entries = entries;
    const QString profileId = canonicalUuidText(session.profile.id);
    QList<FileItem> listing;
    listing.reserve(entries.size());
    for (const RemoteEntry& entry : entries)
        listing.append(FileItem::remoteEntry(profileId, entry.name, entry.isDirectory, entry.size));
    const QList<int> rows = selectedRows();
    const int cursor = d->controls.table->currentIndex().row();
    d->model->setInteractive(true);
    d->model->changeRows([&](PanelItems& items) { items.setListing(std::move(listing)); });
    if (!error)
        selectRows(rows, cursor);
    updateStatus();
    updateHistoryButtons();
    Q_EMIT listingFinished();
}

void FilePanelController::updateRemoteStatus()
{
    const RemotePanelSession& session = *d->remote;
    if (session.listing)
        return setStatusText(remoteLoadingText);
    if (session.listingError)
        return setStatusText(*session.listingError);
    const PanelItems::Selection selection = d->model->items().selection(selectedRows());
    setStatusText(QStringLiteral("%1 gewählt · %2     %3 Remote-Objekte     %4")
                      .arg(selection.urls.size())
                      .arg(ByteCount::text(selection.bytes))
                      .arg(items().size())
                      .arg(rawValue(session.profile.kind)));
}

void FilePanelController::setStatusText(const QString& text)
{
    d->controls.status->setText(text);
}

void FilePanelController::openRemoteFile(const FileItem& item)
{
    if (!d->remote || !d->remote->provider)
        return;
    const QString name = item.url.fileName();
    const FileUrl folder = FileUrl::fromLocalPath(
        QDir::tempPath() + QStringLiteral("/Brenvik-Remote-") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    const FileUrl copy = folder.appending(name);
    setStatusText(QStringLiteral("Datei wird geladen …"));
    if (!RemoteTree::isPlainEntryName(name) || !QDir().mkpath(folder.path())) {
        d->interaction.showError(QStringLiteral("Die Remote-Datei konnte nicht geladen werden."), name);
        return reload();
    }
    whenFinished(this, d->remote->provider->download(remotePathOf(name), copy), [this, copy](QFuture<void> done) {
        if (const std::optional<BrenvikError> error = errorOf(done)) {
            d->interaction.showError(*error);
            reload();
        } else {
            setStatusText(QStringLiteral("Remote-Datei geladen"));
            d->openFile(copy);
        }
        Q_EMIT remoteWorkFinished();
    });
}

void FilePanelController::createRemoteFolder(const QString& name)
{
    if (!d->remote || !d->remote->provider)
        return;
    whenFinished(this, d->remote->provider->createDirectory(remotePathOf(name)), [this](QFuture<void> done) {
        if (const std::optional<BrenvikError> error = errorOf(done))
            return d->interaction.showError(*error);
        reload();
    });
}

void FilePanelController::renameRemoteSelection(const QString& newName)
{
    const QStringList names = selectedRemoteNames();
    // "." or ".." would name the folder itself or its parent, not a new name.
    if (!d->remote || !d->remote->provider || names.isEmpty() || !RemoteTree::isPlainEntryName(newName))
        return;
    whenFinished(this, d->remote->provider->rename(remotePathOf(names.constFirst()), remotePathOf(newName)),
                 [this](QFuture<void> done) {
                     if (const std::optional<BrenvikError> error = errorOf(done))
                         return d->interaction.showError(*error);
                     reload();
                 });
}

void FilePanelController::deleteRemoteSelection()
{
    if (!d->remote || !d->remote->provider)
        return;
    QStringList paths;
    for (const QString& name : remoteDeletionNames())
        paths.append(remotePathOf(name));
    if (paths.isEmpty())
        return reload();
    std::shared_ptr<CurlRemoteProvider> provider = d->remote->provider;
    RemoteJob* job = RemoteJob::open(this, d->interaction, QStringLiteral("Remote-Objekte löschen"), paths.size(), {});
    job->run([provider, paths](const RemoteJob::Context& context) {
        for (qsizetype i = 0; i < paths.size(); ++i) {
            context.token.throwIfCancelled();
            context.report({RemoteTransfers::Event::Kind::sending, i, paths.size(), paths.at(i)});
            provider->deleteTree(paths.at(i)).waitForFinished();
            context.report({RemoteTransfers::Event::Kind::done, i + 1, paths.size(), {}});
        }
    }, [this](const RemoteJob::Outcome&) {
        reload();
        Q_EMIT remoteWorkFinished();
    });
}
