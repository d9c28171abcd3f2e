// The OpenSSH transport against the loopback OpenSSH server: sessions, log-in,
// hostile names, failures and tree operations.
#include "support/RemoteChecks.h"

#include "platform/ChildProcess.h"
#include "remote/CredentialStore.h"
#include "remote/HostKeyLineCache.h"
#include "remote/CurlRemoteProvider.h"
#include "remote/HostKeyScanner.h"
#include "remote/KnownHostLine.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/RemoteTransportError.h"
#include "remote/RemoteTree.h"
#include "remote/SftpTransportError.h"
#include "support/SecretService.h"
#include "support/SftpServer.h"
#include "support/TestEnvironment.h"

#include <QDeadlineTimer>
#include <QSet>
#include <QUuid>
#include <csignal>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Logs in the way users do: the password lies in the (private) keychain and
// reaches sftp only through the real executable in its askpass mode.
class Sftp : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SftpServer::local())
            GTEST_SKIP() << SftpServer::missingMessage;
        SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
        server = *SftpServer::local();
        profile = server.profile();
        CredentialStore::forApplication().save(server.password, profile.id);
    }
    void TearDown() override
    {
        if (!IsSkipped())
            CredentialStore::forApplication().remove(profile.id);
    }

    static SftpTools tools() { return {"/usr/bin/sftp", {}, BRENVIK_EXECUTABLE}; }
    std::unique_ptr<OpenSSHSFTPTransport> transport() const { return std::make_unique<OpenSSHSFTPTransport>(profile, tools()); }

    SftpTestServer server;
    RemoteProfile profile;
};

using namespace std::chrono_literals;

const QString closedByServer = QStringLiteral("SFTP-Vorgang fehlgeschlagen: Die SFTP-Sitzung wurde vom Server geschlossen.");

qint64 ioCount(pid_t pid, const QByteArray& field)
{
    for (const QByteArray& line : procFile(pid, "io").split('\n'))
        if (line.startsWith(field + ": "))
            return line.mid(field.size() + 2).toLongLong();
    return -1;
}
qint64 bytesRead(pid_t pid) { return ioCount(pid, "rchar"); }
qint64 bytesWritten(pid_t pid) { return ioCount(pid, "wchar"); }

void signalAll(const QList<pid_t>& pids, int signal)
{
    for (const pid_t pid : pids)
        ::kill(pid, signal);
}

TEST_F(Sftp, PinsAreCheckedBeforeSftpStarts)
{
    // sftp cannot start: reaching it would be ProcessStartError.
    SftpTools noSftp = tools();
    noSftp.sftp = "/nonexistent/sftp";
    for (const QString& pin : {QStringLiteral("  "), QStringLiteral("AAAAC3NzaC1lZDI1NTE5"),
                               QStringLiteral("SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA")}) {
        RemoteProfile pinned = profile;
        pinned.expectedHostKey = pin;
        OpenSSHSFTPTransport sftp(pinned, noSftp);
        EXPECT_EQ(failureKind<SFTPTransportError>([&] { sftp.list(QStringLiteral("/")); }),
                  pin.startsWith(u"SHA256:") ? SFTPTransportError::Kind::hostKeyMismatch
                                             : SFTPTransportError::Kind::missingHostKey);
        EXPECT_FALSE(sftp.knownHostsFile());
    }
    // A line remembered from an earlier run whose key the server no longer has:
    // the refused log-in is named as the changed key, and the line is forgotten.
    std::optional<KnownHostLine> gone = KnownHostLine::parse(
        HostKeyScanner::verifiedLine(profile.host, server.port, server.fingerprint).line);
    ASSERT_TRUE(gone);
    gone->key.back() = char(gone->key.back() ^ 1);
    HostKeyLineCache::shared().keep(profile.host, server.port, gone->fingerprint(), gone->text());
    profile.expectedHostKey = gone->fingerprint();
    EXPECT_EQ(failureKind<SFTPTransportError>([&] { transport()->list(QStringLiteral("/")); }),
              SFTPTransportError::Kind::hostKeyMismatch);
    EXPECT_FALSE(HostKeyLineCache(HostKeyLineCache::shared().file()).line(profile.host, server.port, gone->fingerprint()));
    // A pin copied with blanks and a line break around it is the same pin.
    profile.expectedHostKey = QStringLiteral("  ") + server.fingerprint + QStringLiteral(" \n");
    EXPECT_FALSE(transport()->list(QStringLiteral("/")).isEmpty());
}

