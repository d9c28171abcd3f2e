// The provider against a recording stand-in for curl: exact command lines, what
// reaches curl's standard input, and how answers and failures come back.
#include "platform/ChildProcess.h"
#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteDiagnostics.h"

#include "support/CurlStandIn.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const QString password = QStringLiteral("s3cr\"et\\pw");

RemoteProfile profileFor(RemoteProtocolKind kind)
{
    RemoteProfile profile;
    profile.kind = kind;
    profile.host = QStringLiteral("ftp.example");
    profile.port = 2121;
    profile.username = QStringLiteral("anna");
    profile.timeout = 10;
    return profile;
}

const QList<QByteArray> common{"--silent", "--show-error", "--fail", "--connect-timeout", "10", "--max-time", "60",
                               "--config", "-"};

QByteArray contentsOf(const FileUrl& url)
{
    QFile file(url.path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
}

template <typename Future>
QString failureOf(Future future)
{
    try {
        future.waitForFinished();
    } catch (const BrenvikError& error) {
        return error.description();
    }
    return QStringLiteral("<kein Fehler>");
}

class CurlStandInTest : public ::testing::Test {
protected:
    CurlStandIn curl;
    CurlRemoteProvider provider{profileFor(RemoteProtocolKind::ftp), password, curl.path()};
};

TEST_F(CurlStandInTest, ListingSendsCredentialsOnlyOnStandardInput)
{
    curl.answer(1, "total 2\r\n-rw-r--r-- 1 o g 5 Aug 12 08:01 b.txt\r\n"
                   "drwxr-xr-x 2 o g 4096 Aug 12 08:00 a ordner\r\n");
    const QList<RemoteEntry> entries = provider.list(QStringLiteral("/a b")).result();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0], (RemoteEntry{"a ordner", true, 4096, "Aug 12 08:00"}));
    EXPECT_EQ(entries[1], (RemoteEntry{"b.txt", false, 5, "Aug 12 08:01"}));

    const QList<CurlStandIn::Call> calls = curl.calls();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0].arguments, common + QList<QByteArray>{"ftp://ftp.example:2121/a%20b/"});
    EXPECT_EQ(calls[0].input, "user = \"anna:s3cr\\\"et\\\\pw\"\n");
    for (const QByteArray& secret : {password.toUtf8(), QByteArray("s3cr")}) {
        for (const QByteArray& argument : calls[0].arguments)
            EXPECT_FALSE(argument.contains(secret)) << argument.constData();
        for (const QByteArray& variable : calls[0].environment)
            EXPECT_FALSE(variable.contains(secret)) << variable.constData();
    }
}

TEST_F(CurlStandInTest, UnreadableOrEmptyListingFallsBackToNames)
{
    curl.answer(1, "Dies ist kein Unix-Listing\r\n");
    curl.answer(2, "zeta\r\n.\r\n..\r\nalpha\r\n");
    const QList<RemoteEntry> entries = provider.list(QStringLiteral("/")).result();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0], (RemoteEntry{"zeta", false, std::nullopt, QString()}));
    EXPECT_EQ(entries[1].name, QStringLiteral("alpha"));
    const QList<CurlStandIn::Call> calls = curl.calls();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[1].arguments, common + QList<QByteArray>({"ftp://ftp.example:2121/", "--list-only"}));

    // An empty folder: two runs, nothing listed.
    CurlStandIn empty;
    CurlRemoteProvider second(profileFor(RemoteProtocolKind::ftp), password, empty.path());
    EXPECT_TRUE(second.list(QStringLiteral("/leer")).result().isEmpty());
    EXPECT_EQ(empty.calls().size(), 2);
}

TEST_F(CurlStandInTest, EveryOperationHasItsCommandLine)
{
    TempFolder local;
    const FileUrl file = local.write("lokal.txt", "daten");
    curl.answer(7, {}, "curl: (9) Server denied you to change to the given directory\n", 9);

    provider.upload(file, QStringLiteral("/ziel/100%.txt")).waitForFinished();
    provider.rename(QStringLiteral("/alt\r\nDELE /x"), QStringLiteral("/neu\n")).waitForFinished();
    provider.createDirectory(QStringLiteral("/neu\r\nRMD /wichtig")).waitForFinished();
    provider.deleteEntry(QStringLiteral("/datei"), false).waitForFinished();
    provider.deleteEntry(QStringLiteral("/ordner"), true).waitForFinished();
    EXPECT_TRUE(provider.probeDirectory(QStringLiteral("/ordner")).result());
    EXPECT_FALSE(provider.probeDirectory(QStringLiteral("/datei")).result());
    provider.quote(QStringLiteral("SITE CHMOD 644 /a\r\nDELE /b")).waitForFinished();
    provider.disconnect().waitForFinished();

    const QByteArray root = "ftp://ftp.example:2121/";
    const QList<QList<QByteArray>> expected{
        {root + "ziel/100%25.txt", "--upload-file", file.nativePath()},
        {root, "--quote", "RNFR /altDELE /x", "--quote", "RNTO /neu", "--list-only"},
        {root, "--quote", "MKD /neuRMD /wichtig", "--list-only"},
        {root, "--quote", "DELE /datei", "--list-only"},
        {root, "--quote", "RMD /ordner", "--list-only"},
        {root + "ordner/", "--list-only"},
        {root + "datei/", "--list-only"},
        {root, "--quote", "SITE CHMOD 644 /aDELE /b", "--list-only"},
    };
    const QList<CurlStandIn::Call> calls = curl.calls();
    ASSERT_EQ(calls.size(), expected.size());
    for (qsizetype i = 0; i < calls.size(); ++i)
        EXPECT_EQ(calls[i].arguments, common + expected[i]) << "Aufruf " << i + 1;
}

