#include "RemoteWindowsFixture.h"

#include "remote/RemoteBrowserWindowController.h"
#include "support/FtpServers.h"
#include "support/RemoteChecks.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>

namespace {

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

// A browser on a fresh folder of the FTP test server holding "voll/drin.txt",
// "a.txt" and "b.txt".
class BrowserWindow : public RemoteWindowsTest {
protected:
    void SetUp() override
    {
        RemoteWindowsTest::SetUp();
        const std::optional<FtpTestServer> server = FtpServers::plain();
        if (IsSkipped() || !server)
            GTEST_SKIP() << FtpServers::missingMessage;
        RemoteProfile profile = server->profile(RemoteProtocolKind::ftp);
        profile.initialPath = QStringLiteral("/rw-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        folder = QString::fromUtf8(server->root) + profile.initialPath;
        writeFile(folder + QStringLiteral("/a.txt"), "alt");
        writeFile(folder + QStringLiteral("/b.txt"), "b");
        writeFile(folder + QStringLiteral("/voll/drin.txt"), "drin");
        browser = std::make_unique<RemoteBrowserWindowController>(profile, server->password, interaction);
        browser->setAttribute(Qt::WA_DeleteOnClose, false);
        browser->show();
        settle();
    }

    void settle() const { ASSERT_TRUE(waitFor([&] { return !browser->isBusy(); })); }

    QStringList names() const
    {
        QStringList names;
        for (const RemoteEntry& entry : browser->entries())
            names.append(entry.name);
        return names;
    }

    // Selects the entry, runs the action and waits until the window is idle again.
    void run(const QString& action, const QString& entry = {}) const
    {
        if (!entry.isEmpty())
            browser->findChild<QTableWidget*>()->selectRow(int(names().indexOf(entry)));
        click(*browser, action);
        settle();
    }

    void enterPath(const QString& path) const
    {
        auto* field = browser->findChild<QLineEdit*>();
        field->setText(path);
        QTest::keyClick(field, Qt::Key_Return);
        settle();
    }

    QString folder; // the served folder on this machine
    std::unique_ptr<RemoteBrowserWindowController> browser;
};

TEST_F(BrowserWindow, NavigatesByPathParentAndDoubleClickAndForgetsNamesOfAnotherFolder)
{
    const QString start = browser->currentPath();
    enterPath(start.mid(1) + "//voll/./../voll");
    EXPECT_EQ(names(), QStringList{"drin.txt"});
    for (int up = 0; up < 3; ++up)
        run("Nach oben");
    EXPECT_EQ(browser->currentPath(), "/");
    browser->openEntry(int(names().indexOf(start.mid(1))));
    settle();
    EXPECT_EQ(browser->currentPath(), start);

    // A folder that cannot be listed shows nothing, so no action joins an old name to the new path.
    interaction.answerAlert(0);
    enterPath("/gibt-es-nicht");
    EXPECT_TRUE(browser->entries().isEmpty());
    run("Löschen …");
    EXPECT_EQ(interaction.beepCount(), 1);
}

TEST_F(BrowserWindow, NamedOperationsRefuseBadNamesNeverReplaceAndNeverDeleteRecursively)
{
    interaction.answerAlert(AlertAnswer(0).withText("a/b"));
    interaction.answerAlert(0);
    run("Neuer Ordner …");
    EXPECT_EQ(alertCount(), 2) << "the name is refused";
    interaction.answerAlert(AlertAnswer(0).withText("  Neu \n"));
    run("Neuer Ordner …");
    EXPECT_TRUE(QFileInfo(folder + "/Neu").isDir());

    interaction.answerAlert(AlertAnswer(0).withText("a.txt"));
    interaction.answerAlert(0);
    run("Umbenennen …", "b.txt");
    EXPECT_EQ(contentsOf(folder + "/a.txt"), "alt");
    interaction.answerAlert(AlertAnswer(0).withText("c.txt"));
    run("Umbenennen …", "b.txt");
    EXPECT_EQ(contentsOf(folder + "/c.txt"), "b");

    interaction.answerAlert(0);
    interaction.answerAlert(0);
    run("Löschen …", "voll");
    EXPECT_TRUE(QFileInfo::exists(folder + "/voll/drin.txt"));
    interaction.answerAlert(0);
    run("Löschen …", "c.txt");
    EXPECT_FALSE(QFileInfo::exists(folder + "/c.txt"));
}

TEST_F(BrowserWindow, UploadAsksBeforeReplacingDownloadArrives)
{
    const TempFolder local;
    const QString upload = local.write("a.txt", "neu").path();
    for (int answer : {1, 0}) {
        interaction.answerOpenFile(upload);
        interaction.answerAlert(answer);
        run("Upload …");
        EXPECT_EQ(contentsOf(folder + "/a.txt"), answer == 0 ? "neu" : "alt");
    }
    EXPECT_EQ(alertCount(), 2);

    // Through a temporary file, as every download: tested with the provider.
    const QString target = local.write("ziel.txt", "lokal").path();
    interaction.answerSaveFile(target);
    run("Download …", "b.txt");
    EXPECT_TRUE(waitFor([&] { return contentsOf(target) == "b"; }));
}

} // namespace
