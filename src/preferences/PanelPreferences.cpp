#include "preferences/PanelPreferences.h"

#include "preferences/PreferenceKeys.h"
#include "preferences/SettingsValue.h"

#include <algorithm>

PanelPreferences::PanelPreferences(QSettings& settings, QString persistenceKey)
    : m_settings(settings), m_persistenceKey(std::move(persistenceKey))
{
}

PanelPreferences::SavedTabs PanelPreferences::tabs() const
{
    SavedTabs result;
    const QVariant stored = m_settings.value(PreferenceKeys::panelKey(m_persistenceKey, "Tabs"));
    for (const QString& path : SettingsValue::textList(stored).value_or(QStringList()))
        if (path.startsWith(QLatin1Char('/')))
            result.paths.append(path);
    if (result.paths.isEmpty())
        return result;
    const QVariant selected = m_settings.value(PreferenceKeys::panelKey(m_persistenceKey, "SelectedTab"));
    const qint64 index = SettingsValue::integer(selected).value_or(0);
    result.selectedIndex = int(std::clamp<qint64>(index, 0, result.paths.size() - 1));
    return result;
}

void PanelPreferences::saveTabs(const QStringList& paths, int selectedIndex)
{
    m_settings.setValue(PreferenceKeys::panelKey(m_persistenceKey, "Tabs"), paths);
    m_settings.setValue(PreferenceKeys::panelKey(m_persistenceKey, "SelectedTab"), selectedIndex);
}

bool PanelPreferences::showHiddenAtStart() const
{
    if (const auto global = SettingsValue::boolean(m_settings.value(PreferenceKeys::showHiddenFiles)))
        return *global;
    const QVariant own = m_settings.value(PreferenceKeys::panelKey(m_persistenceKey, "ShowHidden"));
    return SettingsValue::boolean(own).value_or(false);
}

void PanelPreferences::saveShowHidden(bool show)
{
    m_settings.setValue(PreferenceKeys::panelKey(m_persistenceKey, "ShowHidden"), show);
}
