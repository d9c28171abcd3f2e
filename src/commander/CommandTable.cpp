#include "commander/CommandTable.h"

#include "commander/CommanderWindowController.h"
#include "platform/PlatformTexts.h"

#include <QKeyEvent>
#include <algorithm>

namespace CommandTable {

namespace {

using C = CommanderWindowController;
using M = Menu;
using S = Scope;

constexpr Qt::KeyboardModifiers chordModifiers = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier
    | Qt::MetaModifier;

constexpr Key none() { return {}; }
constexpr Key exact(QKeyCombination chord) { return {KeyMatch::exact, chord}; }
constexpr Key any(Qt::Key key) { return {KeyMatch::anyModifiers, QKeyCombination(key)}; }
constexpr Key control(QKeyCombination chord) { return {KeyMatch::control, chord}; }

// The keyboard filter tries rows in this order: first the keys of the two-panel
// workflow, then the menus' key equivalents.
const Row table[] = {
    // id, title, menu, menu order, key, function-key title, context title, context order, shortcut id, scope, handler
    {"addTab", nullptr, M::none, 0, exact(Qt::CTRL | Qt::Key_T), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::addTab},
    {"closeTab", nullptr, M::none, 0, exact(Qt::CTRL | Qt::Key_W), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::closeTabOrWindow},
    {"openSelection", nullptr, M::none, 0, any(Qt::Key_Return), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::openSelection},
    {"openSelectionEnter", nullptr, M::none, 0, any(Qt::Key_Enter), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::openSelection},
    {"switchPanel", nullptr, M::none, 0, {KeyMatch::exact, QKeyCombination(Qt::Key_Tab)}, nullptr, nullptr, 0, nullptr, S::anyPanel, &C::switchPanel},
    {"switchPanelBack", nullptr, M::none, 0, exact(Qt::SHIFT | Qt::Key_Backtab), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::switchPanel},
    {"nextTab", nullptr, M::none, 0, control(Qt::META | Qt::Key_Tab), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::nextTab},
    {"previousTab", nullptr, M::none, 0, control(Qt::META | Qt::SHIFT | Qt::Key_Tab), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::previousTab},
    {"goUp", nullptr, M::none, 0, any(Qt::Key_Backspace), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::goUp},
    {"renameSelection", "Umbenennen", M::file, 3, any(Qt::Key_F2), nullptr, "Umbenennen", 10, nullptr, S::anyPanel, &C::renameSelection},
    {"viewSelection", nullptr, M::none, 0, any(Qt::Key_F3), "F3  Anzeigen", nullptr, 0, "view", S::anyPanel, &C::viewSelection},
    {"editSelection", nullptr, M::none, 0, any(Qt::Key_F4), "F4  Bearbeiten", nullptr, 0, "edit", S::anyPanel, &C::editSelection},
    {"copySelection", "Kopieren", M::file, 0, any(Qt::Key_F5), "F5  Kopieren", "In anderes Panel kopieren", 12, "copy", S::anyPanel, &C::copySelection},
    {"moveSelection", "Verschieben", M::file, 1, any(Qt::Key_F6), "F6  Verschieben", "In anderes Panel verschieben", 13, "move", S::anyPanel, &C::moveSelection},
    {"newFolder", "Neuer Ordner", M::file, 5, any(Qt::Key_F7), "F7  Neuer Ordner", nullptr, 0, "newFolder", S::anyPanel, &C::newFolder},
    {"trashSelection", "In den Papierkorb", M::file, 8, any(Qt::Key_F8), "F8  Löschen", "In den Papierkorb", 60, "trash", S::anyPanel, &C::trashSelection},
    {"showCommands", nullptr, M::none, 0, any(Qt::Key_F9), "F9  Befehle", nullptr, 0, nullptr, S::anyPanel, &C::showCommands},
    {"closeWindow", nullptr, M::none, 0, any(Qt::Key_F10), "F10  Schließen", nullptr, 0, nullptr, S::anyPanel, &C::closeWindow},
    {"focusPathField", nullptr, M::none, 0, exact(Qt::CTRL | Qt::Key_L), nullptr, nullptr, 0, "path", S::anyPanel, &C::focusPathField},
    {"quickLookSelection", nullptr, M::none, 0, exact(Qt::CTRL | Qt::Key_Y), nullptr, "Quick Look", 1, nullptr, S::anyPanel, &C::quickLookSelection},
    {"duplicateSelection", "Duplizieren", M::file, 2, exact(Qt::CTRL | Qt::Key_D), nullptr, "Duplizieren", 11, nullptr, S::localActive, &C::duplicateSelection},
    {"reloadPanels", nullptr, M::none, 0, exact(Qt::CTRL | Qt::Key_R), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::reloadPanels},
    {"toggleHiddenFiles", nullptr, M::none, 0, exact(Qt::CTRL | Qt::Key_Period), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::toggleHiddenFiles},
    {"toggleCurrentSelection", nullptr, M::none, 0, {KeyMatch::blank, {}}, nullptr, nullptr, 0, nullptr, S::anyPanel, &C::toggleCurrentSelection},

    {"showPreferences", "Einstellungen …", M::application, 0, exact(Qt::CTRL | Qt::Key_Comma), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::showPreferences},
    {"showFileInfo", "Informationen", M::file, 4, exact(Qt::CTRL | Qt::Key_I), nullptr, "Informationen", 40, nullptr, S::localActive, &C::showFileInfo},
    {"newEmptyFile", "Neue leere Datei …", M::file, 6, none(), nullptr, nullptr, 0, nullptr, S::localActive, &C::newEmptyFile},
    {"createSymbolicLinks", "Symbolische Links ins andere Panel", M::file, 7, none(), nullptr, "Symbolischen Link im anderen Panel anlegen", 14, nullptr, S::localBoth, &C::createSymbolicLinks},
    {"undoTrash", "Letzten Papierkorb-Vorgang rückgängig", M::file, 9, exact(Qt::CTRL | Qt::ALT | Qt::Key_Z), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::undoTrash},
    {"openTerminal", "Terminal hier öffnen", M::file, 10, none(), nullptr, "Terminal hier öffnen", 42, nullptr, S::localActive, &C::openTerminal},
    {"searchFiles", "Dateien suchen …", M::file, 11, exact(Qt::CTRL | Qt::Key_F), nullptr, nullptr, 0, "search", S::localActive, &C::searchFiles},
    {"revealSelection", nullptr, M::none, 0, none(), nullptr, "Im Finder zeigen", 41, nullptr, S::localActive, &C::revealSelection},

    {"selectByMask", "Nach Maske markieren …", M::selection, 0, exact(Qt::CTRL | Qt::Key_Plus), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::selectByMask},
    {"deselectByMask", "Nach Maske abwählen …", M::selection, 1, exact(Qt::CTRL | Qt::Key_Minus), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::deselectByMask},
    {"selectAllFiles", "Alle Dateien markieren", M::selection, 10, exact(Qt::CTRL | Qt::SHIFT | Qt::Key_A), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::selectAllFiles},
    {"invertSelection", "Auswahl umkehren", M::selection, 11, exact(Qt::CTRL | Qt::SHIFT | Qt::Key_I), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::invertSelection},

    {"createZIPHere", "Hier packen/komprimieren …", M::archives, 0, none(), nullptr, "Hier packen/komprimieren …", 20, nullptr, S::localActive, &C::createZIPHere},
    {"createZIP", "Auswahl als ZIP packen …", M::archives, 1, none(), nullptr, "Als ZIP ins andere Panel packen …", 21, nullptr, S::localBoth, &C::createZIP},
    {"createTarGZHere", "Hier als TAR.GZ packen …", M::archives, 2, none(), nullptr, nullptr, 0, nullptr, S::localActive, &C::createTarGZHere},
    {"extractZIPHere", "ZIP hier entpacken …", M::archives, 10, none(), nullptr, "ZIP hier entpacken …", 22, nullptr, S::localActive, &C::extractZIPHere},
    {"extractZIP", "ZIP ins andere Panel entpacken …", M::archives, 11, none(), nullptr, "ZIP ins andere Panel entpacken …", 23, nullptr, S::localBoth, &C::extractZIP},
    {"extractTarHere", "TAR-Archiv hier entpacken …", M::archives, 12, none(), nullptr, nullptr, 0, nullptr, S::localActive, &C::extractTarHere},
    {"extractTar", "TAR-Archiv ins andere Panel entpacken …", M::archives, 13, none(), nullptr, nullptr, 0, nullptr, S::localBoth, &C::extractTar},

    {"calculateChecksums", "SHA-256-Prüfsummen …", M::tools, 0, none(), nullptr, "SHA-256-Prüfsumme …", 50, nullptr, S::localActive, &C::calculateChecksums},
    {"multiRename", "Mehrfachumbenennung …", M::tools, 1, control(Qt::META | Qt::Key_M), nullptr, "Mehrfachumbenennung …", 51, nullptr, S::localActive, &C::multiRename},
    {"comparePanels", "Beide Verzeichnisse vergleichen", M::tools, 10, none(), nullptr, nullptr, 0, nullptr, S::localBoth, &C::comparePanels},
    {"compareSelectedFiles", "Ausgewählte Dateien vergleichen", M::tools, 11, none(), nullptr, nullptr, 0, nullptr, S::localBoth, &C::compareSelectedFiles},
    {"previewSynchronization", "Synchronisierungsvorschau …", M::tools, 12, none(), nullptr, nullptr, 0, nullptr, S::localBoth, &C::previewSynchronization},
    {"showRemoteConnections", "Remote-Verbindungen (FTP/FTPS/SFTP) …", M::tools, 20, none(), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::showRemoteConnections},
    {"showDiagnostics", "Diagnose …", M::tools, 21, none(), nullptr, nullptr, 0, nullptr, S::anyPanel, &C::showDiagnostics},
    {"checkActiveFolderAccess", "Zugriff auf aktiven Ordner prüfen …", M::tools, 22, none(), nullptr, nullptr, 0, nullptr, S::localActive, &C::checkActiveFolderAccess},
};

bool isLetter(Qt::Key key)
{
    return key >= Qt::Key_A && key <= Qt::Key_Z;
}

} // namespace

bool Key::matches(const QKeyEvent& event) const
{
    const Qt::KeyboardModifiers held = event.modifiers() & chordModifiers;
    const auto key = Qt::Key(event.key());
    switch (match) {
    case KeyMatch::none:
        return false;
    case KeyMatch::anyModifiers:
        return key == chord.key();
    case KeyMatch::blank:
        return event.text() == QLatin1String(" ");
    case KeyMatch::exact: {
        if (key != chord.key())
            return false;
        // Symbols such as "+" are typed with Shift on many layouts; for letters Shift makes another character.
        const Qt::KeyboardModifiers relevant = isLetter(key) || key == Qt::Key_Tab ? chordModifiers
                                                                                   : chordModifiers & ~Qt::ShiftModifier;
        return (held & relevant) == (chord.keyboardModifiers() & relevant);
    }
    case KeyMatch::control: {
        // Shift+Tab arrives as Backtab.
        const bool backtab = key == Qt::Key_Backtab && chord.key() == Qt::Key_Tab;
        if (key != chord.key() && !backtab)
            return false;
#ifdef Q_OS_MACOS
        const bool controlHeld = held.testFlag(Qt::MetaModifier);
#else
        const bool controlHeld = held.testFlag(Qt::MetaModifier) || held.testFlag(Qt::ControlModifier);
#endif
        const bool shiftWanted = chord.keyboardModifiers().testFlag(Qt::ShiftModifier);
        return controlHeld && (held.testFlag(Qt::ShiftModifier) || backtab) == shiftWanted
            && !held.testFlag(Qt::AltModifier);
    }
    }
    return false;
}

std::span<const Row> rows()
{
    return table;
}

const Row* find(const char* id)
{
    for (const Row& row : table)
        if (qstrcmp(row.id, id) == 0)
            return &row;
    return nullptr;
}

const Row* forShortcut(const QString& shortcutId)
{
    for (const Row& row : table)
        if (row.shortcutId && shortcutId == QLatin1String(row.shortcutId))
            return &row;
    return nullptr;
}

const Row* forKey(const QKeyEvent& event)
{
    for (const Row& row : table)
        if (row.key.matches(event))
            return &row;
    return nullptr;
}

QList<const Row*> menuRows(Menu menu)
{
    QList<const Row*> result;
    for (const Row& row : table)
        if (row.title && row.menu == menu)
            result.append(&row);
    std::sort(result.begin(), result.end(), [](const Row* a, const Row* b) { return a->menuOrder < b->menuOrder; });
    return result;
}

QList<const Row*> contextRows()
{
    QList<const Row*> result;
    for (const Row& row : table)
        if (row.contextTitle)
            result.append(&row);
    std::sort(result.begin(), result.end(), [](const Row* a, const Row* b) { return a->contextOrder < b->contextOrder; });
    return result;
}

QString keyHint(const Key& key)
{
    QKeyCombination chord = key.chord;
    switch (key.match) {
    case KeyMatch::none:
    case KeyMatch::blank:
        return {};
    case KeyMatch::anyModifiers:
    case KeyMatch::exact:
        break;
    case KeyMatch::control:
#ifndef Q_OS_MACOS
        // Ctrl is the key that works here; Super belongs to the desktop.
        chord = QKeyCombination((chord.keyboardModifiers() & ~Qt::MetaModifier) | Qt::ControlModifier, chord.key());
#endif
        break;
    }
    return PlatformTexts::keyChord(chord);
}

} // namespace CommandTable
