#pragma once

#include "core/BrenvikError.h"
#include "core/FileUrl.h"

#include <QByteArrayList>
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

// Opens a terminal in `folder`, detached from this program. On macOS the
// configured application opens the folder. Elsewhere the configured path runs
// when it is an executable file; otherwise the first executable of `emulators`.
// Programs are started by absolute path, never through a shell. Throws TerminalError.
void openFolder(const FileUrl& folder, const QString& configuredPath,
                const QByteArrayList& emulators = knownEmulators());

} // namespace Terminal
