#include "preferences/PreferencesStore.h"

#include "preferences/KeyChord.h"
#include "preferences/PreferenceKeys.h"
#include "preferences/SettingsFile.h"
#include "preferences/SettingsValue.h"

#include <QVariantMap>

namespace {

const char* colorKeyName(PreferencesStore::ColorKey key)
{
    return key == PreferencesStore::ColorKey::folder ? PreferenceKeys::folderColor : PreferenceKeys::fileColor;
}

} // namespace

PreferencesStore::PreferencesStore(QSettings& settings) : m_settings(settings) {}

PreferencesStore& PreferencesStore::shared()
{
    static PreferencesStore store(brenvikSettings());
    return store;
}

KeyboardPreset PreferencesStore::preset() const
{
    const auto text = SettingsValue::text(m_settings.value(PreferenceKeys::keyboardPreset));
    return Shortcuts::presetFromRawText(text.value_or(QString()));
}

QString PreferencesStore::terminalPath() const
{
    const QString path = SettingsValue::text(m_settings.value(PreferenceKeys::terminalPath)).value_or(QString());
    return path.isEmpty() ? QString::fromUtf8(defaultTerminalPath) : path;
}

void PreferencesStore::save(KeyboardPreset preset, const QString& terminalPath)
{
    m_settings.setValue(PreferenceKeys::keyboardPreset, Shortcuts::rawText(preset));
    m_settings.setValue(PreferenceKeys::terminalPath, terminalPath);
}

bool PreferencesStore::showHiddenFiles() const
{
    return SettingsValue::boolean(m_settings.value(PreferenceKeys::showHiddenFiles)).value_or(false);
}

void PreferencesStore::saveShowHiddenFiles(bool show)
{
    m_settings.setValue(PreferenceKeys::showHiddenFiles, show);
}

std::optional<QByteArray> PreferencesStore::colorData(ColorKey key) const
{
    return SettingsValue::data(m_settings.value(colorKeyName(key)));
}

void PreferencesStore::saveColorData(ColorKey key, const QByteArray& data)
{
    m_settings.setValue(colorKeyName(key), data);
}

void PreferencesStore::removeColors()
{
    m_settings.remove(PreferenceKeys::folderColor);
    m_settings.remove(PreferenceKeys::fileColor);
}

QMap<QString, QString> PreferencesStore::customShortcuts() const
{
    return SettingsValue::textMap(m_settings.value(PreferenceKeys::customShortcuts)).value_or(QMap<QString, QString>());
}

void PreferencesStore::saveCustomShortcuts(const QMap<QString, QString>& shortcuts)
{
    QVariantMap stored;
    for (auto it = shortcuts.cbegin(); it != shortcuts.cend(); ++it)
        stored.insert(it.key(), it.value());
    m_settings.setValue(PreferenceKeys::customShortcuts, stored);
}

std::optional<QString> PreferencesStore::command(int key, Qt::KeyboardModifiers modifiers) const
{
    return Shortcuts::commandForChord(KeyChord::chord(key, modifiers), customShortcuts());
}

QStringList PreferencesStore::favorites() const
{
    return SettingsValue::textList(m_settings.value(PreferenceKeys::favorites)).value_or(QStringList());
}

void PreferencesStore::saveFavorites(const QStringList& folders)
{
    m_settings.setValue(PreferenceKeys::favorites, folders);
}

PanelPreferences PreferencesStore::panel(const QString& persistenceKey) const
{
    return PanelPreferences(m_settings, persistenceKey);
}
