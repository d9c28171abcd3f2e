#pragma once

#include "core/CancellationToken.h"
#include "core/FileItem.h"

#include <QList>
#include <QString>

// Stateless local file-system functions. Reentrant; callers run the walking ones
// off the GUI thread and pass a token they own to stop them.
namespace FileSystemCore {

// The folder's entries (never ".", ".."), folders first, then names in natural
// order. Throws SystemError when the folder or an entry cannot be read,
// CancellationError when the token fires. An entry that vanishes between the
// directory read and its lstat is left out: it no longer exists.
QList<FileItem> contents(const FileUrl& folder, bool showHidden, const CancellationToken& token = {});

// Allocated size of all regular files below the folder; links are never followed,
// unreadable subfolders are skipped (the result is then a lower bound).
qint64 directorySize(const FileUrl& folder, const CancellationToken& token = {});

// A name in `folder` that nothing (not even a dangling link) occupies: the
// source's own name, or the first free "base n.ext" for n = 2, 3, … (see
// numberedName); names that would not fit the folder's file system (255 bytes)
// lose the end of their base, never their number or extension. Bounded: throws
// SystemError with the system's message when a candidate cannot be looked at
// (EACCES, ENOTDIR, …) or after 10,000 taken names. Every caller handles that
// as the failure of its entry.
FileUrl uniqueDestination(const FileUrl& source, const FileUrl& folder);

// Every temporary entry the program makes among the user's own starts with this:
// hidden, and recognisably ours should one ever be left behind.
inline constexpr char temporaryPrefix[] = ".brvk-";

// A temporary name (temporaryPrefix and a random UUID) that no other entry has by chance.
QString temporaryName();

// Whether the name matches one of the wildcard masks (see MaskList).
bool matches(const QString& name, const QString& masks);

// Stable in place: folders first, then names in natural order.
void sortInListingOrder(QList<FileItem>& items);

// Stable in place by a panel column ("name", "size", "modified", "ext", "kind",
// "permissions"; anything else means "name"). Folders stay first either way.
void sortByColumn(QList<FileItem>& items, const QString& key, bool ascending);

} // namespace FileSystemCore
