#pragma once

#include "core/FileUrl.h"

#include <functional>

// Downloads through a ".brvk-" file next to `localFile` and moves it into
// place only when `transfer` has written it completely, so a failed transfer
// leaves an existing file as it was. `transfer` writes to the path it is given.
void downloadThroughPartialFile(const FileUrl& localFile, const std::function<void(const FileUrl& partial)>& transfer);

// A fresh ".brvk-" name next to `localFile`.
FileUrl partialFileFor(const FileUrl& localFile);
// The size of a file so far, for a transfer's progress; -1 while there is none.
qint64 currentFileSize(const FileUrl& file);

// Moves a completely written ".brvk-" file over `localFile`; when that fails the
// partial file goes and SystemError names `localFile`.
void movePartialIntoPlace(const FileUrl& partial, const FileUrl& localFile);
