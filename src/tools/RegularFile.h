#pragma once

#include "core/BrenvikError.h"
#include "platform/UniqueFd.h"

#include <QByteArray>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

// Opens files whose contents the tools read, and only those that are regular
// files: a FIFO, a device or a socket is never read, and opening one never
// blocks (the open itself does not wait for a writer). A link counts by its
// target when that target is a regular file.
namespace RegularFile {

struct Opened {
    UniqueFd fd;
    struct stat status {};
};

// `name` relative to the folder `folderFd` (AT_FDCWD for a full path). Throws
// SystemError naming `reportedPath` when it cannot be opened; nothing when it is
// no regular file. Reading is announced as sequential.
std::optional<Opened> open(int folderFd, const char* name, const QByteArray& reportedPath);

} // namespace RegularFile

// A tool was asked to read something that is no regular file.
class NotRegularFileError : public BrenvikError {
public:
    explicit NotRegularFileError(const QByteArray& nativePath);
};
