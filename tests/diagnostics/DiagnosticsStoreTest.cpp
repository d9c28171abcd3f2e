#include "diagnostics/DiagnosticsStore.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QDateTime fixedInstant(QDate(2024, 2, 29), QTime(23, 59, 58, 750), Qt::UTC);

QString scrubbed(const QString& message)
{
    DiagnosticsStore store;
    store.record(QStringLiteral("Test"), message);
    return store.events().constLast().message;
}

struct ScrubCase {
    const char* message;
    const char* expected;
};

class PathScrubbing : public ::testing::TestWithParam<ScrubCase> {};

TEST_P(PathScrubbing, ReplacesEveryPathLikeRunAndNothingElse)
{
    EXPECT_EQ(scrubbed(QString::fromUtf8(GetParam().message)).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, PathScrubbing,
    ::testing::Values(
        ScrubCase{"Fehler in /home/anna/Bericht.pdf", "Fehler in <Pfad entfernt>"},
        // A blank ends the path; the rest of the name stays.
        ScrubCase{"Datei /tmp/mein Bericht.txt fehlt", "Datei <Pfad entfernt> Bericht.txt fehlt"},
        // A colon separates two paths; it stays between the markers.
        ScrubCase{"/a/b:/c/d", "<Pfad entfernt>:<Pfad entfernt>"},
        // A lone slash before a blank, a colon or the end is no path.
        ScrubCase{"a / b", "a / b"}, ScrubCase{"x/: y", "x/: y"}, ScrubCase{"Ende/", "Ende/"},
        ScrubCase{"/", "/"},
        // Slashes inside words, URLs (the server name goes too) and runs of slashes.
        ScrubCase{"Status 3/4 fertig", "Status 3<Pfad entfernt> fertig"},
        ScrubCase{"sftp://server.example/home/x", "sftp:<Pfad entfernt>"},
        ScrubCase{"//", "<Pfad entfernt>"},
        // Tab, line feed and no-break space are white space too.
        ScrubCase{"/a\tb", "<Pfad entfernt>\tb"}, ScrubCase{"/a\nb", "<Pfad entfernt>\nb"},
        ScrubCase{"/Ordner\u00a0Name", "<Pfad entfernt>\u00a0Name"},
        // Non-ASCII names are paths like any other.
        ScrubCase{"in /Users/jörg/Übersicht.txt.", "in <Pfad entfernt>"},
        ScrubCase{"", ""}));

TEST(DiagnosticsStore, KeepsTheNewestFiveHundredInRecordingOrder)
{
    DiagnosticsStore store;
    for (int i = 0; i < 1234; ++i)
        store.record(QStringLiteral("App"), QStringLiteral("Ereignis %1").arg(i));
    ASSERT_EQ(store.events().size(), 500);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(store.events()[i].message, QStringLiteral("Ereignis %1").arg(734 + i)) << "position " << i;
}

// The memory figure must be the machine's own, in binary units: compared with
// the kernel's MemTotal, read independently of the code under test.
TEST(DiagnosticsReport, MemoryIsThePhysicalSizeInBinaryUnits)
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    ASSERT_TRUE(meminfo.open(QIODevice::ReadOnly));
    const auto total = QRegularExpression(QStringLiteral("MemTotal:\\s+(\\d+) kB"))
                           .match(QString::fromLatin1(meminfo.readAll()));
    ASSERT_TRUE(total.hasMatch());
    const double kernelBytes = total.captured(1).toDouble() * 1024;

    const QString line = DiagnosticsStore().report().split(QLatin1Char('\n'))[4];
    const auto figure = QRegularExpression(QStringLiteral("^Arbeitsspeicher: (\\d+)(?:[.,](\\d+))? (KiB|MiB|GiB|TiB)$"))
                            .match(line);
    ASSERT_TRUE(figure.hasMatch()) << line.toStdString();
    const double number = (figure.captured(1) + QLatin1Char('.') + figure.captured(2) + QLatin1Char('0')).toDouble();
    const int power = int(QStringList{"KiB", "MiB", "GiB", "TiB"}.indexOf(figure.captured(3))) + 1;
    const double reported = number * std::pow(1024.0, power);
    EXPECT_NEAR(reported / kernelBytes, 1.0, 0.01) << line.toStdString();
}

TEST(DiagnosticsReport, EventLinesFollowTheHeaderInUtcWithoutFractions)
{
    QDateTime now = fixedInstant;
    DiagnosticsStore store([&now] { return now; });
    store.record(QStringLiteral("App"), QStringLiteral("Anwendung gestartet"));
    // An instant given with an offset is written as the same instant in UTC.
    now = QDateTime(QDate(2024, 3, 1), QTime(1, 2, 3, 999), Qt::OffsetFromUTC, 2 * 3600);
    store.record(QStringLiteral("Fehler"), QStringLiteral("ArchiveError in /tmp/x.zip"));

    const QStringList lines = store.report().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[7], QString());
    EXPECT_EQ(lines[8], QStringLiteral("2024-02-29T23:59:58Z [App] Anwendung gestartet"));
    EXPECT_EQ(lines[9], QStringLiteral("2024-02-29T23:02:03Z [Fehler] ArchiveError in <Pfad entfernt>"));
}

} // namespace
