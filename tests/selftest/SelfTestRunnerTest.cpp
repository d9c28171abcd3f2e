#include "selftest/SelfTestRunner.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/mount.h>

namespace {

struct SuiteRun { int status; QString text; };

// Runs a suite with the system temporary directory at `tmp`; what it returned and printed.
template <typename Suite>
SuiteRun inTemporaryDirectory(const QByteArray& tmp, Suite suite)
{
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp);
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    const int status = suite(out);
    std::fclose(out);
    qputenv("TMPDIR", previous);
    const SuiteRun run{status, QString::fromUtf8(buffer, qsizetype(size))};
    std::free(buffer);
    return run;
}

bool isEmpty(const FileUrl& folder)
{
    return QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(SelfTest, ChecksPassAndLeaveNoScratchFolderAndAMissingOneEndsWithStatusTwo)
{
    TempFolder temp;
    const SuiteRun passed = inTemporaryDirectory(temp.path(), [](FILE* out) { return SelfTestRunner::run(out); });
    EXPECT_EQ(passed.status, 0);
    EXPECT_TRUE(passed.text.endsWith(QStringLiteral(" bestanden, 0 fehlgeschlagen\n"))) << passed.text.toStdString();
    EXPECT_TRUE(isEmpty(temp.url()));

    const QByteArray file = temp.write("keine-mappe").nativePath();
    const SuiteRun unprepared = inTemporaryDirectory(file + "/tmp", [](FILE* out) { return SelfTestRunner::run(out); });
    EXPECT_EQ(unprepared.status, 2);
    EXPECT_EQ(unprepared.text.count(u'\n'), 1) << unprepared.text.toStdString();
}

TEST(Performance, PrintsProgressEveryThousandAndCleansUpAfterSuccessAndFailure)
{
    TempFolder temp;
    const SuiteRun run = inTemporaryDirectory(temp.path(), [](FILE* out) { return SelfTestRunner::runPerformance(2500, out); });
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.text.contains(QStringLiteral("\n\r0 / 2500\r1000 / 2500\r2000 / 2500\n"))) << run.text.toStdString();
    EXPECT_TRUE(isEmpty(temp.url()));

    // A file system with room for only a few hundred entries.
    const FileUrl small = temp.makeFolder("klein");
    if (mount("tmpfs", small.nativePath().constData(), "tmpfs", 0, "nr_inodes=300,size=1m") != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    const SuiteRun failed = inTemporaryDirectory(small.nativePath(), [](FILE* out) { return SelfTestRunner::runPerformance(1000, out); });
    EXPECT_TRUE(isEmpty(small));
    umount(small.nativePath().constData());
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.text.endsWith(QStringLiteral(" konnte nicht angelegt werden\n"))) << failed.text.toStdString();
}

} // namespace
