#pragma once

#include "preferences/KeyChord.h"
#include "preferences/Shortcuts.h"

#include <QMap>
#include <QWidget>
#include <functional>

class Interaction;
class PreferencesStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QTableView;
class ShortcutTableModel;
class ColorButton;

// "Brenvik-Einstellungen": hidden files, the two colours, the terminal program,
// the keyboard preset and the additional shortcuts. Edits stay in the window
// until "Sichern"; only "Standardfarben wiederherstellen" writes at once.
class PreferencesWindowController : public QWidget {
    Q_OBJECT

public:
    PreferencesWindowController(PreferencesStore& store, Interaction& interaction, QWidget* parent = nullptr);
    ~PreferencesWindowController() override;

    // Called after a successful save, before the window closes.
    std::function<void()> onChange;
    // Asks for one key press for the shortcut of `displayName` showing its
    // current chord; a dialog by default, replaced by tests.
    std::function<KeyChord::Capture(const QString& displayName, const QString& currentChord)> captureKey;

    void presetChanged();
    void resetDisplayColors();
    void editShortcut(int row);
    // Refused with a beep while custom chords conflict.
    void save();
    void cancel();

    QComboBox* presetPopUp() const { return m_preset; }
    QComboBox* terminalPopUp() const { return m_terminal; }
    QCheckBox* hiddenFilesCheckBox() const { return m_showHidden; }
    QTableView* shortcutTable() const { return m_table; }
    QLabel* conflictLine() const { return m_warning; }
    ColorButton* folderColorWell() const { return m_folderColor; }
    ColorButton* fileColorWell() const { return m_fileColor; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildDisplaySection();
    QWidget* buildProgramsSection();
    QWidget* buildKeyboardSection();
    void load();
    void updateShortcuts();

    PreferencesStore& m_store;
    Interaction& m_interaction;
    QMap<QString, QString> m_custom;
    QList<Shortcuts::ShortcutDefinition> m_shortcuts;
    QComboBox* m_preset = nullptr;
    QComboBox* m_terminal = nullptr;
    QTableView* m_table = nullptr;
    ShortcutTableModel* m_model = nullptr;
    QLabel* m_warning = nullptr;
    ColorButton* m_folderColor = nullptr;
    ColorButton* m_fileColor = nullptr;
    QCheckBox* m_showHidden = nullptr;
};
