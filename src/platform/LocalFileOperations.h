#pragma once

#include "core/FileUrl.h"

// Copy, move and remove for local entries, built so that no failure loses data:
// a copy appears at its target whole or not at all (it is made under a ".brvk-"
// name next to the target and renamed into place), and an entry being replaced
// is swapped out only after its successor is complete. Folders are copied and
// moved with everything in them; links are copied as links.
namespace LocalFileOperations {

enum class AtTarget {
    mustBeFree, // an entry that exists at the target is an error (EEXIST), never touched
    replace     // an entry at the target gives way, but only once the new one is ready
};

// Throws SystemError or LocalFileError. Refused without touching anything: a
// folder into itself or one of its subfolders; with `replace`, a target that is
// the source itself (also through a link or a hard link) or that contains it.
void copyItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget);

// A rename where possible. Across file systems: a complete copy first (owner kept
// where allowed), the source is removed only after the copy is in place, and a
// source whose folder forbids removing it is refused before anything is copied.
void moveItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget);

// Removes the entry, a folder with all its contents. Throws SystemError.
void removeItem(const FileUrl& url);

} // namespace LocalFileOperations
