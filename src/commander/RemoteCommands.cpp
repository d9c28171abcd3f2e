#include "commander/RemoteCommands.h"

#include "panels/FilePanelController.h"
#include "platform/PlatformTexts.h"
#include "ui/Interaction.h"
#include "ui/OperationAlerts.h"

namespace RemoteCommands {

namespace {

constexpr int namedEntries = 5;

// The trimmed name the user confirmed; nothing when it cannot name an entry.
std::optional<QString> askName(Interaction& interaction, const QString& message, const QString& proposal,
                               const QString& confirm)
{
    AlertRequest request;
    request.message = message;
    request.accessory.controls = {AccessoryControl::textField(proposal, QSize(340, 24))};
    request.buttons = {confirm, QStringLiteral("Abbrechen")};
    const AlertResponse response = interaction.runAlert(request);
    const QString name = response.text().trimmed();
    if (response.buttonIndex != 0 || name.isEmpty() || name.contains(u'/'))
        return std::nullopt;
    return name;
}

} // namespace

bool openInstead(FilePanelController& panel)
{
    if (!panel.isRemote())
        return false;
    panel.openSelection();
    return true;
}

void deleteSelection(FilePanelController& panel, Interaction& interaction)
{
    const QStringList names = panel.remoteDeletionNames();
    if (names.isEmpty())
        return interaction.beep();
    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QStringLiteral("Remote-Auswahl endgültig löschen?");
    request.informativeText =
        PlatformTexts::localized(QStringLiteral("Auf dem Server steht der macOS-Papierkorb nicht zur Verfügung.\n\n"))
        + QString::number(names.size()) + QStringLiteral(" Objekt(e):\n")
        + OperationAlerts::listedLines(names, namedEntries);
    request.buttons = {QStringLiteral("Löschen"), QStringLiteral("Abbrechen")};
    if (interaction.runAlert(request).buttonIndex == 0)
        panel.deleteRemoteSelection();
}

void newFolder(FilePanelController& panel, Interaction& interaction)
{
    if (const std::optional<QString> name = askName(interaction, QStringLiteral("Neuer Remote-Ordner"),
                                                    QStringLiteral("Neuer Ordner"), QStringLiteral("Anlegen")))
        panel.createRemoteFolder(*name);
}

void renameSelection(FilePanelController& panel, Interaction& interaction)
{
    if (panel.selectedRemoteNames().isEmpty())
        return interaction.beep();
    if (const std::optional<QString> name =
            askName(interaction, QStringLiteral("Remote-Objekt umbenennen"), {}, QStringLiteral("Umbenennen")))
        panel.renameRemoteSelection(*name);
}

} // namespace RemoteCommands
