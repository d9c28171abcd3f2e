#include "diagnostics/DiagnosticsStore.h"
#include "diagnostics/DiagnosticsWindowController.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

const QString exportName = QStringLiteral("Brenvik-Diagnose.txt");

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
}

QStringList entriesOf(const TempFolder& folder)
{
    return QDir(QString::fromUtf8(folder.path())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

QStringList messagesOf(const DiagnosticsStore& store)
{
    QStringList messages;
    for (const DiagnosticEvent& event : store.events())
        messages.append(event.message);
    return messages;
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

    static QPlainTextEdit* reportView(QWidget& window) { return window.findChild<QPlainTextEdit*>(); }

    static void click(QWidget& window, const QString& title)
    {
        for (QPushButton* button : window.findChildren<QPushButton*>()) {
            if (button->text() == title) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        ADD_FAILURE() << "no button " << title.toStdString();
    }

    static bool scrolledToEnd(QWidget& window)
    {
        const QScrollBar* bar = reportView(window)->verticalScrollBar();
        return bar->maximum() > 0 && bar->value() == bar->maximum();
    }

    void recordMany(int count)
    {
        for (int i = 0; i < count; ++i)
            store().record(QStringLiteral("Dateioperation"), QStringLiteral("Abgeschlossen · %1 Fehler").arg(i));
    }

    ScriptedInteraction interaction;
};

TEST_F(DiagnosticsWindow, OpensWithTheReportSnapshotAtItsEnd)
{
    recordMany(80);
    const auto window = openWindow();
    QPlainTextEdit* view = reportView(*window);

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Brenvik-Diagnose"));
    EXPECT_EQ(window->size(), QSize(820, 560));
    EXPECT_EQ(window->minimumSize(), QSize(600, 380));
    EXPECT_EQ(view->toPlainText(), store().report());
    EXPECT_TRUE(scrolledToEnd(*window));
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_TRUE(view->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
    EXPECT_EQ(view->font().pointSize(), 11);
    EXPECT_TRUE(QFontInfo(view->font()).fixedPitch());
    EXPECT_TRUE(view->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());

    // A snapshot: new events appear only on request.
    const QString shown = view->toPlainText();
    store().record(QStringLiteral("App"), QStringLiteral("Anwendung gestartet"));
    QCoreApplication::processEvents();
    EXPECT_EQ(view->toPlainText(), shown);
}

TEST_F(DiagnosticsWindow, StacksTextNoteAndButtonsWithinItsMargins)
{
    const auto window = openWindow();
    const QRect text = reportView(*window)->geometry();
    QLabel* note = window->findChild<QLabel*>();
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), QStringLiteral("Das Protokoll bleibt im Arbeitsspeicher. Es enthält keine Dateinamen, "
                                           "Pfade, Servernamen oder Zugangsdaten und wird nur auf ausdrücklichen "
                                           "Klick exportiert."));
    EXPECT_TRUE(note->wordWrap());

    QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    QStringList titles;
    for (QPushButton* button : buttons)
        titles.append(button->text());
    EXPECT_EQ(titles, (QStringList{"Aktualisieren", "Exportieren …", "Protokoll leeren"}));

    EXPECT_EQ(text.topLeft(), QPoint(12, 12));
    EXPECT_EQ(text.right(), window->width() - 13);
    EXPECT_EQ(note->y(), text.bottom() + 1 + 10);
    EXPECT_EQ(buttons.first()->x(), 12);
    EXPECT_EQ(buttons.first()->geometry().bottom(), window->height() - 13);

    // The text area takes what the window gains.
    const int textHeight = text.height();
    window->resize(900, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(reportView(*window)->height(), textHeight + 140);
}

TEST_F(DiagnosticsWindow, RefreshShowsNewEventsAndScrollsToTheEnd)
{
    const auto window = openWindow();
    recordMany(80);
    store().record(QStringLiteral("Berechtigung"), QStringLiteral("Aktiver Ordner geprüft · lesbar true"));
    reportView(*window)->verticalScrollBar()->setValue(0);

    click(*window, QStringLiteral("Aktualisieren"));

    EXPECT_EQ(reportView(*window)->toPlainText(), store().report());
    EXPECT_TRUE(reportView(*window)->toPlainText().endsWith(QStringLiteral("[Berechtigung] Aktiver Ordner geprüft · lesbar true")));
    EXPECT_TRUE(scrolledToEnd(*window));
    EXPECT_TRUE(interaction.alerts().isEmpty());
}

TEST_F(DiagnosticsWindow, ClearingWithoutQuestionLeavesOnlyItsOwnEvent)
{
    recordMany(120);
    const auto window = openWindow();

    click(*window, QStringLiteral("Protokoll leeren"));

    ASSERT_EQ(store().events().size(), 1);
    EXPECT_EQ(store().events()[0].category, QStringLiteral("Diagnose"));
    EXPECT_EQ(store().events()[0].message, QStringLiteral("Protokoll vom Benutzer geleert"));
    EXPECT_EQ(reportView(*window)->toPlainText(), store().report());
    EXPECT_TRUE(interaction.alerts().isEmpty());
}

TEST_F(DiagnosticsWindow, ExportReplacesAFileWithTheReportInUtf8)
{
    TempFolder folder;
    const QString destination = QString::fromUtf8(folder.write(exportName.toUtf8(), "alte Fassung").nativePath());
    store().record(QStringLiteral("Berechtigung"), QStringLiteral("Aktiver Ordner geprüft · lesbar true"));
    const auto window = openWindow();
    interaction.answerSaveFile(destination);

    click(*window, QStringLiteral("Exportieren …"));

    ASSERT_EQ(interaction.saveFileRequests().size(), 1);
    EXPECT_EQ(interaction.saveFileRequests()[0].suggestedName, exportName);
    const QByteArray written = contentsOf(destination);
    EXPECT_EQ(written, store().report().toUtf8());
    EXPECT_TRUE(written.contains("Netzwerk\xc3\xbc" "bertragung: keine"));
    EXPECT_TRUE(written.endsWith("geprüft · lesbar true"));
    EXPECT_EQ(entriesOf(folder), QStringList{exportName}); // no temporary file left behind
    EXPECT_TRUE(interaction.alerts().isEmpty());
}

TEST_F(DiagnosticsWindow, ClearingThenExportingGivesTheHeaderAndOneEvent)
{
    TempFolder folder;
    const QString destination = QString::fromUtf8(folder.file(exportName.toUtf8()).nativePath());
    recordMany(3);
    const auto window = openWindow();
    interaction.answerSaveFile(destination);

    click(*window, QStringLiteral("Protokoll leeren"));
    click(*window, QStringLiteral("Exportieren …"));

    const QStringList lines = QString::fromUtf8(contentsOf(destination)).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("Brenvik Diagnose"));
    EXPECT_EQ(lines[7], QString());
    EXPECT_TRUE(QRegularExpression(QStringLiteral(
                    "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ \\[Diagnose\\] Protokoll vom Benutzer geleert$"))
                    .match(lines[8])
                    .hasMatch())
        << lines[8].toStdString();
}

TEST_F(DiagnosticsWindow, CancelledExportWritesAndShowsNothing)
{
    TempFolder folder;
    recordMany(2);
    const auto window = openWindow();
    interaction.answerSaveFile(std::nullopt);

    click(*window, QStringLiteral("Exportieren …"));

    EXPECT_EQ(interaction.saveFileRequests().size(), 1);
    EXPECT_TRUE(interaction.alerts().isEmpty());
    EXPECT_TRUE(entriesOf(folder).isEmpty());
    EXPECT_EQ(store().events().size(), 2);
}

// Root bypasses permissions, but not a regular file standing where a folder
// must be.
TEST_F(DiagnosticsWindow, ExportIntoAnImpossiblePlaceShowsTheSystemErrorAndChangesNothing)
{
    TempFolder folder;
    folder.write("Notizen", "bleibt");
    const QString destination = QString::fromUtf8(folder.file("Notizen/" + exportName.toUtf8()).nativePath());
    recordMany(4);
    const QStringList before = messagesOf(store());
    const auto window = openWindow();
    interaction.answerSaveFile(destination);
    interaction.answerAlert(0);

    click(*window, QStringLiteral("Exportieren …"));

    ASSERT_EQ(interaction.alerts().size(), 1);
    const AlertRequest& alert = interaction.alerts()[0];
    EXPECT_EQ(alert.style, AlertStyle::warning);
    EXPECT_EQ(alert.message, QStringLiteral("Die Datei „Brenvik-Diagnose.txt“ konnte nicht gesichert werden."));
    EXPECT_EQ(alert.informativeText, QString::fromLocal8Bit(strerror(ENOTDIR)));
    EXPECT_EQ(alert.effectiveButtons(), QStringList{"OK"});
    EXPECT_EQ(messagesOf(store()), before);
    EXPECT_EQ(contentsOf(QString::fromUtf8(folder.file("Notizen").nativePath())), QByteArray("bleibt"));
    EXPECT_EQ(entriesOf(folder), QStringList{"Notizen"});
}

// A disk that fills up halfway (the file size limit stops root too) must leave
// the earlier export whole rather than replace it by a torn one.
TEST_F(DiagnosticsWindow, ExportThatCannotFinishKeepsTheEarlierFile)
{
    TempFolder folder;
    const QString destination = QString::fromUtf8(folder.write(exportName.toUtf8(), "alte Fassung").nativePath());
    recordMany(300);
    ASSERT_GT(store().report().size(), 8192);
    const auto window = openWindow();
    interaction.answerSaveFile(destination);
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
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("Die Datei „Brenvik-Diagnose.txt“ konnte nicht gesichert werden."));
    // The system's reason, not a generic text.
    EXPECT_EQ(interaction.alerts()[0].informativeText, QString::fromLocal8Bit(strerror(EFBIG)));
    EXPECT_EQ(contentsOf(destination), QByteArray("alte Fassung"));
    EXPECT_EQ(entriesOf(folder), QStringList{exportName});
    EXPECT_EQ(store().events().size(), 300);
}

} // namespace
