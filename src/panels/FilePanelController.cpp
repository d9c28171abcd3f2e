#include "panels/FilePanelController.h"

#include "panels/FilePanelState.h"
#include "panels/FileTableModel.h"
#include "panels/FileTableView.h"
#include "panels/PanelContextMenu.h"
#include "panels/PanelPaths.h"
#include "panels/PanelWorker.h"
#include "panels/RemoteLocation.h"
#include "panels/RemotePanelSession.h"
#include "platform/PlatformTexts.h"
#include "preferences/PreferencesStore.h"
#include "remote/RemoteTree.h"
#include "ui/DesktopOpen.h"
#include "ui/Interaction.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QUrl>

namespace {

PanelTabs restoredTabs(const FileUrl& startFolder, const PanelPreferences& preferences)
{
    const PanelPreferences::SavedTabs saved = preferences.tabs();
    QList<FileUrl> folders;
    for (const QString& path : saved.paths) {
        const FileUrl folder = PanelPaths::standardized(FileUrl::fromLocalPath(path));
        if (PanelPaths::isFolder(folder))
            folders.append(folder);
    }
    if (!folders.isEmpty())
        return PanelTabs(folders, saved.selectedIndex);
    const FileUrl start = PanelPaths::standardized(startFolder);
    return PanelTabs({PanelPaths::isFolder(start) ? start : FileUrl::fromLocalPath(QDir::homePath())}, 0);
}

} // namespace

FilePanelController::State::State(const FileUrl& startFolder, QString key, Interaction& interaction)
    : persistenceKey(std::move(key)), interaction(interaction), preferences(PreferencesStore::shared()),
      tabs(restoredTabs(startFolder, preferences.panel(persistenceKey))),
      showHidden(preferences.panel(persistenceKey).showHiddenAtStart())
{
}

FilePanelController::FilePanelController(const FileUrl& url, const QString& persistenceKey,
                                         Interaction& interaction, QWidget* parent)
    : QWidget(parent), d(std::make_unique<State>(url, persistenceKey, interaction))
{
    d->model = new FileTableModel(d->preferences, this);
    d->worker = new PanelWorker(this);
    d->controls = PanelControls::build(*this, *d->model);
    d->openFile = [this](const FileUrl& file) { openWithDefaultApplication(file, d->interaction, this); };
    d->controls.hidden->setChecked(d->showHidden);
    connectControls();

    rebuildVolumes();
    rebuildFavorites();
    d->controls.path->setText(locationDescription());
    selectVolume();
    redrawTabBar();
    reload();
}

FilePanelController::~FilePanelController()
{
    if (d->remote)
        RemotePanelProviders::release(std::move(d->remote->provider));
    // Stop and wait for the background work before anything it reports to goes away.
    delete d->worker;
    d->worker = nullptr;
    // The children outlive this part of the panel: none of their signals may reach it now.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

void FilePanelController::connectControls()
{
    const PanelControls& c = d->controls;
    d->worker->onListingFinished([this](const ListingResult& result) { takeListing(result); });
    d->worker->onSizeFinished([this](const FileUrl& folder, std::optional<qint64> size) {
        takeFolderSize(folder, size);
    });
    d->model->setDropHandler([this](const QList<FileUrl>& sources, const std::optional<FileUrl>& row, bool moving) {
        return dropEntries(sources, row, moving);
    });
    d->model->setRemoteDrag(
        [this](const QList<FileItem>& rows) {
            QStringList paths;
            for (const FileItem& item : rows)
                paths.append(remotePathOf(item.url.fileName()));
            return d->remote ? RemoteLocation::dragText(d->remote->profile.id, paths) : QByteArray();
        },
        [this](const QByteArray& text, const std::optional<FileUrl>& row, bool moving) {
            return dropRemoteEntries(text, row, moving);
        });

    connect(c.tabBar, &QTabBar::currentChanged, this, [this](int index) { selectTab(index); });
    connect(c.addTab, &QPushButton::clicked, this, &FilePanelController::addTab);
    connect(c.closeTab, &QPushButton::clicked, this, &FilePanelController::closeTab);
    connect(c.back, &QToolButton::clicked, this, &FilePanelController::goBack);
    connect(c.forward, &QToolButton::clicked, this, &FilePanelController::goForward);
    connect(c.up, &QToolButton::clicked, this, &FilePanelController::goUp);
    connect(c.disconnect, &QToolButton::clicked, this, [this] {
        if (!isRemote())
            return;
        leaveRemote();
        focusTable();
    });
    connect(c.volumes, &QComboBox::activated, this, [this](int index) { chooseVolume(index); });
    connect(c.favorites, &QComboBox::activated, this, [this](int index) { chooseFavorite(index); });
    connect(c.favorite, &QToolButton::clicked, this, &FilePanelController::toggleFavorite);
    connect(c.path, &QLineEdit::editingFinished, this, [this] { setTypedPath(); });
    connect(c.filter, &QLineEdit::textChanged, this, [this](const QString& text) { filterChanged(text); });
    connect(c.hidden, &QCheckBox::clicked, this, [this](bool checked) {
        if (d->delegate)
            d->delegate->setActive(*this, false);
        setShowHidden(checked);
    });
    connect(c.table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { openRow(index.row()); });
    connect(c.table, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        d->menuRow = d->controls.table->indexAt(position).row();
        if (!d->contextMenu)
            setDelegate(d->delegate);
        d->contextMenu->popup(d->controls.table->viewport()->mapToGlobal(position));
    });
    connect(c.table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) { sortChanged(column, order); });
    connect(c.table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { tableSelectionChanged(); });
}

