#pragma once

#include "archive/ArchiveListing.h"

#include <QString>

// Refuses an archive before anything is unpacked when one of the entry names in
// its listing (one name per line) could land outside the destination folder:
// an absolute name, a name starting with "~", or a ".." component ("\" counts as
// a separator). Throws ArchiveError::maliciousPath naming the first such entry.
namespace ArchiveListingCheck {

// unzip -Z1 listings: the prefix test looks at the name as listed.
void checkZipListing(const QString& listing);
// tar -tf listings: the prefix test looks at the name with "\" turned into "/".
void checkTarListing(const QString& listing);

// The tool's bytes: names that are not UTF-8 are checked too (their invalid
// bytes read as U+FFFD, which never hides a "/", "\", "." or "~").
void checkZipListing(const QByteArray& listing);

// Every name of a verbose tar listing, and every hard link's target, as above;
// then the types: only files, folders and links pass, anything else (devices,
// FIFOs, unknown kinds) throws ArchiveError::specialEntry.
void checkTarEntries(const QList<ArchiveEntry>& entries);
// Only files, folders and symbolic links pass.
void checkZipEntryTypes(const QList<ArchiveEntry>& entries);

} // namespace ArchiveListingCheck
