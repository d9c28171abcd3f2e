#pragma once

#include <QByteArray>

// Whether the desktop has an application for a file: its content type is
// looked up, then the desktop's default for that type (xdg-mime). Runs a short
// child process: call it off the GUI thread.
namespace DefaultApplication {

// True when a default application is configured, and also when the desktop
// cannot be asked (the opening itself then tells).
bool existsFor(const QByteArray& path, const QByteArray& xdgMime = "/usr/bin/xdg-mime");

} // namespace DefaultApplication
