#pragma once

#include <QString>

// The folder for the program's own log files: "Library/Logs/Brenvik" in the home
// folder on macOS; on Linux the XDG state folder's "Brenvik/Logs"
// ($XDG_STATE_HOME, else ~/.local/state). Only computed, never created here.
QString brenvikLogFolder();
