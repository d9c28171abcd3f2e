#include "commander/FunctionKeyBar.h"

#include "commander/CommanderWindowController.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace {

struct FunctionKey {
    const char* title;
    void (CommanderWindowController::*command)();
};

// Two blanks between the key and the word.
constexpr FunctionKey functionKeys[] = {
    {"F3  Anzeigen", &CommanderWindowController::viewSelection},
    {"F4  Bearbeiten", &CommanderWindowController::editSelection},
    {"F5  Kopieren", &CommanderWindowController::copySelection},
    {"F6  Verschieben", &CommanderWindowController::moveSelection},
    {"F7  Neuer Ordner", &CommanderWindowController::newFolder},
    {"F8  Löschen", &CommanderWindowController::trashSelection},
    {"F9  Befehle", &CommanderWindowController::showCommands},
    {"F10  Schließen", &CommanderWindowController::closeWindow},
};

} // namespace

FunctionKeyBar::FunctionKeyBar(CommanderWindowController& window)
{
    setFixedHeight(38);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(1);
    QFont small = font();
    if (small.pointSizeF() > 0)
        small.setPointSizeF(small.pointSizeF() * 0.85);
    for (const FunctionKey& key : functionKeys) {
        auto* button = new QPushButton(QString::fromUtf8(key.title));
        button->setFont(small);
        button->setAttribute(Qt::WA_MacSmallSize);
        button->setFocusPolicy(Qt::NoFocus);
        // Equal widths whatever the titles: the row shares its width out evenly.
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
        connect(button, &QPushButton::clicked, &window, key.command);
        row->addWidget(button, 1);
    }
}