void FilePanelController::setDelegate(FilePanelDelegate* delegate)
{
    d->delegate = delegate;
    // The menu is built once, with the owner's items.
    delete d->contextMenu;
    d->contextMenu = buildPanelContextMenu(this, delegate ? delegate->contextMenuItems() : QList<PanelMenuItem>(),
                                           [this](const std::optional<QString>& command) { runMenuCommand(command); });
}

const QString& FilePanelController::persistenceKey() const
{
    return d->persistenceKey;
}

const FileUrl& FilePanelController::currentURL() const
{
    return d->tabs.currentURL();
}

const QList<FileItem>& FilePanelController::allItems() const
{
    return d->model->items().allItems();
}

const QList<FileItem>& FilePanelController::items() const
{
    return d->model->items().items();
}

const QSet<FileUrl>& FilePanelController::marked() const
{
    return d->model->items().marked();
}

QString FilePanelController::locationDescription() const
{
    if (d->remote)
        return RemoteLocation::description(d->remote->profile, d->remote->path);
    return currentURL().path();
}

bool FilePanelController::isRemote() const
{
    return d->remote != nullptr;
}

void FilePanelController::navigate(const FileUrl& folder, bool recordingHistory)
{
    if (!folder.isLocal())
        return;
    if (d->tabs.navigate(PanelPaths::standardized(folder), recordingHistory))
        showFolder();
    else if (isRemote())
        leaveRemote();
}

// The folder changed (navigation, history or another tab): show it and list it.
void FilePanelController::showFolder()
{
    if (isRemote()) {
        disconnectRemote();
        showRemoteControls();
    }
    d->controls.path->setText(locationDescription());
    d->model->changeCells([](PanelItems& items) { items.clearMarks(); });
    d->selectFirstRow = true;
    redrawTabBar();
    updateFavoriteButton();
    selectVolume();
    updateHistoryButtons();
    persistSession();
    reload();
}

void FilePanelController::openSelection()
{
    openRow(cursorRow());
}

void FilePanelController::openRow(int row)
{
    if (row < 0 || row >= items().size())
        return;
    const FileItem item = items().at(row);
    if (isRemote()) {
        if (!item.isDirectory)
            return openRemoteFile(item);
        d->remote->path = remotePathOf(item.url.fileName());
        d->controls.path->setText(locationDescription());
        d->model->changeCells([](PanelItems& items) { items.clearMarks(); });
        return reload();
    }
    if (item.isDirectory)
        navigate(item.url, true);
    else
        d->openFile(item.url);
}

void FilePanelController::setFileOpener(std::function<void(const FileUrl&)> opener)
{
    d->openFile = std::move(opener);
}

void FilePanelController::goUp()
{
    if (!isRemote())
        return navigate(currentURL().parent(), true);
    const std::optional<QString> parent = RemoteLocation::parentPath(d->remote->path);
    if (!parent)
        return;
    d->remote->path = *parent;
    d->controls.path->setText(locationDescription());
    d->model->changeCells([](PanelItems& items) { items.clearMarks(); });
    reload();
}

// Remote folders have no history: back and forward return to the local folder first.
void FilePanelController::goBack()
{
    if (isRemote())
        return leaveRemote();
    if (d->tabs.goBack())
        showFolder();
}

void FilePanelController::goForward()
{
    if (isRemote())
        return leaveRemote();
    if (d->tabs.goForward())
        showFolder();
}

void FilePanelController::setTypedPath()
{
    QLineEdit* field = d->controls.path;
    if (!field->isModified())
        return;
    field->setModified(false);
    if (isRemote()) {
        const std::optional<QString> typed = RemoteLocation::typedPath(field->text());
        if (typed) {
            d->remote->path = RemoteTree::childPath(QStringLiteral("/"), *typed);
            d->model->changeCells([](PanelItems& items) { items.clearMarks(); });
            reload();
        } else {
            d->interaction.beep();
        }
        field->setText(locationDescription());
        return;
    }
    const std::optional<FileUrl> target = PanelPaths::typedPath(field->text());
    if (target && PanelPaths::isFolder(*target)) {
        navigate(*target, true);
        field->setText(locationDescription());
        // The typed way has arrived: arrows and function keys work on the new folder at once.
        focusTable();
        return;
    }
    field->setText(locationDescription());
    d->interaction.beep();
}

