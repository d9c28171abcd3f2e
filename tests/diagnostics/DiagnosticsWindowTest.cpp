#include "core/SystemError.h"
#include "diagnostics/DiagnosticsStore.h"
#include "diagnostics/DiagnosticsWindowController.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

const QString exportName = QStringLiteral("Brenvik-Diagnose.txt");
const QString exportFailed = QStringLiteral("Die Datei „Brenvik-Diagnose.txt“ konnte nicht gesichert werden.");

QByteArray contentsOf(const FileUrl& file)
{
    QFile reader(file.path());
    return reader.open(QIODevice::ReadOnly) ? reader.readAll() : QByteArray("<fehlt>");
}

QStringList entriesOf(const TempFolder& folder)
{
    return QDir(folder.url().path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

class DiagnosticsWindow : public ::testing::Test {
protected:
    void SetUp() override { store().clear(); }
    void TearDown() override { store().clear(); }

    static DiagnosticsStore& store() { return DiagnosticsStore::shared(); }

    // The window as a user meets it: created, shown and laid out.
    std::unique_ptr<DiagnosticsWindowController> openWindow()
    {
        auto window = std::make_unique<DiagnosticsWindowController>(interaction);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    static QPlainTextEdit* view(QWidget& window) { return window.findChild<QPlainTextEdit*>(); }

    static void click(QWidget& window, const QString& title)
    {
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            if (button->text() == title)
                return QTest::mouseClick(button, Qt::LeftButton);
        }
        ADD_FAILURE() << "no button " << title.toStdString();
    }

    static bool scrolledToEnd(QWidget& window)
    {
        const QScrollBar* bar = view(window)->verticalScrollBar();
        return bar->maximum() > 0 && bar->value() == bar->maximum();
    }

    static void recordMany(int count)
    {
        for (int i = 0; i < count; ++i)
            store().record(QStringLiteral("Dateioperation"), QStringLiteral("Abgeschlossen · %1 Fehler").arg(i));
    }

    ScriptedInteraction interaction;
};

TEST_F(DiagnosticsWindow, ShowsASnapshotAtItsEndThatRefreshAndClearingRenew)
{
    recordMany(80);
    const auto window = openWindow();
    QPlainTextEdit* text = view(*window);
    EXPECT_EQ(text->toPlainText(), store().report());
    EXPECT_TRUE(scrolledToEnd(*window));
    EXPECT_TRUE(text->isReadOnly());

    // A snapshot: new events appear only on request.
    recordMany(40);
    QCoreApplication::processEvents();
    EXPECT_NE(text->toPlainText(), store().report());
    text->verticalScrollBar()->setValue(0);

    click(*window, QStringLiteral("Aktualisieren"));
    EXPECT_EQ(view(*window)->toPlainText(), store().report());
    EXPECT_TRUE(scrolledToEnd(*window));

    // No question asked: the scripted user has no answer to give.
    click(*window, QStringLiteral("Protokoll leeren"));
    ASSERT_EQ(store().events().size(), 1);
    EXPECT_EQ(store().events()[0].category, QStringLiteral("Diagnose"));
    EXPECT_EQ(store().events()[0].message, QStringLiteral("Protokoll vom Benutzer geleert"));
    EXPECT_EQ(view(*window)->toPlainText(), store().report());
}

// A cancelled dialog writes nothing; an accepted one replaces the earlier file.
TEST_F(DiagnosticsWindow, ExportReplacesAFileWithTheReportInUtf8)
{
    TempFolder folder;
    const FileUrl destination = folder.write(exportName.toUtf8(), "alte Fassung");
    recordMany(3);
    const auto window = openWindow();
    interaction.answerSaveFile(std::nullopt);
    interaction.answerSaveFile(destination.path());

    click(*window, QStringLiteral("Exportieren …"));
    EXPECT_EQ(contentsOf(destination), QByteArray("alte Fassung"));
    click(*window, QStringLiteral("Protokoll leeren"));
    click(*window, QStringLiteral("Exportieren …"));

    ASSERT_EQ(interaction.saveFileRequests().size(), 2);
    EXPECT_EQ(interaction.saveFileRequests()[1].suggestedName, exportName);
    EXPECT_EQ(contentsOf(destination), store().report().toUtf8());
    EXPECT_EQ(entriesOf(folder), QStringList{exportName}); // no temporary file left behind
    EXPECT_TRUE(interaction.alerts().isEmpty());
}

// Root bypasses permissions, but not a regular file standing where a folder
// must be.
TEST_F(DiagnosticsWindow, ExportIntoAnImpossiblePlaceShowsTheSystemError)
{
    TempFolder folder;
    const FileUrl notes = folder.write("Notizen", "bleibt");
    recordMany(4);
    const auto window = openWindow();
    interaction.answerSaveFile(notes.appending(exportName).path());
    interaction.answerAlert(0);

    click(*window, QStringLiteral("Exportieren …"));

    ASSERT_EQ(interaction.alerts().size(), 1);
    const AlertRequest& alert = interaction.alerts()[0];
    EXPECT_EQ(alert.message, exportFailed);
    EXPECT_EQ(alert.informativeText, SystemError::messageFor(ENOTDIR));
    EXPECT_EQ(store().events().size(), 4);
    EXPECT_EQ(contentsOf(notes), QByteArray("bleibt"));
    EXPECT_EQ(entriesOf(folder), QStringList{"Notizen"});
}

// A disk that fills up halfway (the file size limit stops root too) must leave
// the earlier export whole rather than replace it by a torn one.
TEST_F(DiagnosticsWindow, ExportThatCannotFinishKeepsTheEarlierFile)
{
    TempFolder folder;
    const FileUrl destination = folder.write(exportName.toUtf8(), "alte Fassung");
    recordMany(300);
    ASSERT_GT(store().report().size(), 8192);
    const auto window = openWindow();
    interaction.answerSaveFile(destination.path());
    interaction.answerAlert(0);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    click(*window, QStringLiteral("Exportieren …"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, exportFailed);
    EXPECT_EQ(interaction.alerts()[0].informativeText, SystemError::messageFor(EFBIG));
    EXPECT_EQ(contentsOf(destination), QByteArray("alte Fassung"));
    EXPECT_EQ(entriesOf(folder), QStringList{exportName});
    EXPECT_EQ(store().events().size(), 300);
}

} // namespace
