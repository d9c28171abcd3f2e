// The provider against Debian's ProFTPD: a real server's listing format, links
// shown as "name -> target", hidden names listed only on request.
#include "remote/CurlRemoteProvider.h"
#include "remote/RemoteTransportError.h"

#include "support/RemoteChecks.h"
#include "support/FtpServers.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUuid>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(Proftpd, TreesKeepHiddenNamesCurlSyntaxAndNeverEnterLinks)
{
    const std::optional<FtpTestServer> server = FtpServers::proftpd();
    if (!server)
        GTEST_SKIP() << "ProFTPD läuft nicht: scripts/services/proftpd.sh startet ihn.";
    const QString root = QString::fromUtf8(server->root);
    const QString base = u'/' + QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString outside = base + QStringLiteral("-aussen");
    const auto put = [&](const QString& path, const QByteArray& contents) {
        QDir().mkpath(QFileInfo(root + path).path());
        QFile file(root + path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    };
    put(base + "/.env", "geheim");
    put(base + "/a;type=i", "A");
    put(base + "/Fotos [2020]/x{a,b}.txt", "X");
    put(outside + "/bleibt.txt", "B");
    ASSERT_EQ(::symlink("Fotos [2020]/x{a,b}.txt", (root + base + "/zu-datei").toUtf8().constData()), 0);
    ASSERT_EQ(::symlink(("../" + outside.mid(1)).toUtf8().constData(), (root + base + "/zu-ordner").toUtf8().constData()), 0);
    // The server's sessions may run as another user: they own what they must delete.
    ASSERT_EQ(QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-hR"), "--reference=" + root, root + base}), 0);

    CurlRemoteProvider provider(server->profile(RemoteProtocolKind::ftp), server->password);
    QStringList names;
    for (const RemoteEntry& entry : provider.list(base).result())
        names.append(entry.name + (entry.isLink ? "@" : entry.isDirectory ? "/" : ""));
    EXPECT_EQ(names, QStringList({"Fotos [2020]/", ".env", "a;type=i", "zu-datei@", "zu-ordner@"}));

    TempFolder local;
    try {
        provider.downloadTree(base, local.file("d")).waitForFinished();
        ADD_FAILURE() << "kein Fehler";
    } catch (const RemoteTransportError& error) {
        EXPECT_EQ(error.kind(), RemoteTransportError::Kind::linksLeftOut);
        EXPECT_TRUE(error.description().endsWith(u'\n' + base + "/zu-ordner")) << error.what();
    }
    const QString d = local.file("d").path();
    EXPECT_EQ(contentsOf(d + "/.env"), "geheim");
    EXPECT_EQ(contentsOf(d + "/a;type=i"), "A");
    EXPECT_EQ(contentsOf(d + "/Fotos [2020]/x{a,b}.txt"), "X");
    EXPECT_EQ(contentsOf(d + "/zu-datei"), "X");
    EXPECT_FALSE(QFileInfo::exists(d + "/zu-ordner"));

    const QString uploaded = base + QStringLiteral("-hoch");
    provider.uploadTree(local.file("d"), uploaded).waitForFinished();
    EXPECT_EQ(contentsOf(root + uploaded + "/Fotos [2020]/x{a,b}.txt"), "X");
    EXPECT_EQ(contentsOf(root + uploaded + "/a;type=i"), "A");

    provider.deleteTree(base).waitForFinished();
    provider.deleteTree(uploaded).waitForFinished();
    EXPECT_FALSE(QFileInfo::exists(root + base));
    EXPECT_FALSE(QFileInfo::exists(root + uploaded));
    EXPECT_EQ(contentsOf(root + outside + "/bleibt.txt"), "B");
}

} // namespace
