// The tree rules against a server held in memory, which can lie as no real
// test server can: links that lead out, loops, names only, duplicates.
#include "remote/RemoteTransportError.h"
#include "remote/RemoteTree.h"

#include "support/RemoteChecks.h"
#include "support/TestEnvironment.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

class MemoryServer : public RemoteTransport {
public:
    // Absolute path → 'd' folder, '-' file, or the target of a link.
    QMap<QString, QString> nodes;
    bool endless = false;   // every folder holds a folder "a"
    bool namesOnly = false; // listings without types
    bool doubled = false;   // every name listed twice
    QStringList commands;

    QList<RemoteEntry> list(const QString& path) override
    {
        commands.append(QStringLiteral("list ") + path);
        QList<RemoteEntry> entries;
        if (endless)
            entries.append(RemoteEntry{QStringLiteral("a"), true, std::nullopt, QString()});
        for (auto it = nodes.begin(); it != nodes.end(); ++it) {
            const qsizetype slash = it.key().lastIndexOf(u'/');
            if ((slash == 0 ? QStringLiteral("/") : it.key().left(slash)) != path)
                continue;
            RemoteEntry entry{it.key().section(u'/', -1), it.value() == u"d", std::nullopt, QString(),
                              it.value().startsWith(u'/')};
            entry.typeKnown = !namesOnly;
            entries.append(entry);
            if (doubled)
                entries.append(entry);
        }
        return entries;
    }
    bool probeDirectory(const QString& path) override
    {
        commands.append(QStringLiteral("cd ") + path);
        const QString node = nodes.value(path);
        return endless || node == u"d" || nodes.value(node) == u"d";
    }
    void download(const QString& remotePath, const FileUrl& localFile) override
    {
        commands.append(QStringLiteral("get ") + remotePath);
        EXPECT_TRUE(QFile(localFile.path()).open(QIODevice::WriteOnly)) << "the parent folder is made first";
    }
    void upload(const FileUrl&, const QString& remotePath) override { commands.append(QStringLiteral("put ") + remotePath); }
    void rename(const QString&, const QString&) override {}
    void replace(const QString&, const QString&) override {}
    void createDirectory(const QString& path) override { commands.append(QStringLiteral("mkdir ") + path); }
    void deleteEntry(const QString& path, bool) override
    {
        commands.append(QStringLiteral("rm ") + path);
        nodes.remove(path);
    }
    void disconnect() override {}
};

TEST(RemoteTree, NeverEntersALinkDownloadNamesWhatItLeftOutDeleteRemovesTheLinkItself)
{
    // A folder with a file, a link to a file and a link to a folder, both outside.
    MemoryServer server;
    server.nodes = {{"/t", "d"}, {"/t/f", "-"}, {"/t/zu-datei", "/aussen/geheim"}, {"/t/zu-ordner", "/aussen"},
                    {"/aussen", "d"}, {"/aussen/geheim", "-"}};
    TempFolder local;
    RemoteTransferLog log;
    EXPECT_TRUE(failureOf([&] { RemoteTree::download(server, "/t", local.file("t"), {}, &log); })
                    .endsWith(QStringLiteral(":\n/t/zu-ordner")));
    EXPECT_FALSE(QFile::exists(local.file("t/zu-ordner").path()));
    // A link to a file arrives as that file's content, as a plain get gives it.
    EXPECT_EQ(log.files, QStringList({"/t/f", "/t/zu-datei"}));
    EXPECT_TRUE(log.folders.isEmpty()) << "a folder with something left out must stay on a move";

    RemoteTree::remove(server, "/t", {});
    EXPECT_EQ(server.nodes.keys(), QStringList({"/aussen", "/aussen/geheim"}));
    EXPECT_TRUE(server.commands.filter(QStringLiteral("aussen")).isEmpty()) << server.commands.join(u'\n').toStdString();
}

