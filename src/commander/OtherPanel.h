#pragma once

#include "panels/FilePanelDelegate.h"

// The panel that is not active: the right one when the left is active, the
// left one in every other case.
inline FilePanelController* otherPanelOf(const FilePanelDelegate& panels)
{
    return panels.activePanel() == panels.leftPanel() ? panels.rightPanel() : panels.leftPanel();
}
