#pragma once

#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "core/FileUrl.h"

#include <QByteArray>

// The first bytes of one local file, as the viewer and the text compare show them.
struct FileHead {
    QByteArray bytes; // at most the limit asked for
    qint64 size = 0;  // the file's size when it was opened
};

// Reads at most `limit` bytes from the start of the file a path names (a link
// is followed). Only regular files are read: pipes, sockets and devices are
// refused before they are opened, so the reader never waits for a writer.
// Throws SystemError (a folder: EISDIR), FileReadError or CancellationError.
FileHead readFileHead(const FileUrl& url, qint64 limit, const CancellationToken& token = {});

// Refusals of the file readers that are no failed system call.
class FileReadError : public BrenvikError {
public:
    static FileReadError notRegular(const FileUrl& url);
    static FileReadError notLocal(const FileUrl& url);

private:
    explicit FileReadError(QString description);
};
