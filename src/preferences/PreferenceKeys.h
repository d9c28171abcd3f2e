#pragma once

#include <QString>

// Every persisted setting lives under a "Brenvik." key in the one settings file
// (brenvikSettings()). Subsystems that own a key read and write it through their
// own store; the names are kept together here so that none is spelled twice.
namespace PreferenceKeys {

inline constexpr char showHiddenFiles[] = "Brenvik.ShowHiddenFiles";
inline constexpr char folderColor[] = "Brenvik.FolderColor";
inline constexpr char fileColor[] = "Brenvik.FileColor";
inline constexpr char keyboardPreset[] = "Brenvik.KeyboardPreset";
inline constexpr char terminalPath[] = "Brenvik.TerminalPath";
inline constexpr char customShortcuts[] = "Brenvik.CustomShortcuts";
inline constexpr char favorites[] = "Brenvik.Favorites";
inline constexpr char remoteProfiles[] = "Brenvik.RemoteProfiles";
inline constexpr char mainWindow[] = "Brenvik.MainWindow";

// "Brenvik." + persistence key ("Left", "Right") + "." + name ("Tabs", "SelectedTab", "ShowHidden").
inline QString panelKey(const QString& persistenceKey, const char* name)
{
    return QStringLiteral("Brenvik.") + persistenceKey + QLatin1Char('.') + QLatin1String(name);
}

} // namespace PreferenceKeys
