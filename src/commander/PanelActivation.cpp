#include "commander/PanelActivation.h"

#include "commander/CommanderWindowController.h"
#include "panels/FilePanelController.h"

#include <QEvent>
#include <QWidget>

PanelActivation::PanelActivation(CommanderWindowController& window) : m_window(window)
{
}

bool PanelActivation::eventFilter(QObject* receiver, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget || widget->window() != &m_window)
        return false;
    for (QWidget* ancestor = widget; ancestor; ancestor = ancestor->parentWidget()) {
        for (FilePanelController* panel : {m_window.leftPanel(), m_window.rightPanel()}) {
            if (ancestor == panel) {
                if (m_window.activePanel() != panel)
                    m_window.setActive(*panel, false);
                return false;
            }
        }
    }
    return false;
}
