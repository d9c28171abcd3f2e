#include "commander/WindowCommands.h"

#include "commander/OtherPanel.h"
#include "commander/RemoteCommands.h"
#include "commander/WindowCommandError.h"
#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "diagnostics/DiagnosticsStore.h"
#include "panels/FilePanelController.h"
#include "platform/LocalFileOperations.h"
#include "platform/PlatformTexts.h"
#include "ui/Interaction.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString create = QStringLiteral("Anlegen");
const QString cancel = QStringLiteral("Abbrechen");

// The name the user typed, or nothing when the alert was left another way.
std::optional<QString> askName(Interaction& interaction, const QString& message, const QString& informativeText,
                               const QString& proposal, QSize fieldSize, const QString& confirm)
{
    AlertRequest request;
    request.message = message;
    request.informativeText = informativeText;
    request.accessory.controls = {AccessoryControl::textField(proposal, fieldSize)};
    request.buttons = {confirm, cancel};
    const AlertResponse response = interaction.runAlert(request);
    if (response.buttonIndex != 0)
        return std::nullopt;
    return response.text();
}

bool exists(const FileUrl& url)
{
    struct stat st;
    return lstat(url.nativePath().constData(), &st) == 0;
}

void createEmptyFile(const FileUrl& url)
{
    const int fd = ::open(url.nativePath().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        throw SystemError(errno, url.nativePath());
    ::close(fd);
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("Ja") : QStringLiteral("Nein");
}

QString trueFalse(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

WindowCommands::WindowCommands(FilePanelDelegate& panels, Interaction& interaction)
    : m_panels(panels), m_interaction(interaction)
{
}

void WindowCommands::newFolder()
{
    FilePanelController* panel = m_panels.activePanel();
    if (panel->isRemote())
        return RemoteCommands::newFolder(*panel, m_interaction);
    const std::optional<QString> name = askName(m_interaction, QStringLiteral("Neuer Ordner"), {},
                                                QStringLiteral("Neuer Ordner"), QSize(340, 24), create);
    if (!name)
        return;
    // Taken as typed: a name with "/" reaches into an existing subfolder, and
    // missing parents are never created.
    const FileUrl folder = panel->currentURL().appending(*name);
    if (::mkdir(folder.nativePath().constData(), 0777) != 0)
        return m_interaction.showError(SystemError(errno, folder.nativePath()));
    panel->reload();
}

void WindowCommands::newEmptyFile()
{
    FilePanelController* panel = m_panels.activePanel();
    const std::optional<QString> typed = askName(m_interaction, QStringLiteral("Neue leere Datei"), {},
                                                 QStringLiteral("Neue Datei.txt"), QSize(340, 24), create);
    if (!typed)
        return;
    try {
        if (!WindowCommandError::isNameAllowed(*typed))
            throw WindowCommandError(WindowCommandError::Code::fileNameNotAllowed);
        const FileUrl file = panel->currentURL().appending(typed->trimmed());
        if (exists(file))
            throw WindowCommandError(WindowCommandError::Code::fileExists);
        createEmptyFile(file);
        panel->reload();
        panel->showInPanel(file);
    } catch (const BrenvikError& error) {
        m_interaction.showError(error);
    }
}

void WindowCommands::renameSelection()
{
    FilePanelController* panel = m_panels.activePanel();
    if (panel->isRemote())
        return RemoteCommands::renameSelection(*panel, m_interaction);
    const QList<FileUrl> selection = panel->selectedURLs();
    if (selection.size() != 1)
        return m_interaction.beep();
    const FileUrl source = selection.constFirst();
    const std::optional<QString> typed = askName(m_interaction, QStringLiteral("Umbenennen"), source.fileName(),
                                                 source.fileName(), QSize(360, 24), QStringLiteral("Umbenennen"));
    if (!typed)
        return;
    try {
        if (!WindowCommandError::isNameAllowed(*typed))
            throw WindowCommandError(WindowCommandError::Code::renameNameNotAllowed);
        const QString name = typed->trimmed();
        // The shown name of an entry whose name is no valid text stands for its
        // own bytes: leaving it unchanged keeps the old name.
        const FileUrl target = source.parent().appending(name == source.fileName() ? source.nativeFileName()
                                                                                   : name.toUtf8());
        if (exists(target))
            throw WindowCommandError(WindowCommandError::Code::renameTargetExists);
        LocalFileOperations::moveItem(source, target, LocalFileOperations::AtTarget::mustBeFree);
        panel->reload();
    } catch (const BrenvikError& error) {
        m_interaction.showError(error);
    }
}

void WindowCommands::createSymbolicLinks()
{
    const QList<FileUrl> selection = m_panels.activePanel()->selectedURLs();
    if (selection.isEmpty())
        return m_interaction.beep();
    FilePanelController* other = otherPanelOf(m_panels);
    const FileUrl folder = other->currentURL();

    AlertRequest request;
    request.message = QString::number(selection.size()) + QStringLiteral(" symbolische Link(s) anlegen?");
    request.informativeText = QStringLiteral("Zielordner: ") + folder.path()
        + QStringLiteral("\nDie Links verweisen auf die absoluten Quellpfade.");
    request.buttons = {QStringLiteral("Links anlegen"), cancel};
    if (m_interaction.runAlert(request).buttonIndex != 0)
        return;

    try {
        for (const FileUrl& entry : selection) {
            // A free name: an existing entry of the other folder is never touched.
            const FileUrl link = FileSystemCore::uniqueDestination(entry, folder);
            if (::symlink(entry.nativePath().constData(), link.nativePath().constData()) != 0)
                throw SystemError(errno, link.nativePath());
        }
    } catch (const BrenvikError& error) {
        m_interaction.showError(error);
    }
    other->reload();
}

void WindowCommands::checkActiveFolderAccess()
{
    const FileUrl folder = m_panels.activePanel()->currentURL();
    const QByteArray& path = folder.nativePath();
    struct stat st;
    const bool present = ::stat(path.constData(), &st) == 0;
    const bool readable = ::access(path.constData(), R_OK) == 0;
    const bool writable = ::access(path.constData(), W_OK) == 0;

    AlertRequest request;
    request.style = readable && writable ? AlertStyle::informational : AlertStyle::warning;
    request.message = readable ? QStringLiteral("Ordnerzugriff verfügbar") : QStringLiteral("Ordner kann nicht gelesen werden");
    request.informativeText = QStringLiteral("Pfad: ") + folder.path() + QStringLiteral("\nVorhanden: ") + yesNo(present)
        + QStringLiteral("\nLesbar: ") + yesNo(readable) + QStringLiteral("\nBeschreibbar: ") + yesNo(writable);
    if (!readable) {
        request.informativeText += PlatformTexts::localized(QStringLiteral(
            "\n\nÖffne den Ordner zunächst bewusst über einen macOS-Dateidialog oder prüfe unter Systemeinstellungen → "
            "Datenschutz & Sicherheit die Berechtigung für genau diesen geschützten Bereich. Full Disk Access wird nicht "
            "pauschal benötigt."));
    } else if (!writable) {
        request.informativeText += QStringLiteral(
            "\n\nLesen ist möglich. Schreiboperationen können an Besitzer-, POSIX- oder Volume-Rechten scheitern; "
            "Brenvik fordert dafür nicht automatisch Administratorrechte an.");
    }
    m_interaction.runAlert(request);
    DiagnosticsStore::shared().record(QStringLiteral("Berechtigung"), QStringLiteral("Aktiver Ordner geprüft · lesbar ")
                                                                          + trueFalse(readable)
                                                                          + QStringLiteral(" · beschreibbar ")
                                                                          + trueFalse(writable));
}
