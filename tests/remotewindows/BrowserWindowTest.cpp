#include "RemoteWindowsFixture.h"

#include "remote/RemoteBrowserWindowController.h"
#include "support/FtpServers.h"
#include "support/SftpServer.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace {

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

class BrowserWindow : public RemoteWindowsTest {
protected:
    void SetUp() override
    {
        RemoteWindowsTest::SetUp();
        if (IsSkipped())
            return;
        const std::optional<FtpTestServer> found = FtpServers::plain();
        if (!found)
            GTEST_SKIP() << FtpServers::missingMessage;
        server = *found;
        folderName = QStringLiteral("rw-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        folder = QString::fromUtf8(server.root) + u'/' + folderName;
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/voll")));
        writeFile(folder + QStringLiteral("/a.txt"), "alt");
        writeFile(folder + QStringLiteral("/b.txt"), "b");
        writeFile(folder + QStringLiteral("/voll/drin.txt"), "drin");
    }

    void TearDown() override
    {
        if (!folder.isEmpty())
            QDir(folder).removeRecursively();
        RemoteWindowsTest::TearDown();
    }

    std::unique_ptr<RemoteBrowserWindowController> openBrowser()
    {
        RemoteProfile profile = server.profile(RemoteProtocolKind::ftp);
        profile.initialPath = QStringLiteral("/") + folderName;
        auto browser = std::make_unique<RemoteBrowserWindowController>(profile, server.password, interaction);
        browser->setAttribute(Qt::WA_DeleteOnClose, false);
        browser->show();
        settle(*browser);
        return browser;
    }

    static void settle(RemoteBrowserWindowController& browser)
    {
        ASSERT_TRUE(waitFor([&] { return !browser.isBusy(); }));
    }

    static QStringList names(const RemoteBrowserWindowController& browser)
    {
        QStringList names;
        for (const RemoteEntry& entry : browser.entries())
            names.append(entry.name);
        return names;
    }

    static void select(RemoteBrowserWindowController& browser, const QString& name)
    {
        browser.findChild<QTableWidget*>()->selectRow(int(names(browser).indexOf(name)));
    }

    // Runs an action and waits until the window is idle again.
    static void run(RemoteBrowserWindowController& browser, const QString& title)
    {
        click(browser, title);
        settle(browser);
    }

    FtpTestServer server;
    QString folderName;
    QString folder; // the served folder on this machine
};

TEST_F(BrowserWindow, NavigatesByPathParentAndDoubleClick)
{
    auto browser = openBrowser();
    EXPECT_EQ(names(*browser), (QStringList{QStringLiteral("voll"), QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    EXPECT_EQ(browser->statusText(), QStringLiteral("3 Einträge"));

    auto* path = browser->findChild<QLineEdit*>();
    path->setText(folderName + QStringLiteral("//voll/./../voll"));
    QTest::keyClick(path, Qt::Key_Return);
    settle(*browser);
    EXPECT_EQ(browser->currentPath(), QStringLiteral("/") + folderName + QStringLiteral("/voll"));
    EXPECT_EQ(names(*browser), QStringList{QStringLiteral("drin.txt")});

    run(*browser, QStringLiteral("Nach oben"));
    run(*browser, QStringLiteral("Nach oben"));
    EXPECT_EQ(browser->currentPath(), QStringLiteral("/"));
    run(*browser, QStringLiteral("Nach oben"));
    EXPECT_EQ(browser->currentPath(), QStringLiteral("/"));

    browser->openEntry(int(names(*browser).indexOf(folderName)));
    settle(*browser);
    EXPECT_EQ(browser->currentPath(), QStringLiteral("/") + folderName);

    // A folder that cannot be listed shows nothing, so no action can join an
    // old name to the new path.
    select(*browser, QStringLiteral("a.txt"));
    path->setText(QStringLiteral("/gibt-es-nicht"));
    interaction.answerAlert(0);
    QTest::keyClick(path, Qt::Key_Return);
    settle(*browser);
    EXPECT_EQ(browser->statusText(), QStringLiteral("Fehler"));
    EXPECT_TRUE(browser->entries().isEmpty());
    click(*browser, QStringLiteral("Löschen …"));
    EXPECT_EQ(interaction.beepCount(), 1);
}

TEST_F(BrowserWindow, NamedOperationsTrimRefuseBadNamesAndNeverReplace)
{
    auto browser = openBrowser();
    for (const QString& refused : {QStringLiteral("a/b"), QStringLiteral(" .. "), QStringLiteral("   ")}) {
        interaction.answerAlert(AlertAnswer(0).withText(refused));
        interaction.answerAlert(0);
        run(*browser, QStringLiteral("Neuer Ordner …"));
        EXPECT_EQ(lastAlert(), QStringLiteral("Der Remote-Name ist nicht zulässig.")) << refused.toStdString();
    }
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("  Neu \n")));
    run(*browser, QStringLiteral("Neuer Ordner …"));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Neu")).isDir());
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 4);
    EXPECT_TRUE(names(*browser).contains(QStringLiteral("Neu")));

    select(*browser, QStringLiteral("b.txt"));
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("a.txt")));
    interaction.answerAlert(0);
    run(*browser, QStringLiteral("Umbenennen …"));
    EXPECT_EQ(contentsOf(folder + QStringLiteral("/a.txt")), QByteArray("alt"));
    EXPECT_EQ(contentsOf(folder + QStringLiteral("/b.txt")), QByteArray("b"));

    select(*browser, QStringLiteral("b.txt"));
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("c.txt")));
    run(*browser, QStringLiteral("Umbenennen …"));
    EXPECT_EQ(contentsOf(folder + QStringLiteral("/c.txt")), QByteArray("b"));
    EXPECT_EQ(browser->statusText(), QStringLiteral("4 Einträge"));

    // Deleting is never recursive: a folder with contents stays, with the server's refusal.
    select(*browser, QStringLiteral("voll"));
    interaction.answerAlert(0);
    interaction.answerAlert(0);
    run(*browser, QStringLiteral("Löschen …"));
    EXPECT_EQ(browser->statusText(), QStringLiteral("Fehler"));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/voll/drin.txt")));

    select(*browser, QStringLiteral("c.txt"));
    interaction.answerAlert(0);
    run(*browser, QStringLiteral("Löschen …"));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/c.txt")));
    EXPECT_FALSE(names(*browser).contains(QStringLiteral("c.txt")));

    browser->findChild<QTableWidget*>()->clearSelection();
    for (const QString& title : {QStringLiteral("Download …"), QStringLiteral("Umbenennen …"), QStringLiteral("Löschen …")})
        click(*browser, title);
    EXPECT_EQ(interaction.beepCount(), 3);
}

