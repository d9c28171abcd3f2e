#pragma once

#include <QByteArray>

// The system's temporary directory as exact bytes: $TMPDIR when set and not
// empty, else /tmp. Unlike QDir::tempPath() it never turns a missing TMPDIR
// folder into an empty path (which would put temporary files into "/").
QByteArray temporaryDirectory();
