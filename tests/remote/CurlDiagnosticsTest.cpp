#include "remote/RemoteDiagnostics.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
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
             Case{"curl: (6) erste\r\nnoch etwas\r\ncurl: (28) zweite\r\n\r\n", 28, "curl: (28) zweite"},
             Case{"  curl: eingerueckt\n", 7, fallback},
             Case{"Server sagt: Login denied\nweiter\n", 67, "Server sagt: Login denied"},
             Case{"a\u2028Could not resolve\u2029b\x0b", 6, "Could not resolve"},
             Case{"", 7, fallback},
         })
        EXPECT_EQ(diagnostics.failureSummary(c.error, c.status), c.expected) << c.error.toStdString();
}

TEST(RemoteDiagnostics, RecreatesItsFolderMovesAFullLogAsideAndSkipsAnUnwritableOne)
{
    TempFolder folder;
    const QString path = folder.url().path() + QStringLiteral("/Logs/FTP-Diagnose.log");
    RemoteDiagnostics diagnostics(path);
    diagnostics.record(QStringLiteral("erst"));
    QDir(folder.url().path() + QStringLiteral("/Logs")).removeRecursively();
    diagnostics.record(QStringLiteral("neu"));
    EXPECT_TRUE(contentsOf(path).endsWith(" neu\n")) << contentsOf(path).constData();

    const QByteArray old(RemoteDiagnostics::rotationSize + 1, 'x');
    folder.write("Logs/FTP-Diagnose.log", old);
    diagnostics.record(QStringLiteral("neu"));
    diagnostics.record(QStringLiteral("neuer"));
    EXPECT_EQ(contentsOf(path + QStringLiteral(".1")), old);
    EXPECT_EQ(contentsOf(path).count('\n'), 2);

    // A file where the folder should be: the caller carries on, nothing is written.
    folder.write("Datei", "eine Datei");
    RemoteDiagnostics blocked(folder.url().path() + QStringLiteral("/Datei/Brenvik/FTP-Diagnose.log"));
    blocked.record(QStringLiteral("Remote-Vorgang beendet: Status 0"));
    EXPECT_EQ(contentsOf(folder.url().path() + QStringLiteral("/Datei")), "eine Datei");
}

} // namespace
