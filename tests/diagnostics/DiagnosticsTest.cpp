#include "core/SystemError.h"
#include "diagnostics/DiagnosticsStore.h"
#include "diagnostics/DiagnosticsWindowController.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

TEST(DiagnosticsStore, EveryPathLikeRunIsScrubbedAndTheNewestFiveHundredAreKept)
{
    const struct {
        const char* message;
        const char* expected;
    } cases[] = {
        {"Fehler in /home/anna/Bericht.pdf", "Fehler in <Pfad entfernt>"},
        {"Datei /tmp/mein Bericht.txt fehlt", "Datei <Pfad entfernt> Bericht.txt fehlt"}, // a blank ends the path
        {"/a/b:/c/d", "<Pfad entfernt>:<Pfad entfernt>"},
        {"a / b", "a / b"}, {"x/: y", "x/: y"}, {"Ende/", "Ende/"}, // a lone slash is no path
        {"Status 3/4 fertig", "Status 3<Pfad entfernt> fertig"},
        {"sftp://server.example/home/x", "sftp:<Pfad entfernt>"}, // the server name goes too
        {"/a\tb", "<Pfad entfernt>\tb"}, {"/Ordner\u00a0Name", "<Pfad entfernt>\u00a0Name"},
        {"in /Users/jörg/Übersicht.txt.", "in <Pfad entfernt>"},
    };
    DiagnosticsStore store;
    for (const auto& c : cases) {
        store.record(QStringLiteral("Test"), QString::fromUtf8(c.message));
        EXPECT_EQ(store.events().constLast().message.toStdString(), c.expected);
    }
    // Only the newest five hundred are kept, in recording order.
    for (int i = 0; i < 1234; ++i)
        store.record(QStringLiteral("App"), QString::number(i));
    ASSERT_EQ(store.events().size(), 500);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(store.events()[i].message, QString::number(734 + i)) << "position " << i;
}

TEST(DiagnosticsStore, ReportGivesTheMachinesMemoryInBinaryUnitsAndEventsInUtc)
{
    QDateTime now(QDate(2024, 2, 29), QTime(23, 59, 58, 750), Qt::UTC);
    DiagnosticsStore store([&now] { return now; });
    store.record(QStringLiteral("App"), QStringLiteral("Anwendung gestartet"));
    // An instant given with an offset is written as the same instant in UTC.
    now = QDateTime(QDate(2024, 3, 1), QTime(1, 2, 3, 999), Qt::OffsetFromUTC, 2 * 3600);
    store.record(QStringLiteral("Fehler"), QStringLiteral("ArchiveError in /tmp/x.zip"));
    const QStringList lines = store.report().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[7], QString());
    EXPECT_EQ(lines[8], QStringLiteral("2024-02-29T23:59:58Z [App] Anwendung gestartet"));
    EXPECT_EQ(lines[9], QStringLiteral("2024-02-29T23:02:03Z [Fehler] ArchiveError in <Pfad entfernt>"));

    // The machine's own memory in binary units, against the kernel's MemTotal.
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    ASSERT_TRUE(meminfo.open(QIODevice::ReadOnly));
    const double kernelBytes = QRegularExpression(QStringLiteral("MemTotal:\\s+(\\d+) kB"))
                                   .match(QString::fromLatin1(meminfo.readAll())).captured(1).toDouble() * 1024;
    const auto figure = QRegularExpression(QStringLiteral("^Arbeitsspeicher: ([\\d.,]+) (KiB|MiB|GiB|TiB)$")).match(lines[4]);
    ASSERT_TRUE(figure.hasMatch()) << lines[4].toStdString();
    const qsizetype power = QStringList{"KiB", "MiB", "GiB", "TiB"}.indexOf(figure.captured(2)) + 1;
    EXPECT_NEAR(figure.captured(1).replace(u',', u'.').toDouble() * std::pow(1024.0, power) / kernelBytes, 1.0, 0.01);
}

// One window through its three buttons. A cancelled export writes nothing. Faults
// root cannot bypass, a file where a folder must be and a disk that fills up
// halfway (the file size limit), leave the earlier file whole; a successful
// export replaces it.
TEST(DiagnosticsWindow, ShowsASnapshotThatRefreshAndClearingRenewAndExportsOnlyWhole)
{
    DiagnosticsStore& store = DiagnosticsStore::shared();
    store.clear();
    const auto recordMany = [&](int count) {
        for (int i = 0; i < count; ++i)
            store.record(QStringLiteral("Dateioperation"), QStringLiteral("Abgeschlossen · %1 Fehler").arg(i));
    };
    recordMany(300);
    ScriptedInteraction interaction;
    DiagnosticsWindowController window(interaction);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QPlainTextEdit* view = window.findChild<QPlainTextEdit*>();
    const auto click = [&](const QString& title) {
        for (QPushButton* button : window.findChildren<QPushButton*>())
            if (button->text() == title)
                return QTest::mouseClick(button, Qt::LeftButton);
        ADD_FAILURE() << "no button " << title.toStdString();
    };
    QScrollBar* bar = view->verticalScrollBar();
    const auto scrolledToEnd = [bar] { return bar->maximum() > 0 && bar->value() == bar->maximum(); };
    EXPECT_EQ(view->toPlainText(), store.report());
    EXPECT_TRUE(scrolledToEnd());
    EXPECT_TRUE(view->isReadOnly());
    recordMany(40);
    QCoreApplication::processEvents();
    EXPECT_NE(view->toPlainText(), store.report());
    bar->setValue(0);
    click(QStringLiteral("Aktualisieren"));
    EXPECT_EQ(view->toPlainText(), store.report());
    EXPECT_TRUE(scrolledToEnd());

    TempFolder folder;
    const QString exportName = QStringLiteral("Brenvik-Diagnose.txt");
    const FileUrl earlier = folder.write(exportName.toUtf8(), "alte Fassung");
    const auto contents = [&] {
        QFile reader(earlier.path());
        return reader.open(QIODevice::ReadOnly) ? reader.readAll() : QByteArray("<fehlt>");
    };
    const auto entries = [&] { return QDir(folder.url().path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); };
    interaction.answerSaveFile(std::nullopt);
    click(QStringLiteral("Exportieren …"));
    for (const auto& [destination, code] : {std::pair(earlier.path(), EFBIG),
                                             std::pair(earlier.appending(exportName).path(), ENOTDIR)}) {
        SCOPED_TRACE(code);
        interaction.answerSaveFile(destination);
        interaction.answerAlert(0);
        const qsizetype alerts = interaction.alerts().size();
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const rlimit limited{4096, saved.rlim_max};
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        click(QStringLiteral("Exportieren …"));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        ASSERT_EQ(interaction.alerts().size(), alerts + 1);
        EXPECT_EQ(interaction.alerts().constLast().informativeText, SystemError::messageFor(code));
        EXPECT_EQ(contents(), QByteArray("alte Fassung"));
        EXPECT_EQ(entries(), QStringList{exportName}); // no temporary file left behind
    }
    interaction.answerSaveFile(earlier.path());
    click(QStringLiteral("Exportieren …"));
    EXPECT_EQ(interaction.saveFileRequests().constLast().suggestedName, exportName);
    EXPECT_EQ(contents(), store.report().toUtf8());
    EXPECT_EQ(entries(), QStringList{exportName});

    // No question asked: the scripted user has no answer to give.
    click(QStringLiteral("Protokoll leeren"));
    ASSERT_EQ(store.events().size(), 1);
    EXPECT_EQ(store.events()[0].category, QStringLiteral("Diagnose"));
    EXPECT_EQ(view->toPlainText(), store.report());
    store.clear();
}
