#include "remote/SftpCommand.h"
#include "remote/SftpPromptBuffer.h"
#include "remote/SftpTransportError.h"
#include "support/RemoteChecks.h"

#include <thread>

namespace {

TEST(SftpCommand, PathsAreQuotedAbsoluteAndLineBreaksRefused)
{
    EXPECT_EQ(SftpCommand::quoted("/q\"uote"), "\"/q\\\"uote\"");
    EXPECT_EQ(SftpCommand::quoted("/\\\""), "\"/\\\\\\\"\"");
    // A name beginning with "-" would be read as an option even inside quotes.
    EXPECT_EQ(SftpCommand::remoteArgument(QStringLiteral("-rf")), "\"/-rf\"");
    EXPECT_EQ(SftpCommand::remoteArgument(QStringLiteral("/Ü ö")), QStringLiteral("\"/Ü ö\"").toUtf8());
    for (const QString& path : {QStringLiteral("/a\nb"), QStringLiteral("/a\rb"), QStringLiteral("/a") + QChar(0)})
        EXPECT_EQ(failureKind<SFTPTransportError>([&] { SftpCommand::remoteArgument(path); }), SFTPTransportError::Kind::command);
    // Local names need not be UTF-8: their bytes go through unchanged.
    EXPECT_EQ(SftpCommand::localArgument(FileUrl::fromNativePath("/tmp/\xff\"x")), "\"/tmp/\xff\\\"x\"");
    EXPECT_THROW(SftpCommand::localArgument(FileUrl::fromNativePath("/tmp/a\nb")), SFTPTransportError);
}

TEST(SftpCommand, HostsAndUsersThatSftpWouldReadAsOptionsAreRefused)
{
    RemoteProfile profile;
    profile.username = QStringLiteral("Anna Berg");
    for (const QString& host : {QStringLiteral("-oProxyCommand=touch /tmp/x"), QString(), QStringLiteral("a b"),
                                QStringLiteral("evil@host"), QStringLiteral("host\n")}) {
        profile.host = host;
        EXPECT_THROW(SftpCommand::sessionArguments(profile, "/k"), SFTPTransportError) << host.toStdString();
    }
    profile.host = QStringLiteral("sftp.example.org");
    // Blanks are fine in a user name: it stays one argument.
    EXPECT_EQ(SftpCommand::sessionArguments(profile, "/k").last(), "Anna Berg@sftp.example.org");
    profile.username = QStringLiteral("-oProxyCommand=touch /tmp/x");
    EXPECT_THROW(SftpCommand::sessionArguments(profile, "/k"), SFTPTransportError);
}

TEST(SftpCommand, EnvironmentNamesTheProfileButNoSecretAndGivesAUtf8Locale)
{
    RemoteProfile profile;
    const ChildProcess::Environment environment = SftpCommand::sessionEnvironment(profile, "/b", "de_DE.UTF-8");
    EXPECT_TRUE(environment.contains(qMakePair(QByteArray("BRVK_SFTP_ASKPASS_PROFILE"), canonicalUuidText(profile.id).toUtf8())));
    for (const QByteArray& locale : {QByteArray(), QByteArray("C"), QByteArray("de_DE")})
        EXPECT_EQ(SftpCommand::sessionEnvironment(profile, "/b", locale).last(),
                  qMakePair(QByteArray("LC_ALL"), QByteArray("C.UTF-8")))
            << locale.constData();
    EXPECT_EQ(SftpCommand::sessionEnvironment(profile, "/b", "en_US.utf8").size(), environment.size());
}

TEST(SftpCommand, AnswersLoseEchoesAndMarkersAndServerMessagesTheirClosingWords)
{
    const QByteArray marker = "__BRVK_DONE_1234__";
    const QString answer = QStringLiteral("sftp> ls -la \"/d\"\r\n-rw-r--r--    ? u g 1 Dec  6 08:19 /d/sftp> x\n\nsftp> ")
                           + QString::fromLatin1(SftpCommand::markerCommand(marker));
    EXPECT_EQ(SftpCommand::answerLines(answer, marker), QStringLiteral("-rw-r--r--    ? u g 1 Dec  6 08:19 /d/sftp> x"));
    EXPECT_EQ(SftpCommand::safeServerMessage(QString(500, u'x')).size(), 300);
    // A failed log-in: the reason, not sftp's closing words.
    EXPECT_EQ(SftpCommand::safeServerMessage(QStringLiteral("a: Permission denied (password).\r\n\rConnection closed.  \n"
                                                            "Connection closed\r\n  \r\n")),
              QStringLiteral("a: Permission denied (password)."));
}

TEST(SftpCommand, ListingIsExactOnlyWhenNoNameCanForgeALine)
{
    const QString a = QStringLiteral("-rw-r--r-- ? u g 1 Dec 6 08:19 /d/a\n");
    const QString z = QStringLiteral("drwxr-xr-x ? u g 1 Dec 6 08:19 /d/z\n");
    // "b\n" + a forged line claiming the link "l" is a folder.
    const QString forging = QStringLiteral("-rw-r--r-- ? u g 1 Dec 6 08:19 /d/b\ndrwxr-xr-x ? u g 1 Dec 6 08:19 /d/l\n");
    const QString escaped = QStringLiteral("-rw-r--r-- ? u g 1 Dec 6 08:19 /d/caf\\351\n");
    for (const auto& [name, forward, reversed, exact] : {
             std::tuple{"plain", a + z, z + a, true},
             std::tuple{"line feed", a + forging + z, z + forging + a, false},
             std::tuple{"line feed, last", a + forging, forging + a, false},
             std::tuple{"escaped byte", escaped, escaped, false},
         })
        EXPECT_EQ(SftpCommand::listingIsExact(forward, reversed), exact) << name;
}

TEST(SftpCommand, ListingNamesLoseTheListedPathAndOnlyPlainNamesAreEntries)
{
    const QString answer = QStringLiteral(
        "drwxr-xr-x    ? brvk     brvk         4096 Dec  6 08:22 /d/.\n"
        "-rw-r--r--    ? brvk     brvk            2 Dec  6 08:22 /d/b  two  blanks \n"
        "drwxr-xr-x    ? brvk     brvk         4096 Dec  6 08:22 /d/Ordner\n"
        "-rw-r--r--    1 anna     users           3 Jan  2  2024 bare name\n"
        "-rw-r--r--    ? brvk     brvk            1 Dec  6 08:22 /etc/passwd\n"
        "-rw-r--r--    ? brvk     brvk            1 Dec  6 08:22 /d/../../escape\n"
        "-rw-r--r--    1 anna     users           1 Dec  6 08:22 ../escape\n"
        "-rw-r--r--    ? brvk     brvk            1 Dec  6 08:22 /dx/sibling\n"
        "continued name of a line break\n");
    const QList<RemoteEntry> entries = SftpCommand::parseListing(answer, QStringLiteral("/d/"));
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0], (RemoteEntry{QStringLiteral("Ordner"), true, 4096, QStringLiteral("Dec 6 08:22")}));
    EXPECT_EQ(entries[1].name, QStringLiteral("b  two  blanks "));
    EXPECT_EQ(entries[2], (RemoteEntry{QStringLiteral("bare name"), false, 3, QStringLiteral("Jan 2 2024")}));
    const QString root = QStringLiteral("lrwxrwxrwx    ? root     root            7 Dec  6 08:18 /bin\n");
    EXPECT_EQ(SftpCommand::parseListing(root, QStringLiteral("/")).value(0).name, QStringLiteral("bin"));
}

