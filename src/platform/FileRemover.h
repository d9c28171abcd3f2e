#pragma once

#include "core/FileUrl.h"

#include <QByteArray>

// Removes entries, folders with everything in them. Links are removed, never
// followed; an entry that is already gone counts as removed.
namespace FileRemover {

// Throws SystemError naming the entry that could not be removed.
void remove(const FileUrl& url);

// The entry `name` of the open folder `folderFd`; `path` is its full path for errors.
void removeAt(int folderFd, const QByteArray& name, const QByteArray& path);

} // namespace FileRemover
