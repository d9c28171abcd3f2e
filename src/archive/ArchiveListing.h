#pragma once

#include <QByteArray>
#include <QList>

// One entry of an archive as the archive tools list it.
struct ArchiveEntry {
    // The first letter of the tool's mode column: '-' file, 'd' folder, 'l'
    // symbolic link, 'h' hard link; 'c', 'b', 'p' and others are special entries.
    char type = '-';
    QByteArray name;       // tar: the exact stored bytes; zip: not read from this listing
    QByteArray linkTarget; // tar links
    qint64 size = 0;       // unpacked bytes
};

// Readers of the tools' verbose listings. Each throws ArchiveError::unsupported
// for a line it cannot read: an archive is only ever unpacked when every one
// of its entries was understood.
namespace ArchiveListing {

// `tar --quoting-style=c --numeric-owner -tv` in the C locale: every name and
// link target is a quoted C string, so each entry is exactly one line and its
// bytes come back unchanged, line breaks and non-UTF-8 bytes included.
QList<ArchiveEntry> parseTarVerbose(const QByteArray& listing);

// `unzip -Z -s ARCHIVE '*'`: one line per entry (unzip shows control characters
// in names as "^X"), the mode first, the unpacked size fourth.
QList<ArchiveEntry> parseZipShort(const QByteArray& listing);

// The sum of the entries' sizes; never overflows.
qint64 unpackedSize(const QList<ArchiveEntry>& entries);

} // namespace ArchiveListing
