#pragma once

#include "remote/RemoteEntry.h"

#include <QList>

// Reads the Unix "ls -l" style output of an FTP LIST command.
namespace FtpListing {

// No folder a person keeps has more; a server that sends more is broken or hostile.
constexpr qsizetype maximumBytes = 64 * 1024 * 1024;
constexpr qsizetype maximumEntries = 1'000'000;

// Entries of the listing in the server's order. Lines that are not entries
// (the block total, "." and "..", other formats) are skipped. A link is listed
// as "name -> target": its name is what stands before the arrow.
QList<RemoteEntry> parseUnsorted(const QString& listing);
// The same, folders first, then names in natural order (stable).
QList<RemoteEntry> parse(const QString& listing);

// A names-only listing (NLST): one entry per line, "." and ".." left out, in the
// server's order; nothing is known about the entries beyond their names.
QList<RemoteEntry> parseNamesOnly(const QString& listing);

// Folders before files, names in natural order; equal names keep their order.
void sortEntries(QList<RemoteEntry>& entries);

} // namespace FtpListing
