#pragma once

#include "core/BrenvikError.h"
#include "core/FileUrl.h"

#include <QByteArrayList>
#include <QList>
#include <QString>

// A terminal could not be opened: none to be found, a folder that cannot be
// handed over, or a program that would not start.
class TerminalError : public BrenvikError {
public:
    explicit TerminalError(QString description);
};

namespace Terminal {

// The terminal emulators a desktop may have, the Debian alternative first.
const QByteArrayList& knownEmulators();

// A terminal program the preferences offer: its title and the path stored for it.
struct Choice {
    QString title;
    QString path;
};
// On macOS the three applications; elsewhere the installed emulators of
// `emulators` (the Debian alternative first), or the default path alone when
// none is installed (opening then reports that no terminal was found).
QList<Choice> choices(const QByteArrayList& emulators = knownEmulators());

// Opens a terminal in `folder`, detached from this program. On macOS the
// configured application opens the folder. Elsewhere the configured path runs
// when it is an executable file; otherwise the first executable of `emulators`.
// Programs are started by absolute path, never through a shell. Throws TerminalError.
void openFolder(const FileUrl& folder, const QString& configuredPath,
                const QByteArrayList& emulators = knownEmulators());

} // namespace Terminal
