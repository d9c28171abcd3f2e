#include "platform/LogFolder.h"
#include "remote/RemoteDiagnostics.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FTPDiagnostics, SummaryIsCurlsLastErrorLineOrPointsAtTheLog)
{
    const FTPDiagnostics& diagnostics = FTPDiagnostics::shared();
    struct Case {
        QString error;
        int status;
        QString expected;
    };
    const QString fallback = QStringLiteral("curl wurde mit Status 7 beendet. Diagnose: ") + diagnostics.path();
    for (const Case& c : {
             Case{"curl: (67) Access denied: 530\n", 67, "curl: (67) Access denied: 530"},
             Case{"curl: (6) erste\r\nnoch etwas\r\ncurl: (28) zweite\r\n\r\n", 28, "curl: (28) zweite"},
             Case{"  curl: eingerueckt\n", 7, fallback},
             Case{"Server sagt: Login denied\nweiter\n", 67, "Server sagt: Login denied"},
             Case{"a\u2028Could not resolve\u2029b\x0b", 6, "Could not resolve"},
             Case{"Operation timed out after 5 ms\fdanach", 28, "Operation timed out after 5 ms"},
             Case{"could not (klein) und CURL: gross\n", 7, fallback},
             Case{"", 7, fallback},
         })
        EXPECT_EQ(diagnostics.failureSummary(c.error, c.status), c.expected) << c.error.toStdString();
}

TEST(RemoteDiagnostics, RecordsTimeStampedLinesAndRecreatesItsFolder)
{
    TempFolder folder;
    const QString path = folder.url().path() + QStringLiteral("/Logs/Brenvik/FTP-Diagnose.log");
    RemoteDiagnostics diagnostics(path);
    EXPECT_TRUE(QFileInfo(path).dir().exists());
    EXPECT_FALSE(QFileInfo::exists(path)); // the folder only

    diagnostics.record(QStringLiteral("Remote-Transport angelegt: FTPS"));
    QDir(folder.url().path() + QStringLiteral("/Logs")).removeRecursively();
    diagnostics.record(QStringLiteral("Remote-Vorgang beendet: Status 0"));
    const QList<QByteArray> lines = contentsOf(path).split('\n');
    ASSERT_EQ(lines.size(), 2) << contentsOf(path).constData();
    const QRegularExpression line(
        QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z Remote-Vorgang beendet: Status 0$)"));
    EXPECT_TRUE(line.match(QString::fromUtf8(lines[0])).hasMatch()) << lines[0].constData();
    EXPECT_TRUE(lines[1].isEmpty());
}

TEST(RemoteDiagnostics, FullLogIsMovedAsideAndAnUnwritableOneIsSkipped)
{
    TempFolder folder;
    const QString path = folder.url().path() + QStringLiteral("/FTP-Diagnose.log");
    const QByteArray old(RemoteDiagnostics::rotationSize + 1, 'x');
    folder.write("FTP-Diagnose.log", old);
    RemoteDiagnostics diagnostics(path);
    diagnostics.record(QStringLiteral("neu"));
    diagnostics.record(QStringLiteral("neuer"));
    EXPECT_EQ(contentsOf(path + QStringLiteral(".1")), old);
    EXPECT_EQ(contentsOf(path).count('\n'), 2);

    // A file where the folder should be: the caller carries on, nothing is written.
    folder.write("Logs", "eine Datei");
    RemoteDiagnostics blocked(folder.url().path() + QStringLiteral("/Logs/Brenvik/FTP-Diagnose.log"));
    blocked.record(QStringLiteral("Remote-Vorgang beendet: Status 0"));
    EXPECT_EQ(contentsOf(folder.url().path() + QStringLiteral("/Logs")), "eine Datei");
}

} // namespace
