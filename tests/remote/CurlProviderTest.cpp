// The provider against a recording stand-in for curl (what it asks curl for,
// how answers and failures come back) and with the real one (where the password goes).
#include "platform/ChildProcess.h"
#include "remote/CurlRemoteProvider.h"

#include "support/RemoteChecks.h"
#include "support/CurlStandIn.h"
#include "support/LoopbackListener.h"
#include "support/SftpServer.h"
#include "support/TestEnvironment.h"

#include <QTest>
#include <unistd.h>

namespace {

RemoteProfile ftpProfile()
{
    RemoteProfile profile;
    profile.kind = RemoteProtocolKind::ftp;
    profile.host = QStringLiteral("ftp.example");
    profile.port = 2121;
    return profile;
}

class CurlStandInTest : public ::testing::Test {
protected:
    CurlStandIn curl;
    CurlRemoteProvider provider{ftpProfile(), QStringLiteral("pw"), curl.path()};
    TempFolder local;
};

TEST_F(CurlStandInTest, ListingAsksForHiddenNamesAndFallsBackStepByStep)
{
    curl.answer(1, {}, "curl: (21) Server denied the LIST command\n", 21);
    curl.answer(2, "Dies ist kein Unix-Listing\r\n");
    curl.answer(3, "zeta\r\n.\r\n..\r\nalpha\r\n");
    const QList<RemoteEntry> entries = provider.list(QStringLiteral("/a b")).result();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, QStringLiteral("zeta")) << "in the server's order";
    EXPECT_FALSE(entries[0].typeKnown) << "names only: no folder can be told from a link";
    const QList<CurlStandIn::Call> calls = curl.calls();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[0].arguments.mid(calls[0].arguments.size() - 2), (QList<QByteArray>{"--request", "LIST -a"}));
    EXPECT_EQ(calls[1].arguments.last(), "ftp://ftp.example:2121/a%20b/");
    EXPECT_EQ(calls[2].arguments.last(), "--list-only");
}

TEST_F(CurlStandInTest, ReplacingUploadLeavesNoTemporaryFileWhenThePutInPlaceFails)
{
    curl.answer(2, {}, "curl: (21) QUOT command failed with 550\n", 21);
    EXPECT_TRUE(failureOf(provider.uploadReplacing(local.write("a.txt", "daten"), QStringLiteral("/ziel/a.txt")))
                    .endsWith(u"failed with 550"));
    const QList<CurlStandIn::Call> calls = curl.calls();
    ASSERT_EQ(calls.size(), 3);
    const QByteArray temporary = calls[0].arguments.at(calls[0].arguments.indexOf("--upload-file") - 1);
    ASSERT_TRUE(temporary.startsWith("ftp://ftp.example:2121/ziel/.brvk-")) << temporary.constData();
    const QByteArray temporaryPath = "/ziel/" + temporary.mid(temporary.lastIndexOf('/') + 1);
    EXPECT_TRUE(calls[1].arguments.contains("RNFR " + temporaryPath));
    EXPECT_TRUE(calls[1].arguments.contains("RNTO /ziel/a.txt"));
    EXPECT_TRUE(calls[2].arguments.contains("DELE " + temporaryPath));
}

TEST_F(CurlStandInTest, ABrokenDownloadLeavesNoPartialFileAndTheOldOneAsItWas)
{
    const FileUrl target = local.write("ziel.txt", "alt");
    curl.answer(1, "abgebrochen", "curl: (18) transfer closed with 5 bytes remaining to read\n", 18);
    EXPECT_TRUE(failureOf(provider.download(QStringLiteral("/q.txt"), target)).endsWith(u"remaining to read"));
    EXPECT_EQ(treeOf(local.url().path()), (QMap<QString, QByteArray>{{"/ziel.txt", "alt"}}));
}

// Qt lets a waiter run a task that has not started on its own thread; the
// provider's commands must still run one after the other.
TEST_F(CurlStandInTest, WaitingForAQueuedCommandNeverRunsItBesideTheRunningOne)
{
    curl.delay(1, 1);
    const QFuture<void> first = provider.createDirectory(QStringLiteral("/a"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !curl.calls().isEmpty(); }, 30000));
    provider.createDirectory(QStringLiteral("/b")).waitForFinished();
    EXPECT_TRUE(first.isFinished());
}

TEST(CurlRemoteProvider, MissingCurlIsAClearErrorAProbeNeverFails)
{
    CurlRemoteProvider provider(ftpProfile(), QStringLiteral("pw"), "/nonexistent/bin/curl");
    EXPECT_THROW(provider.list(QStringLiteral("/")).waitForFinished(), ProcessStartError);
    EXPECT_FALSE(provider.probeDirectory(QStringLiteral("/")).result());
}

TEST(CurlRemoteProvider, CancellingOrClosingEndsTheRunningCurlAtOnce)
{
    CurlStandIn curl;
    curl.delay(1, 30);
    curl.delay(2, 30);
    QFuture<QList<RemoteEntry>> cancelled, running, queued;
    const auto started = std::chrono::steady_clock::now();
    {
        CurlRemoteProvider provider(ftpProfile(), QStringLiteral("pw"), curl.path());
        cancelled = provider.list(QStringLiteral("/"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !curl.calls().isEmpty(); }, 30000));
        cancelled.cancel();
        running = provider.list(QStringLiteral("/"));
        queued = provider.list(QStringLiteral("/"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return curl.calls().size() == 2; }, 30000));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << "closing must not wait for curl";
    EXPECT_THROW(running.waitForFinished(), CancellationError);
    EXPECT_THROW(queued.waitForFinished(), CancellationError);
    EXPECT_EQ(curl.calls().size(), 2);
}

// Onto curl's standard input, and nowhere else.
TEST(CurlSecrets, RunningCurlHasThePasswordOnlyOnItsStandardInput)
{
    // Takes the connection and never greets: curl keeps waiting until it closes.
    std::optional<LoopbackListener> silent(std::in_place);
    RemoteProfile profile = ftpProfile();
    profile.host = QStringLiteral("127.0.0.1");
    profile.port = silent->port();
    profile.username = QStringLiteral("anna");
    CurlRemoteProvider provider(profile, QStringLiteral("Geheim-\"4711\"-Wort"));
    QFuture<QList<RemoteEntry>> listing = provider.list(QStringLiteral("/"));
    pid_t curl = 0;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (const pid_t child : SftpServer::childrenOf(getpid()))
            curl = procFile(child, "comm") == "curl\n" ? child : curl;
        return curl != 0 || listing.isFinished();
    }, 30000));
    ASSERT_NE(curl, 0) << "curl lief nicht";
    const QByteArray commandLine = procFile(curl, "cmdline");
    const QByteArray environment = procFile(curl, "environ");
    const QByteArray input = QFile::symLinkTarget(QStringLiteral("/proc/%1/fd/0").arg(curl)).toUtf8();
    silent.reset(); // the waiting connection is reset, curl gives up

    EXPECT_TRUE(commandLine.startsWith(QByteArray("/usr/bin/curl\0", 14))) << commandLine.constData();
    EXPECT_TRUE(commandLine.contains("--config")) << commandLine.constData();
    EXPECT_FALSE(environment.isEmpty());
    EXPECT_FALSE(commandLine.contains("4711") || environment.contains("4711"));
    EXPECT_TRUE(input.contains("pipe:")) << input.constData();
    EXPECT_THROW(listing.waitForFinished(), BrenvikError);
}

} // namespace
