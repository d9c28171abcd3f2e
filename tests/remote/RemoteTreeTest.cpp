// The tree rules against a server held in memory, which can lie as no real
// test server can: links that lead out, loops, names only, duplicates.
#include "remote/RemoteTransportError.h"
#include "remote/RemoteTree.h"

#include "support/TestEnvironment.h"

#include <QFile>
#include <QMap>
#include <gtest/gtest.h>
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
            RemoteEntry entry;
            entry.name = it.key().section(u'/', -1);
            entry.isDirectory = it.value() == u"d";
            entry.isLink = it.value().startsWith(u'/');
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
        QFile file(localFile.path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(remotePath.toUtf8());
    }
    void upload(const FileUrl&, const QString& remotePath) override { commands.append(QStringLiteral("put ") + remotePath); }
    void rename(const QString&, const QString&) override {}
    void replace(const QString&, const QString&) override {}
    void createDirectory(const QString& path) override { commands.append(QStringLiteral("mkdir ") + path); }
    void deleteEntry(const QString& path, bool directory) override
    {
        commands.append((directory ? QStringLiteral("rmdir ") : QStringLiteral("rm ")) + path);
        nodes.remove(path);
    }
    void disconnect() override {}
};

// A folder with a file, a link to a file and a link to a folder, both outside.
MemoryServer serverWithLinksOut()
{
    MemoryServer server;
    server.nodes = {{"/t", "d"}, {"/t/f", "-"}, {"/t/zu-datei", "/aussen/geheim"}, {"/t/zu-ordner", "/aussen"},
                    {"/aussen", "d"}, {"/aussen/geheim", "-"}};
    return server;
}

QString failureOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const BrenvikError& error) {
        return error.description();
    }
    return QStringLiteral("<kein Fehler>");
}

TEST(RemoteTree, DownloadNeverEntersALinkAndNamesWhatItLeftOut)
{
    MemoryServer server = serverWithLinksOut();
    TempFolder local;
    RemoteTransferLog log;
    EXPECT_EQ(failureOf([&] { RemoteTree::download(server, "/t", local.file("t"), {}, &log); }),
              QStringLiteral("Verknüpfungen wurden ausgelassen, alles andere wurde übertragen:\n/t/zu-ordner"));
    EXPECT_FALSE(server.commands.contains(u"list /aussen"));
    EXPECT_FALSE(QFile::exists(local.file("t/zu-ordner").path()));
    // A link to a file arrives as that file's content, as a plain get gives it.
    EXPECT_TRUE(QFile::exists(local.file("t/zu-datei").path()));
    EXPECT_EQ(log.files, QStringList({"/t/f", "/t/zu-datei"}));
    EXPECT_TRUE(log.folders.isEmpty()) << "a folder with something left out must stay on a move";
}

TEST(RemoteTree, DeleteRemovesLinksThemselvesNeverWhatTheyPointTo)
{
    MemoryServer server = serverWithLinksOut();
    RemoteTree::remove(server, "/t", {});
    EXPECT_EQ(server.nodes.keys(), QStringList({"/aussen", "/aussen/geheim"}));
    for (const QString& command : server.commands)
        EXPECT_FALSE(command.contains(u"aussen")) << command.toStdString();
}

TEST(RemoteTree, LyingServersEndTheOperationBeforeAnythingIsDeleted)
{
    struct Case {
        const char* name;
        std::function<void(MemoryServer&)> setUp;
        RemoteTransportError::Kind expected;
    };
    const QList<Case> cases{
        {"ein Ordner, der sich selbst enthält", [](MemoryServer& s) { s.endless = true; },
         RemoteTransportError::Kind::tooDeep},
        {"nur Namen", [](MemoryServer& s) { s.namesOnly = true; }, RemoteTransportError::Kind::untypedListing},
        {"doppelte Namen", [](MemoryServer& s) { s.doubled = true; }, RemoteTransportError::Kind::unsafeEntryName},
    };
    for (const Case& c : cases) {
        MemoryServer server;
        server.nodes = {{"/t", "d"}, {"/t/sub", "d"}, {"/t/sub/x", "-"}};
        c.setUp(server);
        try {
            RemoteTree::remove(server, "/t/sub", {});
            ADD_FAILURE() << c.name << ": kein Fehler";
        } catch (const RemoteTransportError& error) {
            EXPECT_EQ(error.kind(), c.expected) << c.name << ": " << error.what();
        }
        EXPECT_EQ(server.commands.filter(QStringLiteral("rm")), QStringList()) << c.name;
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
    local.write("geheim", "x");
    ASSERT_EQ(::symlink(local.file("geheim").nativePath().constData(), local.file("t/link").nativePath().constData()), 0);
    ASSERT_EQ(::mkfifo(local.file("t/fifo").nativePath().constData(), 0600), 0);
    MemoryServer server;
    RemoteTransferLog log;
    const QString failure = failureOf([&] { RemoteTree::upload(server, local.file("t"), "/z", {}, &log); });
    EXPECT_TRUE(failure.startsWith(QStringLiteral("Verknüpfungen wurden ausgelassen, alles andere wurde übertragen:")));
    EXPECT_TRUE(failure.contains(u"/t/link") && failure.contains(u"/t/fifo")) << failure.toStdString();
    EXPECT_EQ(server.commands.filter(QStringLiteral("put ")).size(), 2);
    EXPECT_EQ(log.files.size(), 2);
    EXPECT_EQ(log.folders, QStringList{local.file("t/sub").path()});

    // Two names that are no UTF-8 would both arrive as "\uFFFD.txt", one over the other.
    local.write("n/\xe9.txt");
    local.write("n/\xe8.txt");
    server.commands.clear();
    try {
        RemoteTree::upload(server, local.file("n"), "/n", {});
        ADD_FAILURE() << "kein Fehler";
    } catch (const RemoteTransportError& error) {
        EXPECT_EQ(error.kind(), RemoteTransportError::Kind::unusableName);
    }
    EXPECT_TRUE(server.commands.filter(QStringLiteral("put ")).isEmpty());
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
             Case{"/a/", "b c", "/a/b c"},
             Case{"/a//b/./c", "d", "/a/b/c/d"},
             Case{"/a/b", "..", "/a"},
             Case{"/", "..", "/"},
             Case{"rel", "../../x", "../x"},
         })
        EXPECT_EQ(RemoteTree::childPath(c.parent, c.name), c.expected)
            << c.parent.toStdString() << " + " << c.name.toStdString();
}

} // namespace
