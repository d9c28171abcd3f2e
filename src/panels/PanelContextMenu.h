#pragma once

#include "panels/FilePanelDelegate.h"

#include <functional>
#include <optional>

class QMenu;
class QWidget;

// The table's context menu "Datei": the panel's own "Öffnen", then the owner's
// items. Choosing an item calls `run` with its command; "Öffnen" passes nothing.
QMenu* buildPanelContextMenu(QWidget* parent, const QList<PanelMenuItem>& items,
                             const std::function<void(std::optional<QString>)>& run);
