#include "panels/PanelContextMenu.h"

#include <QMenu>

QMenu* buildPanelContextMenu(QWidget* parent, const QList<PanelMenuItem>& items,
                             const std::function<void(std::optional<QString>)>& run)
{
    auto* menu = new QMenu(QStringLiteral("Datei"), parent);
    QObject::connect(menu->addAction(QStringLiteral("Öffnen")), &QAction::triggered, menu,
                     [run] { run(std::nullopt); });
    for (const PanelMenuItem& item : items) {
        if (item.separatorBefore)
            menu->addSeparator();
        QAction* action = menu->addAction(item.title);
        QObject::connect(action, &QAction::triggered, menu, [run, command = item.command] { run(command); });
    }
    return menu;
}
