#pragma once

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

} // namespace ArchiveListingCheck