TEST_F(Sftp, OneProcessServesAllOperationsUntilDisconnect)
{
    auto sftp = transport();
    sftp->list(QStringLiteral("/"));
    const pid_t first = sftp->sessionProcessId();
    const QByteArray knownHosts = sftp->knownHostsFile().value_or("");
    struct stat status {};
    ASSERT_EQ(::stat(knownHosts.constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    sftp->probeDirectory(QStringLiteral("/"));
    sftp->list(QStringLiteral("/home"));
    EXPECT_EQ(sftp->sessionProcessId(), first);

    sftp->disconnect();
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(knownHosts)));
    EXPECT_EQ(::kill(first, 0), -1);
    sftp->list(QStringLiteral("/"));
    EXPECT_NE(sftp->sessionProcessId(), first);
    const QByteArray second = sftp->knownHostsFile().value_or("");
    sftp.reset(); // dropping the transport also cleans up
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(second)));
}

TEST_F(Sftp, PasswordAppearsInNoArgumentEnvironmentOrFile)
{
    auto sftp = transport();
    sftp->list(QStringLiteral("/"));
    const pid_t session = sftp->sessionProcessId();
    QList<pid_t> processes = SftpServer::childrenOf(session);
    ASSERT_FALSE(processes.isEmpty()) << "sftp runs ssh";
    const QByteArray password = server.password.toUtf8();
    for (const pid_t pid : processes << session) {
        const QByteArray arguments = procFile(pid, "cmdline");
        ASSERT_FALSE(arguments.isEmpty());
        EXPECT_FALSE(arguments.contains(password)) << arguments.constData();
        EXPECT_FALSE(procFile(pid, "environ").contains(password));
    }
    for (QDirIterator files(qEnvironmentVariable("TMPDIR"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         files.hasNext();) {
        QFile file(files.next());
        EXPECT_FALSE(file.open(QIODevice::ReadOnly) && file.readAll().contains(password)) << file.fileName().toStdString();
    }
}

TEST_F(Sftp, WrongPasswordIsAskedForOnceAndNamedAsTheReason)
{
    TempFolder folder;
    const FileUrl count = folder.file("askpass-calls");
    const FileUrl wrapper = folder.write("askpass", "#!/bin/sh\necho call >> '" + count.nativePath() + "'\nexec '"
                                                        + QByteArray(BRENVIK_EXECUTABLE) + "' \"$@\"\n");
    ::chmod(wrapper.nativePath().constData(), 0755);
    SftpTools counted = tools();
    counted.askpass = wrapper.nativePath();
    CredentialStore::forApplication().save(QStringLiteral("falschx"), profile.id);

    OpenSSHSFTPTransport sftp(profile, counted);
    EXPECT_EQ(failureOf([&] { sftp.list(QStringLiteral("/")); }),
              closedByServer + QStringLiteral("\nLetzte Meldung: brvk@127.0.0.1: Permission denied (password)."));
    QFile calls(QString::fromUtf8(count.nativePath()));
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    EXPECT_EQ(calls.readAll(), "call\n");
    CredentialStore::forApplication().save(server.password, profile.id);
    EXPECT_FALSE(sftp.list(QStringLiteral("/")).isEmpty());
}

TEST_F(Sftp, UnansweredOrKilledServerEndsTheCommandAndTheNextOperationReconnects)
{
    profile.timeout = 1; // the shortest wait for a command: 5 seconds
    auto sftp = transport();
    const auto freezeServer = [&] {
        sftp->list(QStringLiteral("/"));
        const QList<pid_t> serving = SftpServer::serverProcessesOf(sftp->sessionProcessId());
        EXPECT_FALSE(serving.isEmpty());
        signalAll(serving, SIGSTOP);
        return serving;
    };
    QList<pid_t> serving = freezeServer();
    pid_t session = sftp->sessionProcessId();
    EXPECT_EQ(failureKind<SFTPTransportError>([&] { sftp->list(QStringLiteral("/")); }), SFTPTransportError::Kind::timeout);
    signalAll(serving, SIGKILL);
    EXPECT_EQ(::kill(session, 0), -1) << "the unanswered sftp was ended";
    EXPECT_FALSE(sftp->list(QStringLiteral("/")).isEmpty());

    profile.timeout = 30; // the kill, not the time-out, ends this command
    sftp = transport();
    serving = freezeServer();
    session = sftp->sessionProcessId();
    const qint64 readBefore = bytesRead(session);
    auto listing = std::async(std::launch::async, [&] { sftp->list(QStringLiteral("/")); });
    // Once sftp has read the command it waits for the frozen server.
    for (int i = 0; i < 1000 && bytesRead(session) == readBefore; ++i)
        std::this_thread::sleep_for(10ms);
    signalAll(serving, SIGKILL);
    const QString closed = failureOf([&] { listing.get(); });
    EXPECT_TRUE(closed.startsWith(closedByServer + QStringLiteral("\nLetzte Meldung: "))) << closed.toStdString();
    EXPECT_EQ(sftp->sessionProcessId(), -1);
    EXPECT_FALSE(sftp->list(QStringLiteral("/")).isEmpty());
}

QByteArray uniqueName(const char* prefix)
{
    return prefix + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
}

TEST_F(Sftp, HostileNamesSurviveEveryOperation)
{
    const QString folder = server.makeFolder(uniqueName("names-"));
    QStringList hostile{"a b", "q\"uote", "back\\slash", "-dash", "sftp> x", "__BRVK_DONE_0__", "Ü ö.txt",
                        "tab\tname", "  lead", "trail ", "star*", "100%", "'single'", "$HOME"};
    TempFolder local;
    auto sftp = transport();
    for (const QString& name : hostile)
        sftp->upload(local.write("up", "Inhalt " + name.toUtf8()), folder + u'/' + name);
    QStringList listed;
    for (const RemoteEntry& entry : sftp->list(folder))
        listed.append(entry.name);
    listed.sort();
    hostile.sort();
    EXPECT_EQ(listed, hostile);

    for (const QString& name : hostile) {
        const QString remote = folder + u'/' + name;
        sftp->download(remote, local.file("down"));
        EXPECT_EQ(contentsOf(local.file("down").path()), "Inhalt " + name.toUtf8()) << name.toStdString();
        sftp->rename(remote, remote + QStringLiteral(" neu"));
        EXPECT_EQ(contentsOf(QString::fromUtf8(server.localPath((remote + QStringLiteral(" neu")).toUtf8()))),
                  "Inhalt " + name.toUtf8());
        sftp->deleteEntry(remote + QStringLiteral(" neu"), false);
    }
    EXPECT_TRUE(sftp->list(folder).isEmpty());
    // No download left a partial file behind.
    EXPECT_EQ(QDir(local.url().path()).entryList(QDir::Hidden | QDir::Files), (QStringList{"down", "up"}));
}

TEST_F(Sftp, EveryOperationsFailureCarriesSftpsOwnWordsAndChangesNothing)
{
    const QByteArray folder = server.makeFolder(uniqueName("fail-")).toUtf8();
    const QString remote = QString::fromUtf8(folder);
    server.writeFile(folder + "/datei", "eins");
    server.writeFile(folder + "/andere", "zwei");
    server.makeFolder(folder.mid(1) + "/voll");
    server.makeFolder(folder.mid(1) + "/leer");
    server.writeFile(folder + "/voll/x", "x");
    TempFolder local;
    const FileUrl existing = local.write("vorhanden", "alt");
    auto sftp = transport();
    sftp->list(remote);
    const pid_t session = sftp->sessionProcessId();
    const auto at = [&](const char* name) { return remote + QString::fromUtf8(name); };
    for (const auto& [words, operation] : QList<std::pair<const char*, std::function<void()>>>{
             {"not found", [&] { sftp->list(at("/fehlt")); }},
             {"not found", [&] { sftp->download(at("/fehlt"), existing); }},
             {"No such file", [&] { sftp->upload(local.file("fehlt"), at("/neu")); }},
             {"No such file", [&] { sftp->upload(existing, at("/fehlt/neu")); }},
             {"Failure", [&] { sftp->createDirectory(at("/voll")); }},
             {"No such file", [&] { sftp->deleteEntry(at("/fehlt"), false); }},
             {"Failure", [&] { sftp->deleteEntry(at("/voll"), true); }},
             {"", [&] { sftp->deleteEntry(at("/voll"), false); }},
             // A rename never replaces what is there, neither a file nor a folder.
             {"", [&] { sftp->rename(at("/datei"), at("/andere")); }},
             {"", [&] { sftp->rename(at("/leer"), at("/voll")); }},
         }) {
        EXPECT_EQ(failureKind<SFTPTransportError>(operation), SFTPTransportError::Kind::command) << words;
        EXPECT_TRUE(failureOf(operation).contains(QString::fromUtf8(words))) << words;
    }
    EXPECT_EQ(contentsOf(existing.path()), "alt");
    for (const auto& [name, contents] : {std::pair{"/andere", "zwei"}, std::pair{"/datei", "eins"}, std::pair{"/voll/x", "x"}})
        EXPECT_EQ(contentsOf(QString::fromUtf8(server.localPath(folder + name))), contents);
    EXPECT_TRUE(sftp->probeDirectory(at("/voll")));
    EXPECT_FALSE(sftp->probeDirectory(at("/datei")));
    EXPECT_FALSE(sftp->probeDirectory(at("/fehlt")));
    EXPECT_EQ(sftp->sessionProcessId(), session) << "failed commands leave the session as it was";
}

TEST_F(Sftp, TreeOperationsNeverEnterLinksNorActOnNamesSftpCannotShowExactly)
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

    EXPECT_EQ(failureKind<RemoteTransportError>([&] { RemoteTree::remove(*sftp, folder, {}); }),
              RemoteTransportError::Kind::unreadableNames);
    EXPECT_EQ(failureKind<RemoteTransportError>([&] { RemoteTree::download(*sftp, folder, local.file("a"), {}); }),
              RemoteTransportError::Kind::unreadableNames);
    EXPECT_EQ(contentsOf(QString::fromUtf8(there + "/gut.txt")), "gut") << "refused before acting";

    ::unlink((there + forging).constData());
    ::unlink((there + "/esc\x1b").constData());
    EXPECT_TRUE(failureOf([&] { RemoteTree::download(*sftp, folder, local.file("b"), {}); })
                    .endsWith(u'\n' + folder + QStringLiteral("/zu-ordner")));
    EXPECT_EQ(contentsOf(local.file("b/zu-datei").path()), "gut");
    EXPECT_FALSE(QFile::exists(local.file("b/zu-ordner").path()));
    RemoteTree::remove(*sftp, folder, {});
    EXPECT_FALSE(QFile::exists(QString::fromUtf8(there)));
    EXPECT_EQ(contentsOf(QString::fromUtf8(server.localPath(outside.toUtf8() + "/bleibt.txt"))), "bleibt");
}

// Big batches are shared with a second session as soon as it has logged in; a
// failure in either session leaves exactly the files reported in place.
TEST_F(Sftp, BigBatchesAreSharedWithASecondSessionAndAFailureLeavesExactlyWhatArrived)
{
    constexpr int count = 40;
    const QString folder = server.makeFolder(uniqueName("zwei-"));
    for (int i = 0; i < count; ++i)
        server.writeFile(folder.toUtf8() + "/f" + QByteArray::number(i), QByteArray::number(i));
    TempFolder local;
    auto sftp = transport();
    QSet<qsizetype> arrived;
    // Into a fresh folder; the file at `missing` is asked for under a name the server lacks.
    const auto fetch = [&](const QByteArray& into, int missing = -1) {
        QList<FileDownload> files;
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("f%1").arg(i);
            files.append({folder + u'/' + (i == missing ? QStringLiteral("fehlt") : name),
                          local.makeFolder(into).appending(name.toUtf8())});
        }
        arrived.clear();
        sftp->downloadFiles(files, [&](qsizetype i) { EXPECT_FALSE(arrived.contains(i)); arrived.insert(i); });
    };
    const auto arrivedTree = [&] {
        QMap<QString, QByteArray> tree;
        for (const qsizetype i : arrived)
            tree.insert(QStringLiteral("/f%1").arg(i), QByteArray::number(i));
        return tree;
    };
    fetch("eins");
    EXPECT_EQ(arrived.size(), count);
    const QDeadlineTimer loggedIn(30s);
    while (sftp->secondSessionProcessId() == -1 && !loggedIn.hasExpired())
        std::this_thread::sleep_for(20ms);
    const pid_t second = sftp->secondSessionProcessId();
    ASSERT_NE(second, -1);
    const qint64 writtenBefore = bytesWritten(second);
    fetch("zwei");
    EXPECT_EQ(treeOf(local.file("zwei").path()), arrivedTree());
    EXPECT_EQ(arrived.size(), count);
    EXPECT_GT(bytesWritten(second), writtenBefore) << "the second session carried files";

    EXPECT_TRUE(failureOf([&] { fetch("drei", 25); }).contains(folder + QStringLiteral("/fehlt")));
    EXPECT_FALSE(arrived.contains(25));
    EXPECT_EQ(treeOf(local.file("drei").path()), arrivedTree()) << "nothing half-written, nothing unreported";
    fetch("vier");
    EXPECT_EQ(treeOf(local.file("vier").path()), treeOf(local.file("zwei").path()));
}