TEST(RemoteTree, LyingServersEndTheOperationBeforeAnythingIsDeleted)
{
    using Kind = RemoteTransportError::Kind;
    for (const auto& [lie, expected] : {std::pair{&MemoryServer::endless, Kind::tooDeep},
                                        std::pair{&MemoryServer::namesOnly, Kind::untypedListing},
                                        std::pair{&MemoryServer::doubled, Kind::unsafeEntryName}}) {
        MemoryServer server;
        server.nodes = {{"/t", "d"}, {"/t/sub", "d"}, {"/t/sub/x", "-"}};
        server.*lie = true;
        SCOPED_TRACE(int(expected));
        EXPECT_EQ(failureKind<RemoteTransportError>([&] { RemoteTree::remove(server, "/t/sub", {}); }), expected);
        EXPECT_EQ(server.commands.filter(QStringLiteral("rm ")), QStringList());
        if (server.endless) {
            EXPECT_EQ(server.commands.size(), 1 + 1 + 257) << "one listing per level up to the bound";
        }
    }
}

TEST(RemoteTree, CancellingStopsBetweenCommands)
{
    MemoryServer server;
    server.endless = true;
    TempFolder local;
    const CancellationToken token([&server] { return server.commands.size() >= 5; });
    EXPECT_THROW(RemoteTree::download(server, "/", local.file("x"), token), CancellationError);
    EXPECT_EQ(server.commands.size(), 5);
}

TEST(RemoteTree, UploadSendsOnlyFilesAndFoldersAndRefusesNamesThatWouldChange)
{
    TempFolder local;
    local.write("t/a.txt", "a");
    local.write("t/sub/b.txt", "b");
    ASSERT_EQ(::symlink("a.txt", local.file("t/link").nativePath().constData()), 0);
    ASSERT_EQ(::mkfifo(local.file("t/fifo").nativePath().constData(), 0600), 0);
    MemoryServer server;
    RemoteTransferLog log;
    const QString failure = failureOf([&] { RemoteTree::upload(server, local.file("t"), "/z", {}, &log); });
    EXPECT_TRUE(failure.contains(u"/t/link") && failure.contains(u"/t/fifo")) << failure.toStdString();
    EXPECT_EQ(server.commands.filter(QStringLiteral("put ")).size(), 2);
    EXPECT_EQ(log.files.size(), 2);
    EXPECT_EQ(log.folders, QStringList{local.file("t/sub").path()});

    // Two names that are no UTF-8 would both arrive as "\uFFFD.txt", one over the other.
    local.write("n/\xe9.txt");
    local.write("n/a.txt");
    server.commands.clear();
    EXPECT_THROW(RemoteTree::upload(server, local.file("n"), "/n", {}), RemoteTransportError);
    EXPECT_TRUE(server.commands.filter(QStringLiteral("put ")).isEmpty());
}

// The one check every protocol and the panels apply to a name a server lists.
TEST(RemoteTree, OnlyPlainNamesAreEntryNamesOnlyExactTextIsTransferable)
{
    for (const QString& name : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("/"),
                                QStringLiteral("../x"), QStringLiteral("a/b"), QStringLiteral("..") + QChar(0) + u'x'})
        EXPECT_FALSE(RemoteTree::isPlainEntryName(name)) << name.toStdString();
    for (const QString& name : {QStringLiteral(".env"), QStringLiteral("..."), QStringLiteral(" .. "),
                                QStringLiteral("a;type=i"), QStringLiteral("x{a,b}[1]"), QStringLiteral("-rf")})
        EXPECT_TRUE(RemoteTree::isPlainEntryName(name)) << name.toStdString();
    for (const char* name : {"\xe9.txt", "a\nb", "a\rb", "caf\xc3"})
        EXPECT_EQ(RemoteTree::transferableName(name), std::nullopt) << name;
    EXPECT_EQ(RemoteTree::transferableName("Ärger \\ x"), QStringLiteral("Ärger \\ x"));
}

TEST(RemoteTree, ChildPathsAreStandardised)
{
    for (const auto& [parent, name, expected] : {std::tuple{"/", "a", "/a"}, std::tuple{"/a/", "b c", "/a/b c"},
                                                 std::tuple{"/a//b/./c", "d", "/a/b/c/d"}, std::tuple{"/a/b", "..", "/a"},
                                                 std::tuple{"/", "..", "/"}, std::tuple{"rel", "../../x", "../x"}})
        EXPECT_EQ(RemoteTree::childPath(QString::fromUtf8(parent), QString::fromUtf8(name)), QString::fromUtf8(expected))
            << parent << " + " << name;
}

} // namespace