TEST_F(BrowserWindow, UploadAsksBeforeReplacingDownloadKeepsTheLocalFileOnFailure)
{
    auto browser = openBrowser();
    const TempFolder local;
    const QString upload = local.write("a.txt", "neu").path();

    interaction.answerOpenFile(upload);
    interaction.answerAlert(1);
    run(*browser, QStringLiteral("Upload …"));
    EXPECT_EQ(interaction.alerts().last().informativeText, QStringLiteral("„a.txt“ ist auf dem Server bereits vorhanden."));
    EXPECT_EQ(contentsOf(folder + QStringLiteral("/a.txt")), QByteArray("alt"));

    interaction.answerOpenFile(upload);
    interaction.answerAlert(0);
    run(*browser, QStringLiteral("Upload …"));
    EXPECT_EQ(contentsOf(folder + QStringLiteral("/a.txt")), QByteArray("neu"));
    EXPECT_EQ(alertCount(), 2);

    const QString target = local.write("ziel.txt", "lokal").path();
    select(*browser, QStringLiteral("b.txt"));
    interaction.answerSaveFile(target);
    click(*browser, QStringLiteral("Download …"));
    ASSERT_TRUE(waitFor([&] { return browser->statusText() == QStringLiteral("Download abgeschlossen"); }));
    EXPECT_EQ(contentsOf(target), QByteArray("b"));
    EXPECT_EQ(interaction.saveFileRequests().last().suggestedName, QStringLiteral("b.txt"));

    writeFile(target, "lokal");
    QFile::remove(folder + QStringLiteral("/b.txt"));
    select(*browser, QStringLiteral("b.txt"));
    interaction.answerSaveFile(target);
    interaction.answerAlert(0);
    click(*browser, QStringLiteral("Download …"));
    ASSERT_TRUE(waitFor([&] { return browser->statusText() == QStringLiteral("Fehler"); }));
    EXPECT_EQ(contentsOf(target), QByteArray("lokal"));
    EXPECT_EQ(QDir(local.url().path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("ziel.txt")}));
}

TEST_F(RemoteWindowsTest, SftpBrowserWorksThroughTheSftpTransport)
{
    const std::optional<SftpTestServer> server = SftpServer::local();
    if (!server)
        GTEST_SKIP() << SftpServer::missingMessage;
    RemoteProfile profile = server->profile();
    profile.initialPath = server->makeFolder("rw-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8());
    storePassword(profile, server->password);
    RemoteBrowserWindowController browser(profile, server->password, interaction, sftpTools());
    browser.show();
    ASSERT_TRUE(waitFor([&] { return !browser.isBusy(); }));
    EXPECT_TRUE(browser.entries().isEmpty());
    QStringList lines;
    for (const QLabel* label : browser.findChildren<QLabel*>())
        lines.append(label->text());
    EXPECT_TRUE(lines.contains(QStringLiteral("SFTP verschlüsselt die Transportverbindung."))) << lines.join(u'|').toStdString();

    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("Über SFTP")));
    click(browser, QStringLiteral("Neuer Ordner …"));
    ASSERT_TRUE(waitFor([&] { return !browser.isBusy(); }));
    EXPECT_TRUE(QFileInfo(QString::fromUtf8(server->localPath(profile.initialPath.toUtf8())) + QStringLiteral("/Über SFTP"))
                    .isDir());
    ASSERT_EQ(browser.entries().size(), 1);
    EXPECT_TRUE(browser.entries().first().isDirectory);
}

} // namespace
