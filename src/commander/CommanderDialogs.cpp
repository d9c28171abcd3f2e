#include "commander/CommanderDialogs.h"

#include "platform/PlatformTexts.h"
#include "ui/Interaction.h"

namespace CommanderDialogs {

void showKeyboardHelp(Interaction& interaction)
{
    AlertRequest request;
    request.message = QStringLiteral("Commander-Tastatur");
    request.informativeText = PlatformTexts::localized(QStringLiteral(
        "Tab: Bereich wechseln · ⌘L: Pfad · Leertaste: markieren · F3–F10: Aktionen\n"
        "Falls macOS die F-Tasten abfängt, Fn gedrückt halten."));
    interaction.runAlert(request);
}

std::optional<QString> askMask(Interaction& interaction, bool selecting)
{
    AlertRequest request;
    request.message = selecting ? QStringLiteral("Dateien nach Maske markieren") : QStringLiteral("Dateien nach Maske abwählen");
    request.informativeText = QStringLiteral("Mehrere Masken mit Semikolon trennen, z. B. *.jpg;*.png");
    request.accessory.controls = {AccessoryControl::textField(QStringLiteral("*.*"), QSize(360, 24))};
    request.buttons = {selecting ? QStringLiteral("Markieren") : QStringLiteral("Abwählen"), QStringLiteral("Abbrechen")};
    const AlertResponse response = interaction.runAlert(request);
    if (response.buttonIndex != 0)
        return std::nullopt;
    return response.text();
}

} // namespace CommanderDialogs
