// A server whose listings the test crafts: what it lists must never make a tree
// operation act outside the folder it was given, nor grow without bound.
#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteTransportError.h"

#include "support/RemoteChecks.h"
#include "support/FtpServers.h"
#include "support/TestEnvironment.h"

#include <QUuid>

namespace {

QByteArray fileLine(const QByteArray& name)
{
    return "-rw-r--r--   1 owner    group           5 Jan 01 00:00 " + name + "\r\n";
}

void put(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

class CurlCraftedListing : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = FtpServers::crafted();
        if (!server)
            GTEST_SKIP() << FtpServers::missingMessage;
        base = QStringLiteral("/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        provider.emplace(server->profile(RemoteProtocolKind::ftp), server->password);
    }

    QString onServer(const QString& relative) const { return QString::fromUtf8(server->root) + base + relative; }

    std::optional<FtpTestServer> server;
    QString base;
    std::optional<CurlRemoteProvider> provider;
};

TEST_F(CurlCraftedListing, NameLeadingOutOfTheFolderStopsDownloadAndDeleteBeforeAnything)
{
    // The file the crafted name points at exists, so that following it would work.
    put(onServer(QStringLiteral("/entkommen.txt")), "boese");
    put(onServer(QStringLiteral("/fall/harmlos.txt")), "harmlos");
    put(onServer(QStringLiteral("/fall/.crafted-list")), fileLine("harmlos.txt") + fileLine("../entkommen.txt"));
    TempFolder local;
    // One level down, so that "../x" would still land in the test's folder.
    EXPECT_EQ(failureKind<RemoteTransportError>(provider->downloadTree(base + QStringLiteral("/fall"), local.file("tief/ziel"))),
              RemoteTransportError::Kind::unsafeEntryName);
    EXPECT_EQ(treeOf(local.url().path()).keys(), (QStringList{QStringLiteral("/tief"), QStringLiteral("/tief/ziel")}));

    EXPECT_EQ(failureKind<RemoteTransportError>(provider->deleteTree(base + QStringLiteral("/fall"))), RemoteTransportError::Kind::unsafeEntryName);
    EXPECT_TRUE(QFileInfo::exists(onServer(QStringLiteral("/entkommen.txt"))));
    EXPECT_TRUE(QFileInfo::exists(onServer(QStringLiteral("/fall/harmlos.txt"))));
}

TEST_F(CurlCraftedListing, EndlessListingsEndWithAClearErrorLargeOnesStillList)
{
    QByteArray large;
    for (int i = 0; i < 100'000; ++i)
        large += fileLine("datei-" + QByteArray::number(i));
    put(onServer(QStringLiteral("/gross/.crafted-list")), large);
    put(onServer(QStringLiteral("/endlos/.crafted-list")), QByteArray(1'000'100, '\n'));
    EXPECT_EQ(provider->list(base + QStringLiteral("/gross")).result().size(), 100'000);
    EXPECT_EQ(failureKind<RemoteTransportError>(provider->list(base + QStringLiteral("/endlos"))), RemoteTransportError::Kind::listingTooLarge);
}

} // namespace