const QByteArray marker = "__BRVK_DONE_42__";

TEST(SftpPromptBuffer, AnswerEndsWithTheWholeLineHoldingTheMarker)
{
    SFTPPromptBuffer buffer;
    buffer.append("sftp> ls -la \"/d\"\n-rw-r--r-- ? u g 1 Dec 6 08:19 caf\xc3\n\xffsftp> lcd /dev/null/__BRVK_DO");
    EXPECT_EQ(buffer.take(marker), std::nullopt);
    buffer.append("NE_42__");
    // Complete only with its line end: the rest of the line belongs to it.
    EXPECT_EQ(buffer.take(marker), std::nullopt);
    buffer.append(": Not a directory\r\nnext answer");
    const std::optional<QString> answer = buffer.take(marker);
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->startsWith(QStringLiteral("sftp> ls -la")));
    EXPECT_TRUE(answer->contains(QStringLiteral("caf\uFFFD\n\uFFFDsftp>")));
    EXPECT_TRUE(answer->endsWith(QStringLiteral("Not a directory\r\n")));
    EXPECT_EQ(buffer.tail(100), QStringLiteral("next answer"));
    EXPECT_EQ(buffer.take(marker), std::nullopt);
}

TEST(SftpPromptBuffer, WaitersWakeForDataAndForTheEnd)
{
    SFTPPromptBuffer buffer;
    const auto forever = SFTPPromptBuffer::Clock::now() + std::chrono::hours(1);
    // Data that arrived after the waiter looked is never missed.
    const quint64 seen = buffer.generation();
    buffer.append("x");
    buffer.waitForChange(seen, forever);
    EXPECT_FALSE(buffer.didClose());
    std::thread closer([&] { buffer.close(); });
    buffer.waitForChange(seen + 1, forever);
    closer.join();
    EXPECT_TRUE(buffer.didClose());
}

} // namespace
