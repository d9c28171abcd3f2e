#include "remote/CurlCommand.h"
#include "remote/RemoteDiagnostics.h"
#include "remote/RemoteTransportError.h"

#include "support/RemoteChecks.h"
#include "support/TestEnvironment.h"

#include <QDir>

namespace {

TEST(CurlCommand, EveryNameInAUrlNamesExactlyItself)
{
    RemoteProfile ftp;
    ftp.kind = RemoteProtocolKind::ftp;
    ftp.host = QStringLiteral("h");
    ftp.port = 21;
    for (const auto& [path, directory, expected] : {
             std::tuple{"/a b", true, "ftp://h:21/a%20b/"},
             std::tuple{"docs/100%.txt", false, "ftp://h:21/docs/100%25.txt"},
             std::tuple{"/x#y?z/%41", true, "ftp://h:21/x%23y%3Fz/%2541/"},
             std::tuple{"/Ärger.txt", false, "ftp://h:21/%C3%84rger.txt"},
             // ";type=i" would choose a transfer type, "{}" and "[]" are patterns.
             std::tuple{"/a;type=i", false, "ftp://h:21/a%3Btype%3Di"},
             std::tuple{"/;type=d/", true, "ftp://h:21/%3Btype%3Dd/"},
             std::tuple{"/x{a,b}[1]!$&'()*+,:@-._~", false,
                        "ftp://h:21/x%7Ba%2Cb%7D%5B1%5D%21%24%26%27%28%29%2A%2B%2C%3A%40-._~"},
         })
        EXPECT_EQ(CurlCommand::remoteURL(ftp, QString::fromUtf8(path), directory), QString::fromUtf8(expected)) << path;
    ftp.host = QStringLiteral("::1");
    EXPECT_EQ(CurlCommand::remoteURL(ftp, QStringLiteral("/"), true), QStringLiteral("ftp://[::1]:21/"));
}

TEST(CurlCommand, TransfersEndOnlyWhenTheyStallListingsAfterATotalTimeNeitherGlobs)
{
    RemoteProfile ftp;
    ftp.timeout = 10;
    const QList<QByteArray> listing = CurlCommand::arguments(ftp, {"URL"});
    const QList<QByteArray> transfer = CurlCommand::arguments(ftp, {"URL"}, CurlCommand::Limit::stall);
    EXPECT_TRUE(listing.contains("--max-time"));
    EXPECT_FALSE(transfer.contains("--max-time")) << "a large file over a normal line takes more than a minute";
    EXPECT_EQ(transfer.mid(transfer.indexOf("--speed-time"), 2), (QList<QByteArray>{"--speed-time", "10"}));
    EXPECT_TRUE(listing.contains("--globoff") && transfer.contains("--globoff"));
}

TEST(CurlCommand, CredentialsLineQuotesForCurlAndDropsLineBreaks)
{
    // The backslash is doubled before the quote gets its own: \" becomes \\\".
    EXPECT_EQ(CurlCommand::credentialsLine(QStringLiteral("u"), QStringLiteral("x\\\"")), "user = \"u:x\\\\\\\"\"\n");
    EXPECT_EQ(CurlCommand::credentialsLine(QStringLiteral("zei\r\nle"), QStringLiteral("pass\nwort\r")),
              "user = \"zeile:passwort\"\n");
}

TEST(CurlCommand, PathsWithLineBreaksOrNulAreRefusedNotShortened)
{
    for (const QString& path : {QStringLiteral("/a\r\nDELE /b"), QStringLiteral("/a\rb"), QStringLiteral("/a") + QChar(0)})
        EXPECT_EQ(failureKind<RemoteTransportError>([&] { CurlCommand::commandPath(path); }),
                  RemoteTransportError::Kind::unusableName);
    EXPECT_EQ(CurlCommand::commandPath(QStringLiteral("/ganz normal")), QStringLiteral("/ganz normal"));
}

TEST(FTPDiagnostics, SummaryIsCurlsLastErrorLineOrPointsAtTheLog)
{
    const FTPDiagnostics& diagnostics = FTPDiagnostics::shared();
    const QString fallback = QStringLiteral("curl wurde mit Status 7 beendet. Diagnose: ") + diagnostics.path();
    for (const auto& [error, status, expected] : {
             std::tuple{"curl: (6) erste\r\nnoch etwas\r\ncurl: (28) zweite\r\n\r\n", 28, QStringLiteral("curl: (28) zweite")},
             std::tuple{"  curl: eingerueckt\n", 7, fallback},
             std::tuple{"a\u2028Could not resolve\u2029b\x0b", 6, QStringLiteral("Could not resolve")},
         })
        EXPECT_EQ(diagnostics.failureSummary(QString::fromUtf8(error), status), expected) << error;
}

TEST(RemoteDiagnostics, RecreatesItsFolderMovesAFullLogAsideAndSkipsAnUnwritableOne)
{
    TempFolder folder;
    const QString path = folder.url().path() + QStringLiteral("/Logs/FTP-Diagnose.log");
    RemoteDiagnostics diagnostics(path);
    diagnostics.record(QStringLiteral("erst"));
    QDir(folder.url().path() + QStringLiteral("/Logs")).removeRecursively();
    const QByteArray old(RemoteDiagnostics::rotationSize + 1, 'x');
    diagnostics.record(QStringLiteral("neu"));
    EXPECT_TRUE(contentsOf(path).endsWith(" neu\n")) << contentsOf(path).constData();
    folder.write("Logs/FTP-Diagnose.log", old);
    diagnostics.record(QStringLiteral("neuer"));
    EXPECT_EQ(contentsOf(path + QStringLiteral(".1")), old);
    EXPECT_EQ(contentsOf(path).count('\n'), 1);

    // A file where the folder should be: the caller carries on, nothing is written.
    folder.write("Datei", "eine Datei");
    RemoteDiagnostics(folder.url().path() + QStringLiteral("/Datei/Brenvik/FTP-Diagnose.log")).record(QStringLiteral("x"));
    EXPECT_EQ(contentsOf(folder.url().path() + QStringLiteral("/Datei")), "eine Datei");
}

} // namespace
