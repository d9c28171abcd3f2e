#include "remote/FtpListing.h"

#include <gtest/gtest.h>

namespace {

QStringList namesOf(const QList<RemoteEntry>& entries)
{
    QStringList names;
    for (const RemoteEntry& entry : entries)
        names.append(entry.name);
    return names;
}

TEST(FtpListing, ReadsUnixListingsWithNamesIntactAndSkipsWhatIsNoEntry)
{
    const QList<RemoteEntry> entries = FtpListing::parse(QStringLiteral(
        "total 12\r\n"
        "drwxr-xr-x 2 owner group 4096 Aug 12 08:00 .\r\n"
        "drwxr-xr-x 2 owner group 4096 Aug 12 08:00 ..\r\n"
        "-rw-r--r-- 1 owner group 34 Aug 12 08:01 test.txt\r\n"
        "drwxr-xr-x 2 owner group 4096 Aug 12 08:00 Ordner mit Leerzeichen\r\n"
        "lrwxrwxrwx 1 owner group 7 Jan  3  2023 link -> ../weit/weg\r\n"
        "lrwxrwxrwx 1 owner group 7 Jan  3  2023 .. -> /\r\n"
        "-rw-r--r--   1 owner   group   12 Aug 12 08:01  zwei  Leer\r\n"
        "-rw-r--r-- 1 o g 12K Aug 12 08:01 mit-einheit\n"
        "crw-r--r-- 1 o g 5 Aug 12 08:01 geraet\n"
        "08-12-24  08:01AM       <DIR>          windows-format\n"
        "-rw-r--r-- 1 o g 5 Aug 12 08:01 \n"
        "-rw-r--r-- 1 o g 99999999999999999999 Aug 12 08:01 riesig\n"
        "-rw-r--r-- 1 o g 1 Aug 12 08:01 file10\n-rw-r--r-- 1 o g 1 Aug 12 08:01 File2\n"
        "-rw-r--r-- 1 o g 1 Aug 12 08:01 file2\n"));
    ASSERT_EQ(entries.size(), 9);
    EXPECT_EQ(entries[0], (RemoteEntry{"Ordner mit Leerzeichen", true, 4096, "Aug 12 08:00"}));
    // Two blanks before the name: the name keeps one of them (and sorts first).
    EXPECT_EQ(entries[1], (RemoteEntry{" zwei  Leer", false, 12, "Aug 12 08:01"}));
    // Folders first, then natural order; equal names keep the server's order.
    EXPECT_EQ(namesOf(entries.mid(2)), (QStringList{"File2", "file2", "file10", "link", "mit-einheit", "riesig", "test.txt"}));
    // A link's target is no part of its name; it is neither a folder nor a plain file.
    EXPECT_EQ(entries[5], (RemoteEntry{"link", false, 7, "Jan 3 2023", true}));
    // Sizes that are no plain byte counts are unknown, not guessed.
    EXPECT_FALSE(entries[6].size.has_value());
    EXPECT_FALSE(entries[7].size.has_value());
}

} // namespace
