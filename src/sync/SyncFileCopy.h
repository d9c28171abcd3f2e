#pragma once

#include <QByteArray>
#include <sys/stat.h>

class CancellationToken;

// The one place where the synchronisation copies file data.
namespace SyncFileCopy {

// Makes the new file `name` in the folder `targetDir` a copy of the regular file
// open at `source`, whose status is `st`: its data, permission bits (set-ID bits
// dropped) and access and modification times to the nanosecond. Checks `token`
// between blocks of data. Throws SystemError naming `shownSource` or
// `shownTarget`, or CancellationError; a file it created stays for the caller
// to remove.
void copyRegularFile(int source, const struct stat& st, int targetDir, const char* name,
                     const CancellationToken& token, const QByteArray& shownSource, const QByteArray& shownTarget);

} // namespace SyncFileCopy
