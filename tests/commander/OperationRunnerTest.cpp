#include "CommanderTestWindow.h"

#include "commander/OperationRunner.h"
#include "core/SystemError.h"

#include <QScopeGuard>
#include <cerrno>
#include <cstdlib>

namespace {

using Runner = CommanderTest;

const QString fileOperation = QStringLiteral("Dateioperation");

TEST_F(Runner, CopyGoesOnPastAFailureAndReportsItAtTheEnd)
{
    const FileUrl a = leftFolder.write("a.txt", "aaaa");
    const FileUrl b = leftFolder.write("b.txt", "bbbb");
    const FileUrl c = leftFolder.write("c.txt", "cccc");
    relist(left());
    left().setMarked({a, b, c});
    QFile::remove(b.path()); // gone between marking and copying
    interaction.answerAlert(0);
    interaction.answerAlert(1);

    press(Qt::Key_F5);
    const QPointer<OperationProgressController> progress = progressWindow();
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->windowTitle(), QStringLiteral("Dateien kopieren"));
    EXPECT_EQ(finalMessage(progress), QStringLiteral("Mit 1 Fehler(n) abgeschlossen"));

    ASSERT_EQ(interaction.alerts().size(), 2);
    const AlertRequest& confirmation = interaction.alerts()[0];
    EXPECT_EQ(confirmation.message, QStringLiteral("3 Objekt(e) kopieren?"));
    EXPECT_EQ(confirmation.informativeText, QStringLiteral("Quelle: ") + leftFolder.url().path() + QStringLiteral("\nZiel: ")
                                                + rightFolder.url().path()
                                                + QStringLiteral("\n\nBei vorhandenen Namen wird einzeln nachgefragt."));
    EXPECT_EQ(confirmation.buttons, (QStringList{"Kopieren", "Abbrechen"}));
    const AlertRequest& report = interaction.alerts()[1];
    EXPECT_EQ(report.style, AlertStyle::warning);
    EXPECT_EQ(report.message, QStringLiteral("1 Vorgang/Vorgänge fehlgeschlagen"));
    EXPECT_EQ(report.informativeText, QStringLiteral("b.txt: ") + SystemError(ENOENT, b.nativePath()).description());
    EXPECT_EQ(report.buttons, (QStringList{"Erneut versuchen", "Schließen"}));

    EXPECT_EQ(recorded(fileOperation), (QStringList{"Kopieren gestartet · 3 Objekt(e)", "Abgeschlossen · 1 Fehler"}));
    EXPECT_EQ(entriesOf(rightFolder.url()), (QStringList{"a.txt", "c.txt"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(right()) == QStringList{"a.txt", "c.txt"}; }, 10000));
}

