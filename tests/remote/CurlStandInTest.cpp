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

TEST_F(CurlStandInTest, ListingAsksForHiddenNamesAndFallsBackStepByStep)
{
    curl.answer(1, {}, "curl: (21) Server denied the LIST command\n", 21);
    curl.answer(2, "Dies ist kein Unix-Listing\r\n");
    curl.answer(3, "zeta\r\n.\r\n..\r\nalpha\r\n");
    const QList<RemoteEntry> entries = provider.list(QStringLiteral("/a b")).result();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, QStringLiteral("zeta"));
    const QList<CurlStandIn::Call> calls = curl.calls();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0].arguments.mid(calls[0].arguments.size() - 3),
              (QList<QByteArray>{"ftp://ftp.example:2121/a%20b/", "--request", "LIST -a"}));
    EXPECT_EQ(calls[1].arguments.last(), "ftp://ftp.example:2121/a%20b/");
    EXPECT_EQ(calls[2].arguments.last(), "--list-only");
}

TEST_F(CurlStandInTest, ReplacingUploadLeavesNoTemporaryFileWhenThePutInPlaceFails)
{
    TempFolder local;
    const FileUrl file = local.write("lokal.txt", "daten");
    curl.answer(2, {}, "curl: (21) QUOT command failed with 550\n", 21);
    EXPECT_EQ(failureOf(provider.uploadReplacing(file, QStringLiteral("/ziel/a.txt"))),
              QStringLiteral("Remote-Vorgang fehlgeschlagen: curl: (21) QUOT command failed with 550"));
    const QList<CurlStandIn::Call> calls = curl.calls();
    ASSERT_EQ(calls.size(), 3);
    const QByteArray temporary = calls[0].arguments.at(calls[0].arguments.indexOf("--upload-file") - 1);
    ASSERT_TRUE(temporary.startsWith("ftp://ftp.example:2121/ziel/.brvk-")) << temporary.constData();
    const QByteArray temporaryPath = "/ziel/" + temporary.mid(temporary.lastIndexOf('/') + 1);
    EXPECT_TRUE(calls[1].arguments.contains("RNFR " + temporaryPath));
    EXPECT_TRUE(calls[1].arguments.contains("RNTO /ziel/a.txt"));
    EXPECT_TRUE(calls[2].arguments.contains("DELE " + temporaryPath));
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

    EXPECT_TRUE(curl.calls()[2].arguments.last().startsWith(local.path() + "/.brvk-"));
}

TEST(CurlRemoteProvider, MissingCurlIsAClearError)
{
    CurlRemoteProvider provider(profileFor(RemoteProtocolKind::ftp), password, "/nonexistent/bin/curl");
    EXPECT_THROW(provider.list(QStringLiteral("/")).waitForFinished(), ProcessStartError);
    // A probe never fails; the real error surfaces on the transfer it leads to.
    EXPECT_FALSE(provider.probeDirectory(QStringLiteral("/")).result());
    TempFolder local;
    EXPECT_TRUE(failureOf(provider.downloadTree(QStringLiteral("/x"), local.file("x")))
                    .startsWith(QStringLiteral("Das Programm „/nonexistent/bin/curl“")));
}

TEST(CurlRemoteProvider, CancellingOrClosingEndsTheRunningCurlAtOnce)
{
    CurlStandIn curl;
    curl.delay(1, 30);
    curl.delay(2, 30);
    QFuture<QList<RemoteEntry>> cancelled, running, queued;
    const auto started = std::chrono::steady_clock::now();
    {
        CurlRemoteProvider provider(profileFor(RemoteProtocolKind::ftp), password, curl.path());
        cancelled = provider.list(QStringLiteral("/"));
        while (curl.calls().isEmpty())
            QThread::msleep(5);
        cancelled.cancel();
        running = provider.list(QStringLiteral("/"));
        queued = provider.list(QStringLiteral("/"));
        while (curl.calls().size() < 2)
            QThread::msleep(5);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << "closing must not wait for curl";
    EXPECT_THROW(running.waitForFinished(), CancellationError);
    EXPECT_THROW(queued.waitForFinished(), CancellationError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_EQ(curl.calls().size(), 2);
}

} // namespace
