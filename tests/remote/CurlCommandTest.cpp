#include "remote/CurlCommand.h"
#include "remote/RemoteTransportError.h"

#include <gtest/gtest.h>

namespace {

RemoteProfile profileFor(RemoteProtocolKind kind, qint64 port = 21)
{
    RemoteProfile profile;
    profile.kind = kind;
    profile.host = QStringLiteral("h");
    profile.port = port;
    return profile;
}

TEST(CurlCommand, EveryNameInAUrlNamesExactlyItself)
{
    const RemoteProfile ftp = profileFor(RemoteProtocolKind::ftp);
    struct Case {
        QString path;
        bool directory;
        QString expected;
    };
    for (const Case& c : {
             Case{"/", true, "ftp://h:21/"},
             Case{"/a b", true, "ftp://h:21/a%20b/"},
             Case{"docs/100%.txt", false, "ftp://h:21/docs/100%25.txt"},
             Case{"/x#y?z/%41", true, "ftp://h:21/x%23y%3Fz/%2541/"},
             Case{"/Ärger.txt", false, "ftp://h:21/%C3%84rger.txt"},
             // ";type=i" would choose a transfer type, "{}" and "[]" are patterns.
             Case{"/a;type=i", false, "ftp://h:21/a%3Btype%3Di"},
             Case{"/;type=d/", true, "ftp://h:21/%3Btype%3Dd/"},
             Case{"/x{a,b}[1]!$&'()*+,:@-._~", false, "ftp://h:21/x%7Ba%2Cb%7D%5B1%5D%21%24%26%27%28%29%2A%2B%2C%3A%40-._~"},
             Case{"//doppelt/", true, "ftp://h:21//doppelt/"},
         })
        EXPECT_EQ(CurlCommand::remoteURL(ftp, c.path, c.directory), c.expected) << c.path.toStdString();
    RemoteProfile v6 = profileFor(RemoteProtocolKind::ftps, 990);
    v6.host = QStringLiteral("::1");
    EXPECT_EQ(CurlCommand::remoteURL(v6, QStringLiteral("/"), true), QStringLiteral("ftp://[::1]:990/"));
}

TEST(CurlCommand, TransfersEndOnlyWhenTheyStallListingsAfterATotalTime)
{
    RemoteProfile ftp = profileFor(RemoteProtocolKind::ftp);
    ftp.timeout = 10;
    const QList<QByteArray> listing = CurlCommand::arguments(ftp, {"URL"});
    const QList<QByteArray> transfer = CurlCommand::arguments(ftp, {"URL"}, CurlCommand::Limit::stall);
    EXPECT_TRUE(listing.contains("--max-time"));
    EXPECT_FALSE(transfer.contains("--max-time")) << "a large file over a normal line takes more than a minute";
    EXPECT_EQ(transfer.mid(transfer.indexOf("--speed-time"), 2), (QList<QByteArray>{"--speed-time", "10"}));
    EXPECT_TRUE(listing.contains("--globoff") && transfer.contains("--globoff"));
}

TEST(CurlCommand, CredentialsLineQuotesForCurlAndDropsLineBreaks)
{
    struct Case {
        QString user;
        QString password;
        QByteArray expected;
    };
    for (const Case& c : {
             Case{"", "", "user = \":\"\n"},
             // The backslash is doubled before the quote gets its own: \" becomes \\\".
             Case{"u", "x\\\"", "user = \"u:x\\\\\\\"\"\n"},
             Case{"zei\r\nle", "pass\nwort\r", "user = \"zeile:passwort\"\n"},
             Case{"jürgen", "pässwörd ' #", "user = \"jürgen:pässwörd ' #\"\n"},
         })
        EXPECT_EQ(CurlCommand::credentialsLine(c.user, c.password), c.expected) << c.expected.constData();
}

TEST(CurlCommand, PathsWithLineBreaksAreRefusedNotShortened)
{
    for (const QString& path : {QStringLiteral("/a\r\nDELE /b"), QStringLiteral("/a\nb"), QStringLiteral("/a\rb"),
                                QString(QStringLiteral("/a") + QChar(0))}) {
        try {
            CurlCommand::commandPath(path);
            ADD_FAILURE() << path.toStdString();
        } catch (const RemoteTransportError& error) {
            EXPECT_EQ(error.kind(), RemoteTransportError::Kind::unusableName);
        }
    }
    EXPECT_EQ(CurlCommand::commandPath(QStringLiteral("/ganz normal")), QStringLiteral("/ganz normal"));
}

} // namespace
