#pragma once

#include <QByteArrayView>
#include <QString>

// Writes all of `bytes` to `fd`, going on after interrupted and short writes.
// False with errno set when the system refuses (a write of nothing counts as EIO).
bool writeAll(int fd, QByteArrayView bytes);

// Puts a file holding `bytes` at `path`: written to a ".brvk-" temporary file
// beside it, flushed to the disk and renamed over it, so an existing file is
// replaced whole or left exactly as it was, and a link at `path` is replaced,
// never written through. A replaced file's permission bits carry over; a new
// file gets those the creation mask allows. Throws SystemError naming `path`.
void writeFileAtomically(const QString& path, QByteArrayView bytes);

// The process's file mode creation mask, read without changing it (setting it
// is the only other way to learn it, and other threads would see that); -1 when unknown.
int creationMask();
