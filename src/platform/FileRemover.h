#pragma once

#include "core/FileUrl.h"
#include "platform/EntryIdentity.h"

#include <QByteArray>

// Removes entries, folders with everything in them. Links are removed, never
// followed; an entry that is already gone counts as removed. The walk holds a
// bounded number of descriptors however deep the tree (see FolderChain), goes
// on past entries it cannot remove, and throws SystemError for the first of
// them at the end.
namespace FileRemover {

enum class Owner {
    user,  // folders stay as they are: a read-only one keeps what is in it
    ourCopy // the program's own, half-made copy: read-only folders in it are
            // opened up first, so that nothing it made can stay behind
};

void remove(const FileUrl& url, Owner owner = Owner::user);

// The entry `name` of the open folder `folderFd`; `path` is its full path for errors.
void removeAt(int folderFd, const QByteArray& name, const QByteArray& path, Owner owner = Owner::user);

// Removes from the tree at `url` only the entries in `copied` that still look
// as they did when they were copied, and folders once they are empty. Returns
// false when entries stay because they are not (or no longer) what was copied.
bool removeCopied(const FileUrl& url, const CopiedEntries& copied);

} // namespace FileRemover
