#pragma once

#include "core/FileUrl.h"

class FileCopier;

// Copy, move and remove for local entries, built so that no failure loses data:
// a copy appears at its target whole or not at all (it is made under a ".brvk-"
// name next to the target and renamed into place), and an entry being replaced
// is swapped out only after its successor is complete. Folders are copied and
// moved with everything in them; links are copied as links.
//
// Refused without touching anything (LocalFileError): a folder into itself or
// one of its subfolders (found by device and inode, so bind mounts do not fool
// it), and, with `replace`, a source that is the target itself or lies inside
// it — also when the source is a link to it or another name of it.
namespace LocalFileOperations {

enum class AtTarget {
    mustBeFree, // an entry that exists at the target is an error (EEXIST), never touched
    replace     // an entry at the target gives way, but only once the new one is ready
};

// The program's one safe copy, for every engine that writes a local entry (the
// file operation queue, the sync executor): FileCopier copies `source` — a file,
// link or whole folder, with holes, attributes, ACLs and hard links — to a
// ".brvk-" temporary name in the target's folder, then the copy is put at
// `target` in one rename (with `replace`, an atomic exchange; the old entry is
// removed afterwards). A cancelled copier (its token) stops within one block of
// data. On every failure and on cancellation the target is as it was and no
// temporary stays. Throws SystemError, LocalFileError or CancellationError.
// Give one FileCopier to all copies of one job: it keeps their hard links.
void copyItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget, FileCopier& copier);

// A rename where possible. Across file systems: a complete copy first (owner kept
// where allowed), put in place, and then exactly what was copied is removed from
// the source; entries that appeared or changed meanwhile stay there and the move
// ends with LocalFileError. A source whose folder forbids removing it is refused
// before anything is copied; a cancelled move keeps its source complete.
void moveItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget, FileCopier& copier);

// The same for a single entry, with a copier of its own that is never cancelled.
void copyItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget);
void moveItem(const FileUrl& source, const FileUrl& target, AtTarget atTarget);

// Removes the entry, a folder with all its contents. Throws SystemError.
void removeItem(const FileUrl& url);

} // namespace LocalFileOperations