// The provider hands SFTP profiles to this transport: tree operations work as over FTP.
TEST_F(Sftp, ProviderTreesTravelBothWaysAndAreReplacedOnlyWhenComplete)
{
    const QString folder = server.makeFolder(uniqueName("tree-")) + QStringLiteral("/kopie");
    const QString onServer = QString::fromUtf8(server.localPath(folder.toUtf8()));
    TempFolder local;
    local.write("quelle/a b.txt", "eins");
    local.write("quelle/.versteckt", "zwei");
    local.write("quelle/unter/-tief \"q\".txt", "drei");
    local.makeFolder("quelle/leer");
    CurlRemoteProvider provider(profile, QString(), CurlRemoteProvider::systemCurl, tools());
    provider.uploadTree(local.file("quelle"), folder).waitForFinished();
    const QMap<QString, QByteArray> uploaded = treeOf(onServer);
    EXPECT_EQ(uploaded, treeOf(local.file("quelle").path()));
    provider.downloadTree(folder, local.file("zurueck")).waitForFinished();
    EXPECT_EQ(treeOf(local.file("zurueck").path()), uploaded);

    // No temporary name is left behind.
    provider.uploadReplacing(local.write("neu.txt", "neu"), folder + QStringLiteral("/a b.txt")).waitForFinished();
    EXPECT_EQ(contentsOf(onServer + QStringLiteral("/a b.txt")), "neu");
    EXPECT_EQ(treeOf(onServer).keys(), uploaded.keys());
    provider.deleteTree(folder).waitForFinished();
    EXPECT_FALSE(QFile::exists(onServer));
}

} // namespace
