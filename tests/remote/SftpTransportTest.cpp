#include "SftpFixture.h"

#include "remote/RemoteTransportError.h"
#include "remote/RemoteTree.h"
#include "remote/SftpTransportError.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readLocal(const FileUrl& file)
{
    QFile in(QString::fromUtf8(file.nativePath()));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<fehlt>");
}

QStringList names(const QList<RemoteEntry>& entries)
{
    QStringList result;
    for (const RemoteEntry& entry : entries)
        result.append(entry.name);
    result.sort();
    return result;
}

QByteArray uniqueName(const char* prefix)
{
    return prefix + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
}

template <typename Body>
QString sftpFailure(Body body)
{
    try {
        body();
    } catch (const SFTPTransportError& error) {
        EXPECT_EQ(error.kind(), SFTPTransportError::Kind::command) << error.description().toStdString();
        return error.description();
    }
    ADD_FAILURE() << "the operation succeeded";
    return {};
}

class SftpTransport : public SftpFixture {};

TEST_F(SftpTransport, HostileNamesSurviveEveryOperation)
{
    const QString folder = server.makeFolder(uniqueName("names-"));
    const QList<QByteArray> hostile{"a b",    "q\"uote",  "back\\slash", "-dash",     "sftp> x",
                                    "__BRVK_DONE_0__", "Ü ö.txt", "tab\tname", "  lead", "trail ",
                                    "star*",  "100%",     "'single'",   "$HOME"};
    TempFolder local;
    auto sftp = transport();
    for (const QByteArray& name : hostile)
        sftp->upload(local.write("up-" + QByteArray::number(hostile.indexOf(name)), "Inhalt " + name),
                     folder + u'/' + QString::fromUtf8(name));

    QStringList expected;
    for (const QByteArray& name : hostile)
        expected.append(QString::fromUtf8(name));
    expected.sort();
    EXPECT_EQ(names(sftp->list(folder)), expected);

    for (qsizetype i = 0; i < hostile.size(); ++i) {
        const QString remote = folder + u'/' + QString::fromUtf8(hostile[i]);
        const FileUrl target = local.file("down-" + hostile[i]);
        sftp->download(remote, target);
        EXPECT_EQ(readLocal(target), "Inhalt " + hostile[i]) << hostile[i].constData();
        sftp->rename(remote, remote + QStringLiteral(" neu"));
        EXPECT_EQ(QFile(QString::fromUtf8(server.localPath((remote + QStringLiteral(" neu")).toUtf8()))).size(),
                  hostile[i].size() + 7)
            << hostile[i].constData();
    }
    for (const QByteArray& name : hostile)
        sftp->deleteEntry(folder + u'/' + QString::fromUtf8(name) + QStringLiteral(" neu"), false);
    EXPECT_TRUE(sftp->list(folder).isEmpty());
    // No download left a partial file behind.
    EXPECT_EQ(QDir(QString::fromUtf8(local.path())).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".brvk-")),
              QStringList());
}

