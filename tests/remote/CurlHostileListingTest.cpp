// A server whose listings the test crafts: names that are no plain entry names
// must never make a tree operation act outside the folder it was given.
#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteTransportError.h"

#include "support/FtpServers.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

struct Listing {
    const char* title;
    QByteArray list; // answer to LIST
    QByteArray nlst; // answer to NLST, when crafted too
};

QByteArray fileLine(const QByteArray& name)
{
    return "-rw-r--r--   1 owner    group           5 Jan 01 00:00 " + name + "\r\n";
}

const QList<Listing> hostileListings{
    {"parent folder", fileLine("../entkommen.txt"), {}},
    {"parent folder behind a folder", fileLine("sub/../../entkommen.txt"), {}},
    {"absolute path", fileLine("/entkommen.txt"), {}},
    {"slash only", fileLine("/"), {}},
    {"NUL inside", fileLine(QByteArray("..\0entkommen.txt", 16)), {}},
    {"good names first", fileLine("harmlos.txt") + fileLine("../entkommen.txt"), {}},
    {"names-only fallback", {}, "harmlos.txt\r\n../entkommen.txt\r\n"},
    {"names-only absolute", {}, "/etc/entkommen.txt\r\n"},
};

QStringList everythingBelow(const QString& root)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next().mid(root.size()));
    return found;
}

void put(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

class CurlHostileListingTest : public ::testing::TestWithParam<Listing> {
protected:
    void SetUp() override
    {
        server = FtpServers::crafted();
        if (!server)
            GTEST_SKIP() << FtpServers::missingMessage;
        base = QStringLiteral("/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        // The files the crafted names point at exist, so that following them would work.
        ASSERT_TRUE(QDir().mkpath(onServer(base + QStringLiteral("/fall/sub"))));
        put(onServer(base + QStringLiteral("/entkommen.txt")), "boese");
        put(onServer(base + QStringLiteral("/fall/harmlos.txt")), "harmlos");
        put(onServer(base + QStringLiteral("/fall/.crafted-list")), GetParam().list);
        if (!GetParam().nlst.isEmpty())
            put(onServer(base + QStringLiteral("/fall/.crafted-nlst")), GetParam().nlst);
        provider = std::make_unique<CurlRemoteProvider>(server->profile(RemoteProtocolKind::ftp), server->password);
    }

    QString onServer(const QString& remotePath) const { return QString::fromUtf8(server->root) + remotePath; }

    void expectRefused(QFuture<void> future)
    {
        try {
            future.waitForFinished();
            ADD_FAILURE() << "nicht abgelehnt";
        } catch (const RemoteTransportError& error) {
            // A names-only listing is refused for not telling links from folders.
            EXPECT_TRUE(error.kind() == RemoteTransportError::Kind::unsafeEntryName
                        || error.kind() == RemoteTransportError::Kind::untypedListing)
                << error.what();
        }
    }

    std::optional<FtpTestServer> server;
    QString base;
    std::unique_ptr<CurlRemoteProvider> provider;
    TempFolder local;
};

TEST_P(CurlHostileListingTest, DownloadWritesNothingOutsideItsFolder)
{
    // The destination lies one level down, so that "../x" would still land in the test's folder.
    const FileUrl destination = local.file("tief/ziel");
    expectRefused(provider->downloadTree(base + QStringLiteral("/fall"), destination));
    EXPECT_EQ(everythingBelow(local.url().path()), (QStringList{QStringLiteral("/tief"), QStringLiteral("/tief/ziel")}));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/entkommen.txt")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/etc/entkommen.txt")));
}

TEST_P(CurlHostileListingTest, DeleteRemovesNothingOutsideItsFolder)
{
    expectRefused(provider->deleteTree(base + QStringLiteral("/fall")));
    EXPECT_TRUE(QFileInfo::exists(onServer(base + QStringLiteral("/entkommen.txt"))));
    EXPECT_TRUE(QFileInfo::exists(onServer(base + QStringLiteral("/fall/harmlos.txt"))));
}

INSTANTIATE_TEST_SUITE_P(Listings, CurlHostileListingTest, ::testing::ValuesIn(hostileListings),
                         [](const auto& info) {
                             std::string name = info.param.title;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

TEST(CurlCraftedListing, EndlessListingsEndWithAClearErrorLargeOnesStillList)
{
    const auto server = FtpServers::crafted();
    if (!server)
        GTEST_SKIP() << FtpServers::missingMessage;
    const QString base = QStringLiteral("/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString root = QString::fromUtf8(server->root) + base;
    ASSERT_TRUE(QDir().mkpath(root + "/gross") && QDir().mkpath(root + "/endlos"));
    QByteArray large;
    for (int i = 0; i < 100'000; ++i)
        large += fileLine("datei-" + QByteArray::number(i));
    put(root + "/gross/.crafted-list", large);
    put(root + "/endlos/.crafted-list", QByteArray(1'000'100, '\n'));
    CurlRemoteProvider provider(server->profile(RemoteProtocolKind::ftp), server->password);
    EXPECT_EQ(provider.list(base + "/gross").result().size(), 100'000);
    try {
        provider.list(base + "/endlos").waitForFinished();
        ADD_FAILURE() << "kein Fehler";
    } catch (const RemoteTransportError& error) {
        EXPECT_EQ(error.kind(), RemoteTransportError::Kind::listingTooLarge);
    }
}

TEST(CurlCraftedListing, DotEntriesInAListingAreSkippedNotFollowed)
{
    const auto server = FtpServers::crafted();
    if (!server)
        GTEST_SKIP() << FtpServers::missingMessage;
    const QString base = QStringLiteral("/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString root = QString::fromUtf8(server->root) + base;
    ASSERT_TRUE(QDir().mkpath(root));
    put(root + QStringLiteral("/gut.txt"), "gut");
    put(root + QStringLiteral("/.crafted-list"),
        "drwxr-xr-x   2 owner    group        4096 Jan 01 00:00 .\r\n"
        "drwxr-xr-x   2 owner    group        4096 Jan 01 00:00 ..\r\n"
        + fileLine("gut.txt"));
    CurlRemoteProvider provider(server->profile(RemoteProtocolKind::ftp), server->password);
    TempFolder local;
    provider.downloadTree(base, local.file("ziel")).waitForFinished();
    EXPECT_EQ(everythingBelow(local.url().path()),
              (QStringList{QStringLiteral("/ziel"), QStringLiteral("/ziel/gut.txt")}));
}

} // namespace
