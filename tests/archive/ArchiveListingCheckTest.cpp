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
        EXPECT_TRUE(error.description().endsWith(error.payload()));
        return error.payload();
    }
    return std::nullopt;
}

// The hostile corpus shows the plain escapes; here the edges of the rules.
TEST(ArchiveListingCheck, RefusesEntriesThatLeaveTheDestinationAndOnlyThose)
{
    for (auto check : {&ArchiveListingCheck::checkZipListing, &ArchiveListingCheck::checkTarListing}) {
        EXPECT_EQ(refusedEntry(check, "gut/datei.txt\na/b/..\n"), QStringLiteral("a/b/.."));
        EXPECT_EQ(refusedEntry(check, "ok\r\n..\r\n"), QStringLiteral(".."));
        // Every line break a tool may print separates entries.
        EXPECT_EQ(refusedEntry(check, QStringLiteral("ok\u2028../x")), QStringLiteral("../x"));
        EXPECT_EQ(refusedEntry(check, "ordner/datei.txt\n\n..foo\na..b\nx/...\n./a\n"), std::nullopt);
        EXPECT_EQ(refusedEntry(check, ""), std::nullopt);
    }
    EXPECT_EQ(refusedEntry(&ArchiveListingCheck::checkZipListing, "a\\..\\b"), QStringLiteral("a\\..\\b"));
    // The TAR check reports the entry with slashes, and only it reads "\" as a leading slash.
    EXPECT_EQ(refusedEntry(&ArchiveListingCheck::checkTarListing, "a\\..\\b"), QStringLiteral("a/../b"));
    EXPECT_EQ(refusedEntry(&ArchiveListingCheck::checkTarListing, "\\etc\\passwd"), QStringLiteral("/etc/passwd"));
    EXPECT_EQ(refusedEntry(&ArchiveListingCheck::checkZipListing, "\\etc\\passwd"), std::nullopt);
}

TEST(ArchiveListing, TarVerboseLinesGiveTypeExactNameLinkAndSize)
{
    const QList<ArchiveEntry> entries = ArchiveListing::parseTarVerbose(
        "-rw-r--r-- 0/0       70000 2024-01-01 10:00 \"a b/\\303\\244 \\\"q\\\" \\\\ -> x\\n\\377\"\n"
        "lrwxrwxrwx 0/0           0 2024-01-01 10:00 \"l -> m\" -> \"../z\"\n"
        "hrw-r--r-- 0/0           0 2024-01-01 10:00 \"h\" link to \"/etc/passwd\"\n"
        "crw-r--r-- 0/0         1,3 2024-01-01 10:00 \"null\"\n");
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0].name, QByteArray("a b/\xc3\xa4 \"q\" \\ -> x\n\xff"));
    EXPECT_EQ(entries[1].name, QByteArray("l -> m"));
    EXPECT_EQ(entries[1].linkTarget, QByteArray("../z"));
    EXPECT_EQ(entries[2].linkTarget, QByteArray("/etc/passwd"));
    EXPECT_EQ(QByteArray() + entries[0].type + entries[1].type + entries[2].type + entries[3].type, "-lhc");
    EXPECT_EQ(ArchiveListing::unpackedSize(entries), 70000);
    // A line that cannot be read stops everything.
    for (const char* broken : {"-rw-r--r-- 0/0 1 2024-01-01 10:00 \"offen\n",
                               "-rw-r--r-- 0/0 1 2024-01-01 10:00 \"a\" --Volume Header--\n"})
        EXPECT_THROW(ArchiveListing::parseTarVerbose(broken), ArchiveError) << broken;
}

TEST(ArchiveListingCheck, EntriesAreCheckedByNameLinkTargetAndType)
{
    const auto refusal = [](const QList<ArchiveEntry>& entries) -> std::optional<ArchiveError::Case> {
        try {
            ArchiveListingCheck::checkTarEntries(entries);
        } catch (const ArchiveError& error) {
            return error.errorCase();
        }
        return std::nullopt;
    };
    using Case = ArchiveError::Case;
    EXPECT_EQ(refusal({{'-', "a", {}, 0}, {'d', "b/", {}, 0}, {'l', "c", "/usr/lib", 0}, {'h', "d", "a", 0}}), std::nullopt);
    EXPECT_EQ(refusal({{'-', "\xff/../x", {}, 0}}), Case::maliciousPath);
    for (const char type : {'?', 'V'})
        EXPECT_EQ(refusal({{'-', "a", {}, 0}, {type, "dev", {}, 0}}), Case::specialEntry);
}

} // namespace
