#pragma once

#include "panels/FilePanelDelegate.h"

#include <functional>
#include <optional>

class QMenu;
class QWidget;

// The table's context menu "Datei", built once. Choosing an item calls `run`
// with its command; "Öffnen" (the panel's own open) passes nothing.
QMenu* buildPanelContextMenu(QWidget* parent, const std::function<void(std::optional<PanelCommand>)>& run);