TEST_F(Runner, AReportOfTenFailuresShowsEightAndRetriesAllTen)
{
    QSet<FileUrl> marked;
    for (int i = 1; i <= 10; ++i)
        marked.insert(leftFolder.write(QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0')).toUtf8(), "x"));
    relist(left());
    left().setMarked(marked);
    for (const FileUrl& file : marked)
        QFile::remove(file.path());
    interaction.answerAlert(0);
    interaction.answerAlert(0); // "Erneut versuchen"
    interaction.answerAlert(1); // the new confirmation: no

    press(Qt::Key_F5);
    EXPECT_EQ(finalMessage(progressWindow()), QStringLiteral("Mit 10 Fehler(n) abgeschlossen"));

    ASSERT_EQ(interaction.alerts().size(), 3);
    EXPECT_EQ(interaction.alerts()[1].message, QStringLiteral("10 Vorgang/Vorgänge fehlgeschlagen"));
    const QStringList lines = interaction.alerts()[1].informativeText.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines.last(), QStringLiteral("…"));
    QSet<QString> reported;
    for (const QString& line : lines.first(8)) {
        reported.insert(line.section(QStringLiteral(": "), 0, 0));
        EXPECT_TRUE(line.endsWith(QStringLiteral(": Die Datei oder der Ordner existiert nicht."))) << line.toStdString();
    }
    EXPECT_EQ(reported.size(), 8);
    // The retry asks again, for every failed entry, not only the ones shown.
    EXPECT_EQ(interaction.alerts()[2].message, QStringLiteral("10 Objekt(e) kopieren?"));
    EXPECT_EQ(recorded(fileOperation), (QStringList{"Kopieren gestartet · 10 Objekt(e)", "Abgeschlossen · 10 Fehler",
                                                    "Kopieren gestartet · 10 Objekt(e)"}));
}

TEST_F(Runner, CancellingTheFirstConflictEndsTheJobAndTouchesNothing)
{
    const FileUrl source = leftFolder.write("a.txt", "neu!!");
    const FileUrl target = rightFolder.write("a.txt", "alt");
    relist(left());
    left().setMarked({source});
    interaction.answerAlert(0);
    interaction.answerAlert(1); // "Abbrechen" in the conflict dialog

    press(Qt::Key_F5);
    EXPECT_EQ(finalMessage(progressWindow()), QStringLiteral("Vorgang abgebrochen"));

    ASSERT_EQ(interaction.alerts().size(), 2);
    const AlertRequest& conflict = interaction.alerts()[1];
    EXPECT_EQ(conflict.style, AlertStyle::warning);
    EXPECT_EQ(conflict.message, QStringLiteral("Ziel existiert bereits"));
    EXPECT_EQ(conflict.informativeText,
              QStringLiteral("Quelle: a.txt (5 Byte)\nZiel: ") + target.path() + QStringLiteral(" (3 Byte)"));
    EXPECT_EQ(recorded(fileOperation), (QStringList{"Kopieren gestartet · 1 Objekt(e)", "Vom Benutzer abgebrochen"}));
    EXPECT_EQ(contentsOf(target), QByteArray("alt"));
}

TEST_F(Runner, TrashAsksWithFiveNamesAndItsUndoWorksOnce)
{
    QSet<FileUrl> marked;
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt", "6.txt", "7.txt"})
        marked.insert(leftFolder.write(name, name));
    relist(left());
    left().setMarked(marked);
    const QList<FileUrl> selection = left().selectedURLs();
    interaction.answerAlert(0);

    press(Qt::Key_F8);
    const QPointer<OperationProgressController> progress = progressWindow();
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->windowTitle(), QStringLiteral("In den Papierkorb"));
    EXPECT_EQ(finalMessage(progress), QStringLiteral("In den Papierkorb verschoben"));

    ASSERT_EQ(interaction.alerts().size(), 1);
    const AlertRequest& question = interaction.alerts()[0];
    EXPECT_EQ(question.style, AlertStyle::warning);
    EXPECT_EQ(question.message, QStringLiteral("7 Objekt(e) in den Papierkorb?"));
    QStringList expected;
    for (const FileUrl& url : selection.first(5))
        expected.append(url.fileName());
    expected.append(QStringLiteral("…"));
    EXPECT_EQ(question.informativeText, expected.join(QLatin1Char('\n')));
    EXPECT_EQ(question.buttons, (QStringList{"In den Papierkorb", "Abbrechen"}));
    EXPECT_TRUE(entriesOf(leftFolder.url()).isEmpty());
    EXPECT_EQ(window->operations().lastTrash().size(), 7);
    EXPECT_TRUE(QTest::qWaitFor([&] { return left().items().isEmpty(); }, 10000));

    window->undoTrash();
    EXPECT_TRUE(QTest::qWaitFor([&] { return entriesOf(leftFolder.url()).size() == 7; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->operations().lastTrash().isEmpty(); }, 10000));
    EXPECT_EQ(contentsOf(leftFolder.file("6.txt")), QByteArray("6.txt"));

    window->undoTrash();
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_EQ(interaction.alerts().size(), 1);
}

TEST_F(Runner, UndoStopsAtAnOccupiedPlaceAndARetryRestoresTheRest)
{
    const FileUrl a = leftFolder.write("a.txt", "erstes");
    const FileUrl b = leftFolder.write("b.txt", "zweites");
    relist(left());
    left().setMarked({a, b});
    interaction.answerAlert(0);
    press(Qt::Key_F8);
    EXPECT_EQ(finalMessage(progressWindow()), QStringLiteral("In den Papierkorb verschoben"));
    const QList<FileOperationQueue::TrashRecord> records = window->operations().lastTrash();
    ASSERT_EQ(records.size(), 2);

    // The last one trashed comes back first; the first one's place is taken, so it stays in the trash.
    const FileUrl firstPlace = records.first().location;
    leftFolder.write(firstPlace.nativeFileName(), "Neuling");
    interaction.answerAlert(0);
    window->undoTrash();
    EXPECT_TRUE(QTest::qWaitFor([&] { return interaction.alerts().size() == 2; }, 10000));
    EXPECT_EQ(interaction.alerts()[1].message, SystemError(EEXIST, firstPlace.nativePath()).description());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->operations().lastTrash() == records.mid(0, 1); }, 10000));
    EXPECT_EQ(entriesOf(leftFolder.url()).size(), 2);

    QFile::remove(firstPlace.path());
    window->undoTrash();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->operations().lastTrash().isEmpty(); }, 10000));
    EXPECT_EQ(contentsOf(a), QByteArray("erstes"));
    EXPECT_EQ(contentsOf(b), QByteArray("zweites"));
}

// Root cannot move an immutable file either.
bool setImmutable(const FileUrl& url, bool immutable)
{
    const QByteArray command = QByteArray("chattr ") + (immutable ? "+i '" : "-i '") + url.nativePath() + "' 2>/dev/null";
    return system(command.constData()) == 0;
}

