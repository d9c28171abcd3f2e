#pragma once

#include "core/FileUrl.h"

// The trash of the freedesktop.org desktops: each trash folder holds the entries
// in "files/" and one "info/<name>.trashinfo" per entry with its former place
// (percent-encoded bytes, so any name survives) and the time of deletion.
namespace Trash {

// Moves the entry into the trash of its own file system and returns its new place:
// the home trash ($XDG_DATA_HOME/Trash) for entries on that file system, otherwise
// "$topdir/.Trash/$uid" when the volume's administrator prepared it, or
// "$topdir/.Trash-$uid". Never copies across file systems: where no trash can be
// had, it refuses with LocalFileError and leaves the entry alone. Throws
// SystemError when the entry cannot be moved.
FileUrl moveToTrash(const FileUrl& url);

// Moves a trashed entry back to `location` and drops its trash info. Never
// replaces anything: an entry at `location` ends it with EEXIST.
void restore(const FileUrl& trashed, const FileUrl& location);

} // namespace Trash
