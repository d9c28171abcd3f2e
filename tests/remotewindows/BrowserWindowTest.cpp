#include "RemoteWindowsFixture.h"

#include "remote/RemoteBrowserWindowController.h"
#include "support/FtpServers.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
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

// A browser on a fresh folder of the FTP test server holding "voll/drin.txt",
// "a.txt" and "b.txt".
class BrowserWindow : public RemoteWindowsTest {
protected:
    void SetUp() override
    {
        RemoteWindowsTest::SetUp();
        const std::optional<FtpTestServer> server = FtpServers::plain();
        if (IsSkipped())
            return;
        if (!server)
            GTEST_SKIP() << FtpServers::missingMessage;
        RemoteProfile profile = server->profile(RemoteProtocolKind::ftp);
        profile.initialPath = QStringLiteral("/rw-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        folder = QString::fromUtf8(server->root) + profile.initialPath;
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/voll")));
        writeFile(folder + QStringLiteral("/a.txt"), "alt");
        writeFile(folder + QStringLiteral("/b.txt"), "b");
        writeFile(folder + QStringLiteral("/voll/drin.txt"), "drin");
        browser = std::make_unique<RemoteBrowserWindowController>(profile, server->password, interaction);
        browser->setAttribute(Qt::WA_DeleteOnClose, false);
        browser->show();
        settle();
    }

    void TearDown() override
    {
        browser.reset();
        if (!folder.isEmpty())
            QDir(folder).removeRecursively();
        RemoteWindowsTest::TearDown();
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
    EXPECT_EQ(names(), (QStringList{QStringLiteral("voll"), QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    const QString start = browser->currentPath();
    enterPath(start.mid(1) + QStringLiteral("//voll/./../voll"));
    EXPECT_EQ(browser->currentPath(), start + QStringLiteral("/voll"));
    EXPECT_EQ(names(), QStringList{QStringLiteral("drin.txt")});

    for (const QString& expected : {start, QStringLiteral("/"), QStringLiteral("/")}) {
        run(QStringLiteral("Nach oben"));
        EXPECT_EQ(browser->currentPath(), expected);
    }
    browser->openEntry(int(names().indexOf(start.mid(1))));
    settle();
    EXPECT_EQ(browser->currentPath(), start);

    // A folder that cannot be listed shows nothing, so no action joins an old name to the new path.
    interaction.answerAlert(0);
    enterPath(QStringLiteral("/gibt-es-nicht"));
    EXPECT_EQ(browser->statusText(), QStringLiteral("Fehler"));
    EXPECT_TRUE(browser->entries().isEmpty());
    run(QStringLiteral("Löschen …"));
    EXPECT_EQ(interaction.beepCount(), 1);
}

TEST_F(BrowserWindow, NamedOperationsTrimRefuseBadNamesNeverReplaceAndNeverDeleteRecursively)
{
    for (const QString& refused : {QStringLiteral("a/b"), QStringLiteral(" .. "), QStringLiteral("   ")}) {
        interaction.answerAlert(AlertAnswer(0).withText(refused));
        interaction.answerAlert(0);
        run(QStringLiteral("Neuer Ordner …"));
        EXPECT_EQ(lastAlert(), QStringLiteral("Der Remote-Name ist nicht zulässig.")) << refused.toStdString();
    }
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("  Neu \n")));
    run(QStringLiteral("Neuer Ordner …"));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{QStringLiteral("Neu"), QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("voll")}));
    EXPECT_TRUE(names().contains(QStringLiteral("Neu")));

    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("a.txt")));
    interaction.answerAlert(0);
    run(QStringLiteral("Umbenennen …"), QStringLiteral("b.txt"));
    EXPECT_EQ(contentsOf(folder + QStringLiteral("/a.txt")), QByteArray("alt"));
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("c.txt")));
    run(QStringLiteral("Umbenennen …"), QStringLiteral("b.txt"));
    EXPECT_EQ(contentsOf(folder + QStringLiteral("/c.txt")), QByteArray("b"));

    interaction.answerAlert(0);
    interaction.answerAlert(0);
    run(QStringLiteral("Löschen …"), QStringLiteral("voll"));
    EXPECT_EQ(browser->statusText(), QStringLiteral("Fehler"));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/voll/drin.txt")));
    interaction.answerAlert(0);
    run(QStringLiteral("Löschen …"), QStringLiteral("c.txt"));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/c.txt")));
    EXPECT_FALSE(names().contains(QStringLiteral("c.txt")));
}

TEST_F(BrowserWindow, UploadAsksBeforeReplacingDownloadKeepsTheLocalFileOnFailure)
{
    const TempFolder local;
    const QString upload = local.write("a.txt", "neu").path();
    for (int answer : {1, 0}) {
        interaction.answerOpenFile(upload);
        interaction.answerAlert(answer);
        run(QStringLiteral("Upload …"));
        EXPECT_EQ(contentsOf(folder + QStringLiteral("/a.txt")), QByteArray(answer == 0 ? "neu" : "alt"));
    }
    EXPECT_EQ(alertCount(), 2);

    const QString target = local.write("ziel.txt", "lokal").path();
    for (bool removedMeanwhile : {false, true}) {
        writeFile(target, "lokal");
        interaction.answerSaveFile(target);
        if (removedMeanwhile) {
            QFile::remove(folder + QStringLiteral("/b.txt"));
            interaction.answerAlert(0);
        }
        run(QStringLiteral("Download …"), QStringLiteral("b.txt"));
        const QString done = removedMeanwhile ? QStringLiteral("Fehler") : QStringLiteral("Download abgeschlossen");
        ASSERT_TRUE(waitFor([&] { return browser->statusText() == done; }));
        EXPECT_EQ(contentsOf(target), QByteArray(removedMeanwhile ? "lokal" : "b"));
    }
    EXPECT_EQ(QDir(local.url().path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("ziel.txt")}));
}

} // namespace
