#pragma once

#include "core/FileUrl.h"

#include <QLocale>
#include <QString>
#include <QStringList>

// What the file system knows about one local entry, as the information window
// shows it. Nothing here follows a final symbolic link: a link is described
// by its own attributes.
namespace FileDetails {

// The names of the entry's own extended attributes, empty pieces dropped.
// Throws SystemError when they cannot be listed.
QStringList listExtendedAttributes(const FileUrl& url);

// Path, type, size, dates, permission bits, owner, group, the stored link
// target (links only) and the extended attributes, one labelled line each;
// whatever cannot be read shows as "—".
QString details(const FileUrl& url, const QLocale& locale = QLocale());

// Whether the entry itself (not a link's target) is a folder.
bool isFolder(const FileUrl& url);

} // namespace FileDetails
