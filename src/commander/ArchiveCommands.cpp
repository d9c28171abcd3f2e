#include "commander/ArchiveCommands.h"

#include "commander/CommanderWindowController.h"
#include "core/FileSystemCore.h"
#include "core/FutureOutcome.h"
#include "panels/FilePanelController.h"
#include "ui/Interaction.h"
#include "ui/OperationProgressController.h"

#include <QPointer>
#include <sys/stat.h>

namespace {

struct FormatTexts {
    QString hereMessage;
    QString otherPanelMessage;
    QString proposal;
    QString suffix;
    QString creating;
    QString unpackQuestion;
    QString unpacking;
};

const FormatTexts& textsFor(ArchiveCommands::Format format)
{
    static const FormatTexts zip{QStringLiteral("Hier packen/komprimieren"), QStringLiteral("Auswahl als ZIP packen"),
                                 QStringLiteral("Archiv.zip"),               QStringLiteral(".zip"),
                                 QStringLiteral("ZIP wird erstellt"),        QStringLiteral("ZIP entpacken?"),
                                 QStringLiteral("ZIP wird entpackt")};
    static const FormatTexts tarGZ{QStringLiteral("Hier als TAR.GZ packen"), QString(),
                                   QStringLiteral("Archiv.tar.gz"),          QStringLiteral(".tar.gz"),
                                   QStringLiteral("TAR.GZ wird erstellt"),   QStringLiteral("TAR-Archiv entpacken?"),
                                   QStringLiteral("Archiv wird entpackt")};
    return format == ArchiveCommands::Format::zip ? zip : tarGZ;
}

bool exists(const FileUrl& url)
{
    struct stat st;
    return lstat(url.nativePath().constData(), &st) == 0;
}

// The url itself while nothing has that name, else the first free name beside
// it; nothing, after an alert built from the error, when no free name can be had.
std::optional<FileUrl> freeName(const FileUrl& url, Interaction& interaction)
{
    try {
        return exists(url) ? FileSystemCore::uniqueDestination(url, url.parent()) : url;
    } catch (const BrenvikError& error) {
        interaction.showError(error);
        return std::nullopt;
    }
}

// A local folder to write into; remote panels have none.
bool isLocalTarget(const FilePanelController* panel)
{
    return panel && !panel->isRemote() && panel->currentURL().isLocal();
}

// The archive's name without its suffix, or nothing when it is no archive of the format.
std::optional<QString> folderNameFor(const FileUrl& archive, ArchiveCommands::Format format)
{
    const QString name = archive.fileName();
    if (format == ArchiveCommands::Format::zip) {
        if (archive.pathExtension().toLower() != QLatin1String("zip"))
            return std::nullopt;
        return name.left(name.size() - 4);
    }
    const qsizetype suffix = ArchiveProvider::tarSuffixLength(name);
    if (suffix == 0)
        return std::nullopt;
    return name.left(name.size() - suffix);
}

} // namespace

ArchiveCommands::ArchiveCommands(CommanderWindowController& window) : QObject(&window), m_window(window) {}

ArchiveCommands& ArchiveCommands::of(CommanderWindowController& window)
{
    if (auto* commands = window.findChild<ArchiveCommands*>(QString(), Qt::FindDirectChildrenOnly))
        return *commands;
    return *new ArchiveCommands(window);
}

void ArchiveCommands::create(FilePanelController* target, Format format)
{
    Interaction& interaction = m_window.interaction();
    FilePanelController* active = m_window.activePanel();
    if (!active || active->isRemote() || active->selectedURLs().isEmpty() || !isLocalTarget(target))
        return interaction.beep();

    const FormatTexts& texts = textsFor(format);
    AlertRequest request;
    request.message = target == active ? texts.hereMessage : texts.otherPanelMessage;
    if (format == Format::zip)
        request.informativeText = QStringLiteral("Ziel: ") + target->currentURL().path();
    request.accessory.controls = {AccessoryControl::textField(texts.proposal, QSize(340, 24))};
    request.buttons = {QStringLiteral("Packen"), QStringLiteral("Abbrechen")};
    const AlertResponse response = interaction.runAlert(request);
    if (response.buttonIndex != 0)
        return;
    QString name = response.text().trimmed();
    if (!name.endsWith(texts.suffix, Qt::CaseInsensitive))
        name += texts.suffix;
    if (name.contains(u'/'))
        return interaction.beep();

    const std::optional<FileUrl> destination = freeName(target->currentURL().appending(name), interaction);
    if (!destination)
        return;
    auto* progress = new OperationProgressController(texts.creating, 1, {}, &m_window);
    progress->show();
    const QList<FileUrl> sources = active->selectedURLs();
    follow(format == Format::zip ? m_provider.createZIP(sources, *destination)
                                 : m_provider.createTarGZ(sources, *destination),
           progress, target, QStringLiteral("Archiv erstellt"));
}

void ArchiveCommands::extract(FilePanelController* target, Format format)
{
    Interaction& interaction = m_window.interaction();
    FilePanelController* active = m_window.activePanel();
    const QList<FileUrl> selection = active && !active->isRemote() ? active->selectedURLs() : QList<FileUrl>();
    if (selection.size() != 1 || !isLocalTarget(target))
        return interaction.beep();
    const FileUrl archive = selection.constFirst();
    const std::optional<QString> folderName = folderNameFor(archive, format);
    if (!folderName)
        return interaction.beep();

    const FormatTexts& texts = textsFor(format);
    const std::optional<FileUrl> destination = freeName(target->currentURL().appending(*folderName), interaction);
    if (!destination)
        return;
    AlertRequest request;
    request.message = texts.unpackQuestion;
    request.informativeText =
        QStringLiteral("Archiv: ") + archive.fileName() + QStringLiteral("\nZiel: ") + destination->path();
    request.buttons = {QStringLiteral("Entpacken"), QStringLiteral("Abbrechen")};
    if (interaction.runAlert(request).buttonIndex != 0)
        return;

    auto* progress = new OperationProgressController(texts.unpacking, 1, {}, &m_window);
    progress->show();
    follow(format == Format::zip ? m_provider.extractZIP(archive, *destination)
                                 : m_provider.extractTar(archive, *destination),
           progress, target, QStringLiteral("Archiv entpackt"));
}

void ArchiveCommands::follow(QFuture<FileUrl> job, OperationProgressController* progress,
                             FilePanelController* target, const QString& successMessage)
{
    progress->onCancel = [job]() mutable { job.cancel(); };
    whenFinished(this, job,
                 [this, progress = QPointer(progress), target = QPointer(target), successMessage](auto job) {
                     if (const std::optional<BrenvikError> error = errorOf(job)) {
                         if (progress)
                             progress->close();
                         m_window.interaction().showError(*error);
                     } else if (progress) {
                         progress->finish(job.isCanceled() || job.resultCount() == 0
                                              ? QStringLiteral("Vorgang abgebrochen")
                                              : successMessage);
                     }
                     if (target)
                         target->reload();
                 });
}
