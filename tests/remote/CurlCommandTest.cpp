#include "remote/CurlCommand.h"
#include "remote/FtpListing.h"
#include "remote/RemoteTransportError.h"
#include "remote/RemoteTree.h"

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

TEST(CurlCommand, RemoteUrlEncodesEveryComponentAndKeepsTheFtpScheme)
{
    const RemoteProfile ftp = profileFor(RemoteProtocolKind::ftp);
    const RemoteProfile ftps = profileFor(RemoteProtocolKind::ftps, 990);
    struct Case {
        QString path;
        bool directory;
        QString expected;
    };
    for (const Case& c : {
             Case{"/", true, "ftp://h:21/"},
             Case{"/", false, "ftp://h:21/"},
             Case{"/a b", true, "ftp://h:21/a%20b/"},
             Case{"docs/100%.txt", false, "ftp://h:21/docs/100%25.txt"},
             Case{"/x#y?z/%41", true, "ftp://h:21/x%23y%3Fz/%2541/"},
             Case{"/Ärger.txt", false, "ftp://h:21/%C3%84rger.txt"},
             Case{"/keep!$&'()*+,;=:@-._~", false, "ftp://h:21/keep!$&'()*+,;=:@-._~"},
             Case{"/a\r\nb", false, "ftp://h:21/a%0D%0Ab"},
             Case{"//doppelt/", true, "ftp://h:21//doppelt/"},
             Case{"/ordner/", false, "ftp://h:21/ordner/"},
         })
        EXPECT_EQ(CurlCommand::remoteURL(ftp, c.path, c.directory), c.expected) << c.path.toStdString();
    EXPECT_EQ(CurlCommand::remoteURL(ftps, QStringLiteral("/a"), false), QStringLiteral("ftp://h:990/a"));

    RemoteProfile v6 = ftp;
    v6.host = QStringLiteral("::1");
    EXPECT_EQ(CurlCommand::remoteURL(v6, QStringLiteral("/"), true), QStringLiteral("ftp://[::1]:21/"));
}

TEST(CurlCommand, ArgumentListFollowsTheProfile)
{
    RemoteProfile ftp = profileFor(RemoteProtocolKind::ftp);
    ftp.timeout = 10;
    EXPECT_EQ(CurlCommand::arguments(ftp, {"URL", "--list-only"}),
              (QList<QByteArray>{"--silent", "--show-error", "--fail", "--connect-timeout", "10", "--max-time", "60",
                                 "--config", "-", "URL", "--list-only"}));

    RemoteProfile ftps = profileFor(RemoteProtocolKind::ftps);
    ftps.timeout = 600;
    ftps.passiveFTP = false;
    EXPECT_EQ(CurlCommand::arguments(ftps, {"URL"}),
              (QList<QByteArray>{"--silent", "--show-error", "--fail", "--connect-timeout", "600", "--max-time",
                                 "600", "--config", "-", "--ssl-reqd", "--ftp-port", "-", "URL"}));
}

TEST(CurlCommand, CredentialsLineQuotesForCurlAndDropsLineBreaks)
{
    struct Case {
        QString user;
        QString password;
        QByteArray expected;
    };
    for (const Case& c : {
             Case{"anna", "geheim", "user = \"anna:geheim\"\n"},
             Case{"", "", "user = \":\"\n"},
             Case{"a\"b", "c\\d", "user = \"a\\\"b:c\\\\d\"\n"},
             // The backslash is doubled before the quote gets its own: \" becomes \\\".
             Case{"u", "x\\\"", "user = \"u:x\\\\\\\"\"\n"},
             Case{"zei\r\nle", "pass\nwort\r", "user = \"zeile:passwort\"\n"},
             Case{"jürgen", "pässwörd ' #", "user = \"jürgen:pässwörd ' #\"\n"},
         })
        EXPECT_EQ(CurlCommand::credentialsLine(c.user, c.password), c.expected) << c.expected.constData();
}

TEST(CurlCommand, CommandPathsCannotCarryASecondCommand)
{
    EXPECT_EQ(CurlCommand::commandPath(QStringLiteral("/a\r\nDELE /b\n")), QStringLiteral("/aDELE /b"));
    EXPECT_EQ(CurlCommand::commandPath(QStringLiteral("/ganz normal")), QStringLiteral("/ganz normal"));
}

TEST(RemoteTree, ChildPathsAreStandardised)
{
    struct Case {
        QString parent;
        QString name;
        QString expected;
    };
    for (const Case& c : {
             Case{"/", "a", "/a"},
             Case{"/a", "b c", "/a/b c"},
             Case{"/a/", "b", "/a/b"},
             Case{"/a//b/./c", "d", "/a/b/c/d"},
             Case{"/a/b", "..", "/a"},
             Case{"/", "..", "/"},
             Case{"/a", "b/", "/a/b"},
             Case{"rel", "../../x", "../x"},
         })
        EXPECT_EQ(RemoteTree::childPath(c.parent, c.name), c.expected)
            << c.parent.toStdString() << " + " << c.name.toStdString();
}

TEST(RemoteTree, OnlyPlainNamesCountAsEntries)
{
    for (const QString& name : {QStringLiteral("a"), QStringLiteral("..."), QStringLiteral(" .."),
                                QStringLiteral(".hidden"), QStringLiteral("a\\b"), QStringLiteral("zeile\nzwei")})
        EXPECT_TRUE(RemoteTree::isPlainEntryName(name)) << name.toStdString();
    for (const QString& name : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../x"),
                                QStringLiteral("a/b"), QStringLiteral("/etc"), QStringLiteral("x/"),
                                QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"))})
        EXPECT_FALSE(RemoteTree::isPlainEntryName(name)) << name.toStdString();
}

TEST(RemoteTransportError, TextsNameTheProblem)
{
    EXPECT_EQ(RemoteTransportError::commandFailed(QStringLiteral("curl: (9) x")).description(),
              QStringLiteral("Remote-Vorgang fehlgeschlagen: curl: (9) x"));
    EXPECT_EQ(RemoteTransportError::invalidName().description(), QStringLiteral("Der Remote-Name ist nicht zulässig."));
    const RemoteTransportError unsafe =
        RemoteTransportError::unsafeEntryName(QStringLiteral("../a") + QChar(0) + QStringLiteral("\nb"));
    EXPECT_EQ(unsafe.kind(), RemoteTransportError::Kind::unsafeEntryName);
    EXPECT_TRUE(unsafe.description().startsWith(QStringLiteral("Der Server meldet den unzulässigen Namen „../a\uFFFD\uFFFDb“.")))
        << unsafe.what();
    EXPECT_EQ(unsafe.typeName(), QStringLiteral("RemoteTransportError"));
}

TEST(FtpListing, NamesOnlyListingKeepsServerOrderAndSkipsDotEntries)
{
    const QList<RemoteEntry> entries =
        FtpListing::parseNamesOnly(QStringLiteral("zeta\r\n.\r\n..\r\nAlpha mit  Leerzeichen\r\n\r\n.versteckt\n"));
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0], (RemoteEntry{"zeta", false, std::nullopt, QString()}));
    EXPECT_EQ(entries[1].name, QStringLiteral("Alpha mit  Leerzeichen"));
    EXPECT_EQ(entries[2].name, QStringLiteral(".versteckt"));
    EXPECT_TRUE(FtpListing::parseNamesOnly(QString()).isEmpty());
}

} // namespace
