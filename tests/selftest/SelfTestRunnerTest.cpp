#include "selftest/SelfTestRunner.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// Captures what a suite prints.
class Output {
public:
    Output() : m_file(open_memstream(&m_buffer, &m_size)) {}
    ~Output()
    {
        if (m_file)
            std::fclose(m_file);
        std::free(m_buffer);
    }
    FILE* file() const { return m_file; }
    QString text()
    {
        std::fflush(m_file);
        return QString::fromUtf8(m_buffer, qsizetype(m_size));
    }

private:
    char* m_buffer = nullptr;
    size_t m_size = 0;
    FILE* m_file;
};

// Points the system temporary directory at `path` for one test.
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(const QByteArray& path) : m_previous(qgetenv("TMPDIR")) { qputenv("TMPDIR", path); }
    ~TemporaryDirectory() { qputenv("TMPDIR", m_previous); }

private:
    QByteArray m_previous;
};

QStringList entriesOf(const FileUrl& folder)
{
    return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(SelfTest, AllElevenChecksPassAndTheScratchFolderGoes)
{
    TempFolder temp;
    TemporaryDirectory tmp(temp.path());
    Output output;
    EXPECT_EQ(SelfTestRunner::run(output.file()), 0);
    const QString text = output.text();
    EXPECT_EQ(text.count(QStringLiteral("✓ ")), 11) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n\nSelf-Test: 11 bestanden, 0 fehlgeschlagen\n")));
    EXPECT_EQ(entriesOf(temp.url()), QStringList());
}

TEST(SelfTest, AScratchFolderThatCannotBeMadeEndsWithStatusTwo)
{
    TempFolder temp;
    const FileUrl file = temp.write("keine-mappe");
    TemporaryDirectory tmp(file.nativePath() + "/tmp");
    Output output;
    EXPECT_EQ(SelfTestRunner::run(output.file()), 2);
    EXPECT_TRUE(output.text().startsWith(QStringLiteral("Self-Test konnte nicht vorbereitet werden: ")))
        << output.text().toStdString();
    EXPECT_EQ(output.text().count(u'\n'), 1);
}

TEST(Performance, PrintsProgressEveryThousandAndCleansUp)
{
    TempFolder temp;
    TemporaryDirectory tmp(temp.path());
    Output output;
    EXPECT_EQ(SelfTestRunner::runPerformance(2500, output.file()), 0);
    const QString text = output.text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Erzeuge 2500 temporäre Dateien …\n\r0 / 2500\r1000 / 2500\r2000 / 2500\n")))
        << text.toStdString();
    EXPECT_EQ(text.count(u'\r'), 3);
    EXPECT_TRUE(text.contains(QStringLiteral("\nAuflistung und Sortierung: ")));
    EXPECT_TRUE(text.endsWith(QStringLiteral(" s\n✓ Performance-Test bestanden\n"))) << text.toStdString();
    EXPECT_EQ(entriesOf(temp.url()), QStringList());
}

TEST(Performance, AFailedCreationIsReportedAndLeavesNothing)
{
    TempFolder temp;
    const FileUrl mountPoint = temp.makeFolder("klein");
    // A file system with room for only a few hundred entries.
    if (mount("tmpfs", mountPoint.nativePath().constData(), "tmpfs", 0, "nr_inodes=300,size=1m") != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    {
        TemporaryDirectory tmp(mountPoint.nativePath());
        Output output;
        EXPECT_EQ(SelfTestRunner::runPerformance(1000, output.file()), 1);
        const QString text = output.text();
        EXPECT_TRUE(text.contains(QStringLiteral("\n✗ Performance-Test fehlgeschlagen: Datei ")));
        EXPECT_TRUE(text.endsWith(QStringLiteral(" konnte nicht angelegt werden\n"))) << text.toStdString();
        EXPECT_EQ(entriesOf(mountPoint), QStringList());
    }
    umount(mountPoint.nativePath().constData());
}

} // namespace
