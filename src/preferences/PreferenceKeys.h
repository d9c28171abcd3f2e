#pragma once

#include <QString>

// The "Brenvik." keys of the settings file (brenvikSettings()) that the
// preferences stores read and write. Keys owned elsewhere ("Brenvik.RemoteProfiles",
// "Brenvik.MainWindow") are spelled by their owners.
namespace PreferenceKeys {

inline constexpr char showHiddenFiles[] = "Brenvik.ShowHiddenFiles";
inline constexpr char folderColor[] = "Brenvik.FolderColor";
inline constexpr char fileColor[] = "Brenvik.FileColor";
inline constexpr char keyboardPreset[] = "Brenvik.KeyboardPreset";
inline constexpr char terminalPath[] = "Brenvik.TerminalPath";
inline constexpr char customShortcuts[] = "Brenvik.CustomShortcuts";
inline constexpr char favorites[] = "Brenvik.Favorites";

// "Brenvik." + persistence key ("Left", "Right") + "." + name ("Tabs", "SelectedTab", "ShowHidden").
inline QString panelKey(const QString& persistenceKey, const char* name)
{
    return QStringLiteral("Brenvik.") + persistenceKey + QLatin1Char('.') + QLatin1String(name);
}

} // namespace PreferenceKeys
