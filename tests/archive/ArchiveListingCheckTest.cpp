#include "archive/ArchiveError.h"
#include "archive/ArchiveListingCheck.h"

#include <gtest/gtest.h>

namespace {

// The refused entry as the check names it, or nothing when the listing passes.
std::optional<QString> refusedEntry(void (*check)(const QString&), const QString& listing)
{
    try {
        check(listing);
    } catch (const ArchiveError& error) {
        EXPECT_EQ(error.errorCase(), ArchiveError::Case::maliciousPath);
        EXPECT_EQ(error.description(),
                  QStringLiteral("Das Archiv enthält einen unsicheren Pfad und wurde nicht entpackt: ") + error.payload());
        return error.payload();
    }
    return std::nullopt;
}

TEST(ArchiveListingCheck, RefusesEntriesThatLeaveTheDestination)
{
    for (auto check : {&ArchiveListingCheck::checkZipListing, &ArchiveListingCheck::checkTarListing}) {
        EXPECT_EQ(refusedEntry(check, "gut/datei.txt\n../ausbruch.txt\n"), QStringLiteral("../ausbruch.txt"));
        EXPECT_EQ(refusedEntry(check, "/etc/passwd\n"), QStringLiteral("/etc/passwd"));
        EXPECT_EQ(refusedEntry(check, "~/.ssh/authorized_keys"), QStringLiteral("~/.ssh/authorized_keys"));
        EXPECT_EQ(refusedEntry(check, "a/b/..\n"), QStringLiteral("a/b/.."));
        EXPECT_EQ(refusedEntry(check, "ok\r\n..\r\n"), QStringLiteral(".."));
        // Every line break a tool may print separates entries.
        EXPECT_EQ(refusedEntry(check, QStringLiteral("ok\u2028../x")), QStringLiteral("../x"));
        EXPECT_EQ(refusedEntry(check, "ordner/datei.txt\n\n"), std::nullopt);
        EXPECT_EQ(refusedEntry(check, "..foo\na..b\nx/...\n./a\n"), std::nullopt);
        EXPECT_EQ(refusedEntry(check, ""), std::nullopt);
    }
}

TEST(ArchiveListingCheck, BackslashesCountAsSeparators)
{
    EXPECT_EQ(refusedEntry(&ArchiveListingCheck::checkZipListing, "a\\..\\b"), QStringLiteral("a\\..\\b"));
    // The TAR check reports the entry with slashes.
    EXPECT_EQ(refusedEntry(&ArchiveListingCheck::checkTarListing, "a\\..\\b"), QStringLiteral("a/../b"));
    // Only the TAR check looks at the replaced text for a leading slash.
    EXPECT_EQ(refusedEntry(&ArchiveListingCheck::checkTarListing, "\\etc\\passwd"), QStringLiteral("/etc/passwd"));
    EXPECT_EQ(refusedEntry(&ArchiveListingCheck::checkZipListing, "\\etc\\passwd"), std::nullopt);
}

TEST(ArchiveError, Descriptions)
{
    EXPECT_EQ(ArchiveError::toolFailed(QString()).description(), QStringLiteral("Das Archivwerkzeug meldet einen Fehler: "));
    EXPECT_EQ(ArchiveError::unsupported().description(),
              QStringLiteral("Dieses Archivformat wird in dieser Ausbaustufe noch nicht unterstützt."));
    EXPECT_EQ(ArchiveError::unsupported().typeName(), QStringLiteral("ArchiveError"));
}

} // namespace
