#pragma once

#include <QKeyCombination>
#include <QList>
#include <QString>
#include <span>

class CommanderWindowController;
class QKeyEvent;

// Every command of the commander window, once: where it appears (main menu,
// function-key bar, context menu), which keys start it, which custom-shortcut
// identifier names it and which panels it may act on. The menu bar, the
// function-key bar, the keyboard filter and the panels' context menu are all
// built from this table, so adding a command means adding one row.
namespace CommandTable {

enum class Menu { none, application, file, selection, archives, tools };

// What the command may act on. A command that only understands local paths
// beeps instead of acting on the local folder hidden behind a remote panel.
enum class Scope {
    anyPanel,      // handles remote panels itself, or does not touch files
    localActive,   // the active panel must show a local folder
    localBoth,     // both panels must show local folders
};

// How a key press is matched.
enum class KeyMatch {
    none,
    exact,        // the key with exactly these modifiers (Shift only counts for letters)
    anyModifiers, // the key whatever modifiers are held (function and named keys)
    control,      // ⌃ (Qt's Meta); on Linux Ctrl answers too, since desktops reserve Super
    blank,        // the typed text is exactly one blank
};

struct Key {
    KeyMatch match = KeyMatch::none;
    QKeyCombination chord = {};

    bool matches(const QKeyEvent& event) const;
};

struct Row {
    const char* id;          // the handler's name, unique
    const char* title;       // menu title; nullptr for commands that only have keys
    Menu menu;
    int menuOrder;           // position in its menu; separators where the tens change
    Key key;                 // shown in the menu; handled by the keyboard filter, never by the menu
    const char* functionKeyTitle; // button of the function-key bar, or nullptr
    const char* contextTitle;     // item of a panel's context menu, or nullptr
    int contextOrder;        // position in the context menu; separators where the tens change
    const char* shortcutId;  // identifier a custom shortcut may bind, or nullptr
    Scope scope;
    void (CommanderWindowController::*handler)();
};

std::span<const Row> rows();
const Row* find(const char* id);
// The row a custom-shortcut identifier names.
const Row* forShortcut(const QString& shortcutId);
// The first row whose key matches the press, in the keyboard table's order.
const Row* forKey(const QKeyEvent& event);
// The rows of one main menu, and of the panels' context menu, in their order.
QList<const Row*> menuRows(Menu menu);
QList<const Row*> contextRows();
// The key as a menu shows it, in the platform's words ("Strg+D" on Linux).
QString keyHint(const Key& key);

} // namespace CommandTable
