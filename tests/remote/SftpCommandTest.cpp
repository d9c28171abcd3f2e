#include "remote/SftpCommand.h"
#include "remote/SftpTransportError.h"

#include <gtest/gtest.h>

namespace {

RemoteProfile sftpProfile()
{
    RemoteProfile profile;
    profile.id = QUuid(QStringLiteral("0f0e0d0c-0b0a-4900-8800-112233445566"));
    profile.host = QStringLiteral("sftp.example.org");
    profile.port = 2222;
    profile.username = QStringLiteral("anna");
    return profile;
}

QByteArray valueOf(const QList<QByteArray>& arguments, const QByteArray& option)
{
    for (const QByteArray& argument : arguments)
        if (argument.startsWith(option))
            return argument.mid(option.size());
    return "<absent>";
}

TEST(SftpCommand, PathsAreQuotedForSftpsParser)
{
    EXPECT_EQ(SftpCommand::quoted("/a b/c"), "\"/a b/c\"");
    EXPECT_EQ(SftpCommand::quoted("/q\"uote"), "\"/q\\\"uote\"");
    EXPECT_EQ(SftpCommand::quoted("/back\\slash"), "\"/back\\\\slash\"");
    EXPECT_EQ(SftpCommand::quoted("/\\\""), "\"/\\\\\\\"\"");
    EXPECT_EQ(SftpCommand::quoted("/x\r\ny"), "\"/xy\"");
}

TEST(SftpCommand, RemotePathsBecomeAbsoluteAndLineBreaksAreRefused)
{
    // A name beginning with "-" would be read as an option even inside quotes.
    EXPECT_EQ(SftpCommand::remoteArgument(QStringLiteral("-rf")), "\"/-rf\"");
    EXPECT_EQ(SftpCommand::remoteArgument(QStringLiteral("/Ü ö")), QStringLiteral("\"/Ü ö\"").toUtf8());
    for (const QString& path : {QStringLiteral("/a\nb"), QStringLiteral("/a\rb"), QStringLiteral("/a") + QChar(0)}) {
        try {
            SftpCommand::remoteArgument(path);
            ADD_FAILURE() << "accepted " << path.toStdString();
        } catch (const SFTPTransportError& error) {
            EXPECT_EQ(error.kind(), SFTPTransportError::Kind::command);
            EXPECT_TRUE(error.description().startsWith(QStringLiteral("SFTP-Vorgang fehlgeschlagen: Der Pfad „/a")));
        }
    }
    // Local names need not be UTF-8: their bytes go through unchanged.
    EXPECT_EQ(SftpCommand::localArgument(FileUrl::fromNativePath("/tmp/\xff\"x")), "\"/tmp/\xff\\\"x\"");
    EXPECT_THROW(SftpCommand::localArgument(FileUrl::fromNativePath("/tmp/a\nb")), SFTPTransportError);
}

TEST(SftpCommand, KeyFileReplacesThePasswordMethods)
{
    RemoteProfile withKey = sftpProfile();
    withKey.identityFile = QStringLiteral("  /home/anna/.ssh/id_ed25519\n");
    const QList<QByteArray> arguments = SftpCommand::sessionArguments(withKey, "/k");
    EXPECT_EQ(arguments.mid(arguments.indexOf("-i"), 2), (QList<QByteArray>{"-i", "/home/anna/.ssh/id_ed25519"}));
    EXPECT_EQ(valueOf(arguments, "-oPreferredAuthentications="), "publickey");
}

TEST(SftpCommand, TimeOutsAndKeepAliveAreClamped)
{
    struct Case {
        qint64 timeout, keepAlive;
        QByteArray connect, alive;
        int ready, command;
    };
    for (const Case& c : {Case{1, 0, "2", "0", 5, 5}, Case{600, -5, "15", "0", 20, 30}, Case{10, 30, "10", "30", 10, 10},
                          Case{25, 600, "15", "600", 20, 25}}) {
        RemoteProfile profile = sftpProfile();
        profile.timeout = c.timeout;
        profile.keepAlive = c.keepAlive;
        const QList<QByteArray> arguments = SftpCommand::sessionArguments(profile, "/k");
        EXPECT_EQ(valueOf(arguments, "-oConnectTimeout="), c.connect) << c.timeout;
        EXPECT_EQ(valueOf(arguments, "-oServerAliveInterval="), c.alive) << c.keepAlive;
        EXPECT_EQ(SftpCommand::readyWait(c.timeout).count(), c.ready) << c.timeout;
        EXPECT_EQ(SftpCommand::commandWait(c.timeout).count(), c.command) << c.timeout;
    }
}

TEST(SftpCommand, HostsAndUsersThatSftpWouldReadAsOptionsAreRefused)
{
    for (const QString& host : {QStringLiteral("-oProxyCommand=touch /tmp/x"), QString(), QStringLiteral("a b"),
                                QStringLiteral("evil@host"), QStringLiteral("host\n")}) {
        RemoteProfile profile = sftpProfile();
        profile.host = host;
        EXPECT_THROW(SftpCommand::sessionArguments(profile, "/k"), SFTPTransportError) << host.toStdString();
        EXPECT_FALSE(SftpCommand::isUsableHost(host)) << host.toStdString();
    }
    RemoteProfile profile = sftpProfile();
    profile.username = QStringLiteral("-oProxyCommand=touch /tmp/x");
    EXPECT_THROW(SftpCommand::sessionArguments(profile, "/k"), SFTPTransportError);
    // Blanks are fine in a user name: it stays one argument.
    profile.username = QStringLiteral("Anna Berg");
    EXPECT_EQ(SftpCommand::sessionArguments(profile, "/k").last(), "Anna Berg@sftp.example.org");
}

TEST(SftpCommand, EnvironmentNamesTheAskpassProgramAndTheProfileButNoSecretAndGivesAUtf8Locale)
{
    RemoteProfile profile = sftpProfile();
    const ChildProcess::Environment environment = SftpCommand::sessionEnvironment(profile, "/opt/brenvik/brenvik", "de_DE.UTF-8");
    EXPECT_TRUE(environment.contains(qMakePair(QByteArray("BRVK_SFTP_ASKPASS_PROFILE"),
                                               QByteArray("0F0E0D0C-0B0A-4900-8800-112233445566"))));
    EXPECT_TRUE(environment.contains(qMakePair(QByteArray("SSH_ASKPASS"), QByteArray("/opt/brenvik/brenvik"))));
    for (const QByteArray& locale : {QByteArray(), QByteArray("C"), QByteArray("de_DE")})
        EXPECT_EQ(SftpCommand::sessionEnvironment(profile, "/b", locale).last(),
                  qMakePair(QByteArray("LC_ALL"), QByteArray("C.UTF-8")))
            << locale.constData();
    EXPECT_EQ(SftpCommand::sessionEnvironment(profile, "/b", "en_US.utf8").size(), environment.size());
}

TEST(SftpCommand, AnswersLoseEchoesAndMarkers)
{
    const QByteArray marker = "__BRVK_DONE_1234__";
    const QString answer = QStringLiteral("sftp> ls -la \"/d\"\r\n"
                                          "-rw-r--r--    ? u g 1 Dec  6 08:19 /d/sftp> x\n"
                                          "\n"
                                          "sftp> ")
                           + QString::fromLatin1(SftpCommand::markerCommand(marker));
    EXPECT_EQ(SftpCommand::answerLines(answer, marker), QStringLiteral("-rw-r--r--    ? u g 1 Dec  6 08:19 /d/sftp> x"));
}

TEST(SftpCommand, ListingIsExactOnlyWhenNoNameCanForgeALine)
{
    const QString a = QStringLiteral("-rw-r--r-- ? u g 1 Dec 6 08:19 /d/a\n");
    const QString z = QStringLiteral("drwxr-xr-x ? u g 1 Dec 6 08:19 /d/z\n");
    const QString dot = QStringLiteral("drwxr-xr-x ? u g 1 Dec 6 08:19 /d/.\n");
    // "b\n" + a forged line claiming the link "l" is a folder.
    const QString forging = QStringLiteral("-rw-r--r-- ? u g 1 Dec 6 08:19 /d/b\n"
                                           "drwxr-xr-x ? u g 1 Dec 6 08:19 /d/l\n");
    struct Case {
        const char* name;
        QString forward, reversed;
        bool exact;
    };
    for (const Case& c : {
             Case{"plain", dot + a + z, z + a + dot, true},
             Case{"line feed", a + forging + z, z + forging + a, false},
             Case{"line feed, last", a + forging, forging + a, false},
             Case{"escaped byte", QStringLiteral("-rw-r--r-- ? u g 1 Dec 6 08:19 /d/caf\\351\n"), QStringLiteral("-rw-r--r-- ? u g 1 Dec 6 08:19 /d/caf\\351\n"), false},
             Case{"tail of a name", a + QStringLiteral("rest\n"), QStringLiteral("rest\n") + a, false},
         })
        EXPECT_EQ(SftpCommand::listingIsExact(c.forward, c.reversed), c.exact) << c.name;
}

TEST(SftpCommand, ServerMessageIsTheLastMeaningfulLine)
{
    EXPECT_EQ(SftpCommand::safeServerMessage(QStringLiteral("erste\r\n  \r\nletzte  \r\n\r\n")), QStringLiteral("letzte  "));
    EXPECT_EQ(SftpCommand::safeServerMessage(QStringLiteral(" \n\t\n")), QStringLiteral("Verbindung beendet"));
    EXPECT_EQ(SftpCommand::safeServerMessage(QString(500, u'x')).size(), 300);
    // A failed log-in: the reason, not sftp's closing words.
    EXPECT_EQ(SftpCommand::safeServerMessage(
                  QStringLiteral("brvk@127.0.0.1: Permission denied (password).\r\n\rConnection closed.  \n"
                                 "Connection closed\r\n")),
              QStringLiteral("brvk@127.0.0.1: Permission denied (password)."));
    EXPECT_EQ(SftpCommand::safeServerMessage(QStringLiteral("Connection closed\r\n")), QStringLiteral("Connection closed"));
}

TEST(SftpCommand, ListingNamesLoseTheListedPathAndOnlyPlainNamesAreEntries)
{
    const QString answer = QStringLiteral(
        "drwxr-xr-x    ? brvk     brvk         4096 Dec  6 08:22 /d/.\n"
        "drwxr-xr-x    ? brvk     brvk         4096 Dec  6 08:22 /d/..\n"
        "-rw-r--r--    ? brvk     brvk            2 Dec  6 08:22 /d/b  two  blanks \n"
        "drwxr-xr-x    ? brvk     brvk         4096 Dec  6 08:22 /d/Ordner\n"
        "-rw-r--r--    ? brvk     brvk            7 Dec  6 08:22 /d/-dash\n"
        "-rw-r--r--    1 anna     users           3 Jan  2  2024 bare name\n"
        "-rw-r--r--    ? brvk     brvk            1 Dec  6 08:22 /etc/passwd\n"
        "-rw-r--r--    ? brvk     brvk            1 Dec  6 08:22 /d/../../escape\n"
        "-rw-r--r--    1 anna     users           1 Dec  6 08:22 ../escape\n"
        "-rw-r--r--    ? brvk     brvk            1 Dec  6 08:22 /dx/sibling\n"
        "continued name of a line break\n");
    const QList<RemoteEntry> entries = SftpCommand::parseListing(answer, QStringLiteral("/d"));
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0], (RemoteEntry{QStringLiteral("Ordner"), true, 4096, QStringLiteral("Dec 6 08:22")}));
    EXPECT_EQ(entries[1].name, QStringLiteral("-dash"));
    EXPECT_EQ(entries[2].name, QStringLiteral("b  two  blanks "));
    EXPECT_EQ(entries[3], (RemoteEntry{QStringLiteral("bare name"), false, 3, QStringLiteral("Jan 2 2024")}));
    // The root's entries, also when the path was given with a trailing slash.
    const QString root = QStringLiteral("lrwxrwxrwx    ? root     root            7 Dec  6 08:18 /bin\n");
    EXPECT_EQ(SftpCommand::parseListing(root, QStringLiteral("/")).value(0).name, QStringLiteral("bin"));
    EXPECT_EQ(SftpCommand::parseListing(QStringLiteral("-rw-r--r-- ? u g 1 Dec 6 08:18 /d/x\n"), QStringLiteral("/d/"))
                  .value(0)
                  .name,
              QStringLiteral("x"));
}

} // namespace