TEST_F(CurlStandInTest, DownloadReplacesTheFileOnlyWhenComplete)
{
    TempFolder local;
    const FileUrl target = local.write("ziel.txt", "alt");
    curl.answer(1, "abgebrochen", "* Trying\ncurl: (18) transfer closed with 5 bytes remaining to read\n", 18);
    curl.answer(2, "kaputt", "ohne Erkennungszeichen\n", 7);
    curl.answer(3, "neuer Inhalt");

    EXPECT_EQ(failureOf(provider.download(QStringLiteral("/quelle.txt"), target)),
              QStringLiteral("Remote-Vorgang fehlgeschlagen: curl: (18) transfer closed with 5 bytes remaining to read"));
    EXPECT_EQ(failureOf(provider.download(QStringLiteral("/quelle.txt"), target)),
              QStringLiteral("Remote-Vorgang fehlgeschlagen: curl wurde mit Status 7 beendet. Diagnose: ")
                  + FTPDiagnostics::shared().path());
    EXPECT_EQ(contentsOf(target), "alt");
    EXPECT_EQ(QDir(local.url().path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("ziel.txt")});

    provider.download(QStringLiteral("/quelle.txt"), target).waitForFinished();
    EXPECT_EQ(contentsOf(target), "neuer Inhalt");
    EXPECT_EQ(QDir(local.url().path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("ziel.txt")});

    const QList<CurlStandIn::Call> calls = curl.calls();
    ASSERT_EQ(calls.size(), 3);
    ASSERT_EQ(calls[2].arguments.size(), common.size() + 3);
    EXPECT_EQ(calls[2].arguments[common.size()], "ftp://ftp.example:2121/quelle.txt");
    EXPECT_EQ(calls[2].arguments[common.size() + 1], "--output");
    EXPECT_TRUE(calls[2].arguments[common.size() + 2].startsWith(local.path() + "/.brvk-"));
}

TEST_F(CurlStandInTest, DiagnosticsLogTellsOfTransportsAndRuns)
{
    QFile::remove(FTPDiagnostics::shared().path());
    CurlStandIn other;
    other.answer(1, {}, {}, 28);
    CurlRemoteProvider ftps(profileFor(RemoteProtocolKind::ftps), password, other.path());
    ftps.probeDirectory(QStringLiteral("/")).waitForFinished();
    QFile log(FTPDiagnostics::shared().path());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith(" Remote-Transport angelegt: FTPS")) << lines[0].constData();
    EXPECT_TRUE(lines[1].endsWith(" Remote-Vorgang beendet: Status 28")) << lines[1].constData();
    EXPECT_FALSE(text.contains("s3cr"));
    EXPECT_EQ(other.calls()[0].arguments.mid(9, 1), QList<QByteArray>{"--ssl-reqd"});
}

TEST(CurlRemoteProvider, MissingCurlIsAClearError)
{
    CurlRemoteProvider provider(profileFor(RemoteProtocolKind::ftp), password, "/nonexistent/bin/curl");
    try {
        provider.list(QStringLiteral("/")).waitForFinished();
        ADD_FAILURE() << "kein Fehler";
    } catch (const ProcessStartError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("Das Programm „/nonexistent/bin/curl“ konnte nicht gestartet "
                                                      "werden: Die Datei oder der Ordner existiert nicht."));
    }
    // A probe never fails; the real error surfaces on the transfer it leads to.
    EXPECT_FALSE(provider.probeDirectory(QStringLiteral("/")).result());
    TempFolder local;
    EXPECT_TRUE(failureOf(provider.downloadTree(QStringLiteral("/x"), local.file("x")))
                    .startsWith(QStringLiteral("Das Programm „/nonexistent/bin/curl“")));
}

TEST(CurlRemoteProvider, ClosingWaitsForTheRunningOperationAndCancelsTheQueue)
{
    CurlStandIn curl;
    curl.delay(1, 0.5);
    curl.answer(1, "-rw-r--r-- 1 o g 5 Aug 12 08:01 a.txt\r\n");
    QFuture<QList<RemoteEntry>> running, queued;
    {
        CurlRemoteProvider provider(profileFor(RemoteProtocolKind::ftp), password, curl.path());
        running = provider.list(QStringLiteral("/"));
        queued = provider.list(QStringLiteral("/"));
        while (curl.calls().isEmpty()) // the first curl has started
            QThread::msleep(5);
    }
    ASSERT_TRUE(running.isFinished());
    EXPECT_EQ(running.result().size(), 1);
    ASSERT_TRUE(queued.isFinished());
    EXPECT_THROW(queued.waitForFinished(), CancellationError);
    EXPECT_EQ(curl.calls().size(), 1);
}

} // namespace
