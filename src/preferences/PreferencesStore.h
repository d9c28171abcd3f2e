#pragma once

#include "preferences/PanelPreferences.h"
#include "preferences/Shortcuts.h"

#include <QByteArray>
#include <QMap>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <Qt>
#include <optional>

// The persisted settings the preferences window edits, plus the small readers
// other subsystems share (favourites, panel keys). GUI thread only. It keeps no
// cache: every read asks the settings, and a missing or mistyped value reads as
// the key's default.
class PreferencesStore {
public:
    explicit PreferencesStore(QSettings& settings);

    // The store over the application's settings file, created on first use.
    static PreferencesStore& shared();

    static constexpr char defaultTerminalPath[] = "/System/Applications/Utilities/Terminal.app";

    KeyboardPreset preset() const;
    QString terminalPath() const; // an empty stored path counts as absent
    void save(KeyboardPreset preset, const QString& terminalPath);

    // The default for hidden files in both panels; absent reads as false.
    bool showHiddenFiles() const;
    void saveShowHiddenFiles(bool show);

    // The two colours as encoded data; the window layer encodes and decodes them.
    enum class ColorKey { folder, file };
    std::optional<QByteArray> colorData(ColorKey key) const;
    void saveColorData(ColorKey key, const QByteArray& data);
    void removeColors();

    // Command identifier → chord text; entries with an empty chord are kept.
    QMap<QString, QString> customShortcuts() const;
    void saveCustomShortcuts(const QMap<QString, QString>& shortcuts);
    // The custom command bound to a key press, if any (see Shortcuts::commandForChord).
    // The caller runs it only when Shortcuts::isKnownCommand says so.
    std::optional<QString> command(int key, Qt::KeyboardModifiers modifiers) const;

    QStringList favorites() const;
    void saveFavorites(const QStringList& folders);

    PanelPreferences panel(const QString& persistenceKey) const;

private:
    QSettings& m_settings;
};
