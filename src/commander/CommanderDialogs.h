#pragma once

#include <QString>
#include <optional>

class Interaction;

// The commander window's own small alerts.
namespace CommanderDialogs {

// "Commander-Tastatur": the keys of the two-panel workflow.
void showKeyboardHelp(Interaction& interaction);

// The masks to mark (or unmark) by, as typed; nothing when cancelled.
std::optional<QString> askMask(Interaction& interaction, bool selecting);

} // namespace CommanderDialogs