TEST_F(SftpTransport, EveryOperationsFailureCarriesSftpsOwnWords)
{
    const QString folder = server.makeFolder(uniqueName("fail-"));
    server.writeFile(folder.toUtf8() + "/datei", "eins");
    server.writeFile(folder.toUtf8() + "/andere", "zwei");
    server.makeFolder(folder.mid(1).toUtf8() + "/voll");
    server.writeFile(folder.toUtf8() + "/voll/x", "x");
    TempFolder local;
    const FileUrl existing = local.write("vorhanden", "alt");
    auto sftp = transport();
    sftp->list(folder);
    const pid_t session = sftp->sessionProcessId();

    EXPECT_TRUE(sftpFailure([&] { sftp->list(folder + QStringLiteral("/fehlt")); }).contains(u"not found"));
    EXPECT_TRUE(sftpFailure([&] { sftp->download(folder + QStringLiteral("/fehlt"), existing); })
                    .contains(u"not found"));
    EXPECT_EQ(readLocal(existing), "alt");
    EXPECT_TRUE(sftpFailure([&] { sftp->upload(local.file("fehlt"), folder + QStringLiteral("/neu")); })
                    .contains(u"No such file"));
    EXPECT_TRUE(sftpFailure([&] { sftp->upload(existing, folder + QStringLiteral("/fehlt/neu")); })
                    .contains(u"No such file"));
    EXPECT_TRUE(sftpFailure([&] { sftp->createDirectory(folder + QStringLiteral("/voll")); }).contains(u"Failure"));
    EXPECT_TRUE(sftpFailure([&] { sftp->deleteEntry(folder + QStringLiteral("/fehlt"), false); })
                    .contains(u"No such file"));
    EXPECT_TRUE(sftpFailure([&] { sftp->deleteEntry(folder + QStringLiteral("/voll"), true); }).contains(u"Failure"));
    EXPECT_FALSE(sftpFailure([&] { sftp->deleteEntry(folder + QStringLiteral("/voll"), false); }).isEmpty());

    // A rename never replaces what is there, neither a file nor a folder.
    EXPECT_FALSE(sftpFailure([&] { sftp->rename(folder + QStringLiteral("/datei"), folder + QStringLiteral("/andere")); })
                     .isEmpty());
    server.makeFolder(folder.mid(1).toUtf8() + "/leer");
    EXPECT_FALSE(sftpFailure([&] { sftp->rename(folder + QStringLiteral("/leer"), folder + QStringLiteral("/voll")); })
                     .isEmpty());
    EXPECT_EQ(readLocal(FileUrl::fromNativePath(server.localPath(folder.toUtf8() + "/andere"))), "zwei");
    EXPECT_EQ(readLocal(FileUrl::fromNativePath(server.localPath(folder.toUtf8() + "/datei"))), "eins");
    EXPECT_EQ(readLocal(FileUrl::fromNativePath(server.localPath(folder.toUtf8() + "/voll/x"))), "x");

    // What the account may not touch.
    server.writeFile(folder.toUtf8() + "/geheim", "geheim");
    ::chown(server.localPath(folder.toUtf8() + "/geheim").constData(), 0, 0);
    ::chmod(server.localPath(folder.toUtf8() + "/geheim").constData(), 0600);
    EXPECT_TRUE(sftpFailure([&] { sftp->download(folder + QStringLiteral("/geheim"), existing); })
                    .contains(u"Permission denied"));
    server.makeFolder(folder.mid(1).toUtf8() + "/fremd");
    ::chown(server.localPath(folder.toUtf8() + "/fremd").constData(), 0, 0);
    EXPECT_TRUE(sftpFailure([&] { sftp->upload(existing, folder + QStringLiteral("/fremd/neu")); })
                    .contains(u"Permission denied"));
    EXPECT_EQ(readLocal(existing), "alt");

    EXPECT_TRUE(sftp->probeDirectory(folder + QStringLiteral("/voll")));
    EXPECT_FALSE(sftp->probeDirectory(folder + QStringLiteral("/datei")));
    EXPECT_FALSE(sftp->probeDirectory(folder + QStringLiteral("/fehlt")));
    // Failed commands leave the session as it was.
    EXPECT_EQ(sftp->sessionProcessId(), session);
}

TEST_F(SftpTransport, TreeOperationsNeverEnterLinksNorActOnNamesSftpCannotShowExactly)
{
    // Below a folder of its own: the parent is listed too, and others' tests
    // change the served root meanwhile.
    const QString base = server.makeFolder(uniqueName("hostile-"));
    const QString folder = server.makeFolder(base.mid(1).toUtf8() + "/baum");
    const QString outside = server.makeFolder(base.mid(1).toUtf8() + "/aussen");
    server.writeFile(outside.toUtf8() + "/bleibt.txt", "bleibt");
    server.writeFile(folder.toUtf8() + "/gut.txt", "gut");
    const QByteArray there = server.localPath(folder.toUtf8());
    ASSERT_EQ(::symlink("../aussen", (there + "/zu-ordner").constData()), 0);
    ASSERT_EQ(::symlink("gut.txt", (there + "/zu-datei").constData()), 0);
    // A name whose second line claims the link is a folder, and one that sftp
    // shows with an escape.
    const QByteArray forging = "/x\ndrwxr-xr-x    ? brvk     brvk  4096 Dec  6 08:22 zu-ordner";
    server.writeFile(folder.toUtf8() + forging, "1");
    server.writeFile(folder.toUtf8() + "/esc\x1b", "2");
    auto sftp = transport();
    TempFolder local;

    for (const auto& operation : QList<std::function<void()>>{
             [&] { RemoteTree::remove(*sftp, folder, {}); },
             [&] { RemoteTree::download(*sftp, folder, local.file("a"), {}); }}) {
        try {
            operation();
            ADD_FAILURE() << "kein Fehler";
        } catch (const RemoteTransportError& error) {
            EXPECT_EQ(error.kind(), RemoteTransportError::Kind::unreadableNames) << error.what();
        }
    }
    EXPECT_EQ(readLocal(FileUrl::fromNativePath(there + "/gut.txt")), "gut") << "refused before acting";

    ::unlink((there + forging).constData());
    ::unlink((there + "/esc\x1b").constData());
    try {
        RemoteTree::download(*sftp, folder, local.file("b"), {});
        ADD_FAILURE() << "kein Fehler";
    } catch (const RemoteTransportError& error) {
        EXPECT_EQ(error.kind(), RemoteTransportError::Kind::linksLeftOut);
        EXPECT_TRUE(error.description().endsWith(folder + QStringLiteral("/zu-ordner"))) << error.what();
    }
    EXPECT_EQ(readLocal(local.file("b/zu-datei")), "gut");
    EXPECT_FALSE(QFile::exists(local.file("b/zu-ordner").path()));
    RemoteTree::remove(*sftp, folder, {});
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(there)));
    EXPECT_EQ(readLocal(FileUrl::fromNativePath(server.localPath(outside.toUtf8() + "/bleibt.txt"))), "bleibt");
}

} // namespace
