#include "ArchiveTestSupport.h"

#include "archive/ArchiveListingCheck.h"
#include "archive/ArchiveProvider.h"
#include "platform/ChildProcess.h"
#include "platform/FileRemover.h"
#include "support/TestEnvironment.h"

#include <QDir>

namespace {

using Case = ArchiveError::Case;
constexpr std::optional<Case> unpacked = std::nullopt;

// What the provider does with each archive of hostile_archives.py: refuse it
// (and with which error) or unpack it.
struct Expectation {
    const char* name;
    std::optional<Case> zip;
    std::optional<Case> tar;
};

const Expectation expectations[] = {
    {"dotdot", Case::maliciousPath, Case::maliciousPath},
    {"absolute", Case::maliciousPath, Case::maliciousPath},
    {"tilde", Case::maliciousPath, Case::maliciousPath},
    {"backslash", Case::maliciousPath, Case::maliciousPath},
    {"link-then-file", Case::toolFailed, Case::toolFailed},
    {"relative-link-then-file", Case::toolFailed, Case::toolFailed},
    {"link-chain", Case::toolFailed, Case::toolFailed},
    {"hard-link-absolute", unpacked, Case::maliciousPath},
    {"hard-link-relative", unpacked, Case::maliciousPath},
    {"line-break", Case::maliciousPath, Case::maliciousPath},
    {"not-utf8", Case::maliciousPath, Case::maliciousPath},
    {"special", Case::specialEntry, Case::specialEntry},
    {"set-id-and-owner", unpacked, unpacked},
};

// <root>/outside holds what an escape would hit; <root>/archives the corpus;
// archives are unpacked in <root>/target, three levels below <root> as the
// relative escapes of the corpus expect.
class HostileArchive : public ::testing::Test {
protected:
    void SetUp() override
    {
        root.write("outside/victim.txt", "unberührt");
        ChildProcess python("/usr/bin/python3", {HOSTILE_ARCHIVES_SCRIPT, root.makeFolder("archives").nativePath(),
                                                  root.file("outside").nativePath()});
        const ChildProcessResult made = python.runToCompletion();
        ASSERT_EQ(made.exitStatus, 0) << made.standardError.constData();
        ASSERT_EQ(made.standardOutput.trimmed().split('\n').size(), qsizetype(std::size(expectations)));
        root.makeFolder("target");
        home = FileUrl::fromLocalPath(QDir::homePath());
        before = treeOf(root.url());
        homeBefore = treeOf(home);
    }

    FileUrl archive(const char* name, const char* suffix) const
    {
        return root.file(QByteArray("archives/") + name + suffix);
    }

    // Everything but `unpackedInto` is as it was; `unpackedInto` goes.
    void expectNothingElseChanged(const FileUrl& unpackedInto) const
    {
        QMap<QByteArray, QByteArray> after = treeOf(root.url());
        const QByteArray inside = unpackedInto.nativePath().mid(root.path().size() + 1);
        after.removeIf([&](auto entry) { return entry.key() == inside || entry.key().startsWith(inside + '/'); });
        EXPECT_EQ(after, before);
        EXPECT_EQ(treeOf(home), homeBefore);
        FileRemover::remove(unpackedInto);
    }

    TempFolder root;
    FileUrl home;
    QMap<QByteArray, QByteArray> before;
    QMap<QByteArray, QByteArray> homeBefore;
};

// Only files, folders and links, ours, without set-id bits.
void expectOnlyPlainEntries(const FileUrl& folder)
{
    for (const QByteArray& path : treeOf(folder).keys()) {
        const struct stat st = LocalFileTest::lstatOf(folder.appending(path));
        EXPECT_TRUE(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode)) << path.constData();
        EXPECT_EQ(st.st_mode & (S_ISUID | S_ISGID), 0u) << path.constData();
        EXPECT_EQ(st.st_uid, geteuid()) << path.constData();
    }
}

TEST_F(HostileArchive, TheProviderRefusesOrUnpacksInsideTheDestinationOnly)
{
    ArchiveProvider provider;
    for (const Expectation& expected : expectations) {
        for (const bool zip : {true, false}) {
            SCOPED_TRACE(std::string(expected.name) + (zip ? ".zip" : ".tar"));
            const FileUrl destination = root.file("target").appending(QByteArray(expected.name) + (zip ? "-zip" : "-tar"));
            const JobEnd end = awaitJob(zip ? provider.extractZIP(archive(expected.name, ".zip"), destination)
                                            : provider.extractTar(archive(expected.name, ".tar"), destination));
            EXPECT_EQ(end.error, zip ? expected.zip : expected.tar) << end.description.toStdString();
            EXPECT_EQ(end.result.has_value(), !end.error.has_value());
            if (end.result)
                expectOnlyPlainEntries(destination);
            expectNothingElseChanged(destination);
        }
    }
}

// Also without the listing check, the tools with their arguments write nothing
// outside. (tar would make the device files of "special" as root: that is
// what the listing check refuses.)
TEST_F(HostileArchive, TheToolsAloneKeepEveryEntryInside)
{
    int folder = 0;
    for (const Expectation& expected : expectations) {
        for (const bool zip : {true, false}) {
            if (!zip && QByteArray(expected.name) == "special")
                continue;
            SCOPED_TRACE(std::string(expected.name) + (zip ? ".zip" : ".tar"));
            const FileUrl work = root.file("target").appending(QByteArray::number(++folder));
            const FileUrl contents = root.makeFolder(work.nativePath().mid(root.path().size() + 1) + "/contents");
            const QByteArray path = archive(expected.name, zip ? ".zip" : ".tar").nativePath();
            ChildProcess tool(zip ? ArchiveTools().unzip : ArchiveTools().tar,
                              zip ? ArchiveProvider::unzipArguments(path, contents.nativePath())
                                  : ArchiveProvider::untarArguments(path, contents.nativePath()));
            tool.setOwnSession(true);
            tool.runToCompletion();
            expectNothingElseChanged(work);
        }
    }
}

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
        const auto error = LocalFileTest::thrown<ArchiveError>([&] { ArchiveListingCheck::checkTarEntries(entries); });
        return error ? std::optional(error->errorCase()) : std::nullopt;
    };
    using Case = ArchiveError::Case;
    EXPECT_EQ(refusal({{'-', "a", {}, 0}, {'d', "b/", {}, 0}, {'l', "c", "/usr/lib", 0}, {'h', "d", "a", 0}}), std::nullopt);
    EXPECT_EQ(refusal({{'-', "\xff/../x", {}, 0}}), Case::maliciousPath);
    for (const char type : {'?', 'V'})
        EXPECT_EQ(refusal({{'-', "a", {}, 0}, {type, "dev", {}, 0}}), Case::specialEntry);
}

} // namespace
