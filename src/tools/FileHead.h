#pragma once

#include "core/CancellationToken.h"
#include "core/FileUrl.h"

#include <QByteArray>

// The first bytes of one local file, as the viewer and the text compare show them.
struct FileHead {
    QByteArray bytes; // at most the limit asked for
    qint64 size = 0;  // the file's size when it was opened
};

// Reads at most `limit` bytes from the start of the local file a path names (a
// link is followed). Only regular files are read: pipes, sockets and devices
// are refused before they are opened, so the reader never waits for a writer.
// Throws SystemError (a folder: EISDIR), NotRegularFileError (also for a
// remote entry) or CancellationError.
FileHead readFileHead(const FileUrl& url, qint64 limit, const CancellationToken& token = {});