void FilePanelController::showInPanel(const FileUrl& entry)
{
    if (!entry.isLocal())
        return;
    const FileUrl target = PanelPaths::standardized(entry);
    d->pendingCursor = target;
    navigate(target.parent(), true);
    if (!d->worker->isListing())
        placePendingCursor();
}

void FilePanelController::addTab()
{
    if (isRemote()) {
        disconnectRemote();
        showRemoteControls();
    }
    d->tabs.addTab();
    redrawTabBar();
    updateHistoryButtons();
    persistSession();
    reload();
}

void FilePanelController::closeTab()
{
    if (!d->tabs.closeTab()) {
        d->interaction.beep();
        return;
    }
    showFolder();
}

void FilePanelController::selectTab(int index)
{
    if (!d->redrawingTabBar && d->tabs.selectTab(index))
        showFolder();
}

void FilePanelController::cycleTab(int delta)
{
    if (d->tabs.cycleTab(delta))
        showFolder();
}

int FilePanelController::tabCount() const
{
    return d->tabs.count();
}

int FilePanelController::selectedTab() const
{
    return d->tabs.selectedTab();
}

void FilePanelController::redrawTabBar()
{
    QTabBar* bar = d->controls.tabBar;
    d->redrawingTabBar = true;
    while (bar->count() > d->tabs.count())
        bar->removeTab(bar->count() - 1);
    while (bar->count() < d->tabs.count())
        bar->addTab(QString());
    const QList<FileUrl> folders = d->tabs.tabFolders();
    for (int index = 0; index < folders.size(); ++index) {
        bar->setTabText(index, PanelPaths::folderTitle(folders[index]));
        bar->setTabToolTip(index, folders[index].path());
    }
    if (d->remote) {
        bar->setTabText(d->tabs.selectedTab(), QStringLiteral("☁︎ ") + d->remote->profile.name);
        bar->setTabToolTip(d->tabs.selectedTab(), locationDescription());
    }
    bar->setCurrentIndex(d->tabs.selectedTab());
    d->redrawingTabBar = false;
}

void FilePanelController::updateHistoryButtons()
{
    d->controls.back->setEnabled(!isRemote() && !d->tabs.backHistory().isEmpty());
    d->controls.forward->setEnabled(!isRemote() && !d->tabs.forwardHistory().isEmpty());
}

void FilePanelController::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->controls.hidden->setText(width() < 420 ? QString() : PlatformTexts::localized(QStringLiteral("⌘.")));
}

void FilePanelController::setActive(bool active)
{
    d->active = active;
    // The other panel's selection is shown muted, so that it is never mistaken
    // for what the next command acts on.
    QTableView* table = d->controls.table;
    QPalette palette = table->palette();
    const QPalette standard = QApplication::palette(table);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight,
                         active ? standard.color(QPalette::Active, QPalette::Highlight)
                                : standard.color(QPalette::Active, QPalette::Mid));
        palette.setColor(group, QPalette::HighlightedText,
                         active ? standard.color(QPalette::Active, QPalette::HighlightedText)
                                : standard.color(QPalette::Active, QPalette::Text));
    }
    table->setPalette(palette);
    update();
}

bool FilePanelController::isActive() const
{
    return d->active;
}

void FilePanelController::focusTable()
{
    d->controls.table->setFocus(Qt::OtherFocusReason);
}

void FilePanelController::focusPathField()
{
    d->controls.path->setFocus(Qt::ShortcutFocusReason);
    d->controls.path->selectAll();
}

QString FilePanelController::statusText() const
{
    return d->controls.status->text();
}

QTableView* FilePanelController::table() const
{
    return d->controls.table;
}

QLineEdit* FilePanelController::pathField() const
{
    return d->controls.path;
}

FileTableModel& FilePanelController::tableModel() const
{
    return *d->model;
}

void FilePanelController::runMenuCommand(const std::optional<QString>& command)
{
    const int row = d->menuRow;
    d->menuRow = -1;
    if (d->delegate)
        d->delegate->setActive(*this, true);
    if (!command)
        openRow(row >= 0 ? row : cursorRow());
    else if (d->delegate)
        d->delegate->runCommand(*this, *command);
}

void FilePanelController::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!d->active)
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void FilePanelController::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && d->delegate)
        d->delegate->setActive(*this, false);
    QWidget::mousePressEvent(event);
}