TEST_F(Runner, TrashStopsAtAnEntryThatCannotGoAndKeepsTheEarlierUndo)
{
    const FileUrl first = leftFolder.write("a.txt", "a");
    relist(left());
    left().setMarked({first});
    interaction.answerAlert(0);
    press(Qt::Key_F8);
    EXPECT_EQ(finalMessage(progressWindow()), QStringLiteral("In den Papierkorb verschoben"));
    const QList<FileOperationQueue::TrashRecord> earlier = window->operations().lastTrash();
    returnToWindow();

    const FileUrl b = leftFolder.write("b.txt", "b");
    const FileUrl c = leftFolder.write("c.txt", "c");
    relist(left());
    left().setMarked({b, c});
    const QList<FileUrl> selection = left().selectedURLs();
    if (!setImmutable(selection[1], true))
        GTEST_SKIP() << "chattr +i is not available here";
    const auto thaw = qScopeGuard([&] { setImmutable(selection[1], false); });
    interaction.answerAlert(0);
    interaction.answerAlert(0);

    press(Qt::Key_F8);
    const QPointer<OperationProgressController> progress = progressWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress.isNull(); }, 10000));

    ASSERT_EQ(interaction.alerts().size(), 3);
    EXPECT_EQ(interaction.alerts()[2].message, SystemError(EPERM, selection[1].nativePath()).description());
    EXPECT_EQ(entriesOf(leftFolder.url()), QStringList{selection[1].fileName()});
    EXPECT_EQ(window->operations().lastTrash(), earlier);
}

TEST_F(Runner, DuplicateMakesCopiesUnderFreeNamesWithoutAsking)
{
    const FileUrl file = leftFolder.write("a.txt", "inhalt");
    const FileUrl folder = leftFolder.makeFolder("Ordner");
    leftFolder.write("Ordner/innen.txt", "innen");
    relist(left());
    left().setMarked({file, folder});

    press(Qt::Key_D, Qt::ControlModifier);
    const QPointer<OperationProgressController> progress = progressWindow();
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->windowTitle(), QStringLiteral("Dateien duplizieren"));
    EXPECT_EQ(finalMessage(progress), QStringLiteral("Duplikate angelegt"));

    EXPECT_TRUE(interaction.alerts().isEmpty());
    EXPECT_EQ(entriesOf(leftFolder.url()), (QStringList{"Ordner", "Ordner 2", "a 2.txt", "a.txt"}));
    EXPECT_EQ(contentsOf(leftFolder.file("a 2.txt")), QByteArray("inhalt"));
    EXPECT_EQ(contentsOf(leftFolder.file("Ordner 2/innen.txt")), QByteArray("innen"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(left()).size() == 4; }, 10000));
}

TEST_F(Runner, ADuplicateThatFailsIsReportedInsteadOfAnnouncedAsDone)
{
    const FileUrl gone = leftFolder.write("weg.txt", "x");
    relist(left());
    left().setMarked({gone});
    QFile::remove(gone.path());
    interaction.answerAlert(1);

    press(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(finalMessage(progressWindow()), QStringLiteral("Mit 1 Fehler(n) abgeschlossen"));
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("1 Vorgang/Vorgänge fehlgeschlagen"));
    EXPECT_TRUE(interaction.alerts()[0].informativeText.startsWith(QStringLiteral("weg.txt: ")));
}

// A drop and the context menu act from the panel they happen in.
TEST_F(Runner, DropsAndContextMenuCommandsMakeTheirPanelActive)
{
    const FileUrl file = leftFolder.write("a.txt", "a");
    const FileUrl other = rightFolder.write("b.txt", "b");
    relist(right());
    interaction.answerAlert(0);
    window->dropFiles(right(), {file}, rightFolder.url(), true);
    EXPECT_EQ(window->activePanel(), &right());
    EXPECT_EQ(finalMessage(progressWindow()), QStringLiteral("Vorgang abgeschlossen"));
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("1 Objekt(e) verschieben?"));
    EXPECT_TRUE(interaction.alerts()[0].informativeText.startsWith(QStringLiteral("Quelle: ") + leftFolder.url().path()
                                                                   + QStringLiteral("\nZiel: ") + rightFolder.url().path()));
    EXPECT_EQ(entriesOf(rightFolder.url()), (QStringList{"a.txt", "b.txt"}));

    window->setActive(left(), true);
    right().setMarked({other});
    interaction.answerAlert(1);
    window->runCommand(right(), QStringLiteral("renameSelection"));
    EXPECT_EQ(window->activePanel(), &right());
    ASSERT_EQ(interaction.alerts().size(), 2);
    EXPECT_EQ(interaction.alerts()[1].informativeText, QStringLiteral("b.txt"));
}

TEST_F(Runner, CommandsWithoutASelectionOnlyBeep)
{
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_F5, Qt::NoModifier}, std::pair{Qt::Key_F6, Qt::NoModifier},
                                         std::pair{Qt::Key_F8, Qt::NoModifier}, std::pair{Qt::Key_D, Qt::ControlModifier}})
        press(key, modifiers);
    EXPECT_EQ(interaction.beepCount(), 4);
    EXPECT_TRUE(interaction.alerts().isEmpty());
    EXPECT_FALSE(progressWindow());
    EXPECT_TRUE(recorded(fileOperation).isEmpty());
}

TEST_F(Runner, ACopyDeclinedAtTheQuestionCopiesNothing)
{
    const FileUrl file = leftFolder.write("a.txt", "a");
    relist(left());
    left().setMarked({file});
    interaction.answerAlert(1);
    press(Qt::Key_F5);
    EXPECT_FALSE(progressWindow());
    EXPECT_TRUE(entriesOf(rightFolder.url()).isEmpty());
}

} // namespace
