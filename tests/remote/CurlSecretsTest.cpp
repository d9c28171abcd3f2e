// Where the password goes: onto curl's standard input, and nowhere else.
#include "core/BrenvikError.h"
#include "remote/CurlRemoteProvider.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A child of this process whose command name is "curl"; 0 when there is none yet.
pid_t runningCurl()
{
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const pid_t pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        const QByteArray stat = contentsOf(QStringLiteral("/proc/%1/stat").arg(pid));
        const qsizetype close = stat.lastIndexOf(')');
        if (close < 0 || !stat.contains("(curl)"))
            continue;
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == getpid())
            return pid;
    }
    return 0;
}

TEST(CurlSecrets, RunningCurlHasThePasswordOnlyOnItsStandardInput)
{
    // A server that takes the connection and never greets keeps curl waiting:
    // the kernel accepts into the backlog although nobody calls accept().
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

    RemoteProfile profile;
    profile.kind = RemoteProtocolKind::ftp;
    profile.host = QStringLiteral("127.0.0.1");
    profile.port = ntohs(address.sin_port);
    profile.username = QStringLiteral("anna");
    const QString password = QStringLiteral("Geheim-\"4711\"-Wort");
    CurlRemoteProvider provider(profile, password);
    QFuture<QList<RemoteEntry>> listing = provider.list(QStringLiteral("/"));

    pid_t curl = 0;
    for (int attempt = 0; attempt < 2000 && !curl && !listing.isFinished(); ++attempt) {
        QThread::msleep(5);
        curl = runningCurl();
    }
    ASSERT_NE(curl, 0) << "curl lief nicht";
    const QByteArray commandLine = contentsOf(QStringLiteral("/proc/%1/cmdline").arg(curl));
    const QByteArray environment = contentsOf(QStringLiteral("/proc/%1/environ").arg(curl));
    const QByteArray input = QFile::symLinkTarget(QStringLiteral("/proc/%1/fd/0").arg(curl)).toUtf8();
    close(listener); // the waiting connection is reset, curl gives up

    EXPECT_TRUE(commandLine.startsWith(QByteArray("/usr/bin/curl\0--silent", 22))) << commandLine.constData();
    EXPECT_TRUE(commandLine.contains("--config")) << commandLine.constData();
    EXPECT_FALSE(environment.isEmpty());
    for (const QByteArray& secret : {password.toUtf8(), QByteArray("4711")}) {
        EXPECT_FALSE(commandLine.contains(secret));
        EXPECT_FALSE(environment.contains(secret));
    }
    EXPECT_TRUE(input.contains("pipe:")) << input.constData();
    EXPECT_THROW(listing.waitForFinished(), BrenvikError);
}

} // namespace
