#include "panels/PanelContextMenu.h"

#include <QMenu>

namespace {

struct MenuItem {
    const char* title; // nullptr: a separator
    std::optional<PanelCommand> command;
};

const MenuItem menuItems[] = {
    {"Öffnen", std::nullopt},
    {"Quick Look", PanelCommand::quickLook},
    {nullptr, std::nullopt},
    {"Umbenennen", PanelCommand::rename},
    {"Duplizieren", PanelCommand::duplicate},
    {"In anderes Panel kopieren", PanelCommand::copyToOtherPanel},
    {"In anderes Panel verschieben", PanelCommand::moveToOtherPanel},
    {"Symbolischen Link im anderen Panel anlegen", PanelCommand::symbolicLinksInOtherPanel},
    {nullptr, std::nullopt},
    {"Hier packen/komprimieren …", PanelCommand::createZipHere},
    {"Als ZIP ins andere Panel packen …", PanelCommand::createZipInOtherPanel},
    {"ZIP hier entpacken …", PanelCommand::extractZipHere},
    {"ZIP ins andere Panel entpacken …", PanelCommand::extractZipIntoOtherPanel},
    {nullptr, std::nullopt},
    {"Informationen", PanelCommand::showInfo},
    {"Im Finder zeigen", PanelCommand::reveal},
    {"Terminal hier öffnen", PanelCommand::openTerminal},
    {nullptr, std::nullopt},
    {"SHA-256-Prüfsumme …", PanelCommand::checksums},
    {"Mehrfachumbenennung …", PanelCommand::multiRename},
    {nullptr, std::nullopt},
    {"In den Papierkorb", PanelCommand::trash},
};

} // namespace

QMenu* buildPanelContextMenu(QWidget* parent, const std::function<void(std::optional<PanelCommand>)>& run)
{
    auto* menu = new QMenu(QStringLiteral("Datei"), parent);
    for (const MenuItem& item : menuItems) {
        if (!item.title) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(item.title));
        QObject::connect(action, &QAction::triggered, menu, [run, command = item.command] { run(command); });
    }
    return menu;
}
