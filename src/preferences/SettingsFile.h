#pragma once

#include <QSettings>

// The one per-user settings file (INI) that holds every "Brenvik." key. Lives on
// the GUI thread. Its location follows XDG_CONFIG_HOME, so tests that set a
// private HOME/XDG_CONFIG_HOME get a private file.
QSettings& brenvikSettings();
