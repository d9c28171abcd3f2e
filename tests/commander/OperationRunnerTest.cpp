#include "CommanderTestWindow.h"

#include "commander/OperationRunner.h"
#include "core/SystemError.h"

#include <cerrno>

namespace {

using Runner = CommanderTest;

const QString fileOperation = QStringLiteral("Dateioperation");

TEST_F(Runner, CopyGoesOnPastFailuresReportsEightAndRetriesAll)
{
    QSet<FileUrl> marked{leftFolder.write("a.txt", "aaaa")};
    for (int i = 1; i <= 10; ++i)
        marked.insert(leftFolder.write(QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0')).toUtf8(), "x"));
    relist(left());
    left().setMarked(marked);
    for (const FileUrl& file : marked)
        if (file.fileName() != QStringLiteral("a.txt"))
            QFile::remove(file.path()); // gone between marking and copying
    interaction.answerAlert(0);
    interaction.answerAlert(0); // "Erneut versuchen"
    interaction.answerAlert(1); // the new confirmation: no

    press(Qt::Key_F5);
    EXPECT_EQ(finalMessage(), QStringLiteral("Mit 10 Fehler(n) abgeschlossen"));

    ASSERT_EQ(interaction.alerts().size(), 3);
    EXPECT_EQ(interaction.alerts()[0].informativeText,
              QStringLiteral("Quelle: %1\nZiel: %2\n\nBei vorhandenen Namen wird einzeln nachgefragt.")
                  .arg(leftFolder.url().path(), rightFolder.url().path()));
    const QStringList lines = interaction.alerts()[1].informativeText.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines.last(), QStringLiteral("…"));
    EXPECT_TRUE(lines.first().endsWith(QStringLiteral(": Die Datei oder der Ordner existiert nicht.")));
    // The retry asks again, for every failed entry, not only the ones shown.
    EXPECT_EQ(interaction.alerts()[2].message, QStringLiteral("10 Objekt(e) kopieren?"));
    EXPECT_EQ(recorded(fileOperation), (QStringList{"Kopieren gestartet · 11 Objekt(e)", "Abgeschlossen · 10 Fehler",
                                                    "Kopieren gestartet · 10 Objekt(e)"}));
    EXPECT_EQ(entriesOf(rightFolder.url()), QStringList{"a.txt"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(right()) == QStringList{"a.txt"}; }, 10000));
    EXPECT_EQ(window->activePanel(), &left()) << "the reloads leave the keyboard where it was";
}

TEST_F(Runner, TheConflictQuestionComesFromTheQueueAndItsCancelEndsTheJob)
{
    const FileUrl source = leftFolder.write("a.txt", "neu!!");
    const FileUrl target = rightFolder.write("a.txt", "alt");
    relist(left());
    left().setMarked({source});
    interaction.answerAlert(0);
    interaction.answerAlert(1); // "Abbrechen" in the conflict dialog

    press(Qt::Key_F5);
    EXPECT_EQ(finalMessage(), QStringLiteral("Vorgang abgebrochen"));
    ASSERT_EQ(interaction.alerts().size(), 2);
    EXPECT_EQ(interaction.alerts()[1].informativeText,
              QStringLiteral("Quelle: a.txt (5 Byte)\nZiel: ") + target.path() + QStringLiteral(" (3 Byte)"));
    EXPECT_EQ(contentsOf(target), QByteArray("alt"));
}

// The undo restores the last successful trash; one that stopped at an error
// keeps the earlier undo, and an undo stopped at an occupied place retries the rest.
TEST_F(Runner, TrashAsksWithFiveNamesAndItsUndoRestoresWhatIsLeft)
{
    QSet<FileUrl> marked;
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt", "6.txt", "7.txt"})
        marked.insert(leftFolder.write(name, name));
    relist(left());
    left().setMarked(marked);
    const QList<FileUrl> selection = left().selectedURLs();
    interaction.answerAlert(0);
    press(Qt::Key_F8);
    EXPECT_EQ(finalMessage(), QStringLiteral("In den Papierkorb verschoben"));
    QStringList expected;
    for (const FileUrl& url : selection.first(5))
        expected.append(url.fileName());
    EXPECT_EQ(interaction.alerts()[0].informativeText, (expected << QStringLiteral("…")).join(QLatin1Char('\n')));
    const QList<FileOperationQueue::TrashRecord> records = window->operations().lastTrash();
    ASSERT_EQ(records.size(), 7);
    EXPECT_TRUE(QTest::qWaitFor([&] { return left().items().isEmpty(); }, 10000));
    returnToWindow();

    const FileUrl gone = leftFolder.write("weg.txt");
    relist(left());
    left().setMarked({gone});
    QFile::remove(gone.path());
    interaction.answerAlert(0);
    interaction.answerAlert(0);
    press(Qt::Key_F8);
    ASSERT_TRUE(QTest::qWaitFor([&] { return interaction.alerts().size() == 3; }, 10000));
    EXPECT_EQ(interaction.alerts()[2].message, SystemError(ENOENT, gone.nativePath()).description());
    EXPECT_EQ(window->operations().lastTrash(), records);

    // The last one trashed comes back first; the first one's place is taken, so it stays in the trash.
    const FileUrl firstPlace = records.first().location;
    leftFolder.write(firstPlace.nativeFileName(), "Neuling");
    interaction.answerAlert(0);
    window->undoTrash();
    ASSERT_TRUE(QTest::qWaitFor([&] { return interaction.alerts().size() == 4; }, 10000));
    EXPECT_EQ(interaction.alerts()[3].message, SystemError(EEXIST, firstPlace.nativePath()).description());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->operations().lastTrash() == records.mid(0, 1); }, 10000));

    QFile::remove(firstPlace.path());
    window->undoTrash();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->operations().lastTrash().isEmpty(); }, 10000));
    EXPECT_EQ(entriesOf(leftFolder.url()).size(), 7);
    EXPECT_EQ(contentsOf(leftFolder.file("1.txt")), QByteArray("1.txt"));
    window->undoTrash();
    EXPECT_EQ(interaction.beepCount(), 1);
}

TEST_F(Runner, DuplicateTakesFreeNamesWithoutAskingAndReportsWhatFailed)
{
    const FileUrl file = leftFolder.write("a.txt", "inhalt");
    const FileUrl folder = leftFolder.makeFolder("Ordner");
    const FileUrl gone = leftFolder.write("weg.txt");
    leftFolder.write("Ordner/innen.txt", "innen");
    relist(left());
    left().setMarked({file, folder, gone});
    QFile::remove(gone.path());
    interaction.answerAlert(1);

    press(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(finalMessage(), QStringLiteral("Mit 1 Fehler(n) abgeschlossen"));
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_TRUE(interaction.alerts()[0].informativeText.startsWith(QStringLiteral("weg.txt: ")));
    EXPECT_EQ(entriesOf(leftFolder.url()), (QStringList{"Ordner", "Ordner 2", "a 2.txt", "a.txt"}));
    EXPECT_EQ(contentsOf(leftFolder.file("Ordner 2/innen.txt")), QByteArray("innen"));
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
    EXPECT_EQ(finalMessage(), QStringLiteral("Vorgang abgeschlossen"));
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("1 Objekt(e) verschieben?"));
    EXPECT_EQ(entriesOf(rightFolder.url()), (QStringList{"a.txt", "b.txt"}));

    window->setActive(left(), true);
    right().setMarked({other});
    interaction.answerAlert(1);
    window->runCommand(right(), QStringLiteral("renameSelection"));
    EXPECT_EQ(window->activePanel(), &right());
    EXPECT_EQ(interaction.alerts().value(1).informativeText, QStringLiteral("b.txt"));
}

TEST_F(Runner, CommandsWithoutASelectionBeepAndADeclinedCopyCopiesNothing)
{
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_F5, Qt::NoModifier}, std::pair{Qt::Key_F6, Qt::NoModifier},
                                         std::pair{Qt::Key_F8, Qt::NoModifier}, std::pair{Qt::Key_D, Qt::ControlModifier}})
        press(key, modifiers);
    EXPECT_EQ(interaction.beepCount(), 4);
    EXPECT_TRUE(interaction.alerts().isEmpty());

    const FileUrl file = leftFolder.write("a.txt", "a");
    relist(left());
    left().setMarked({file});
    interaction.answerAlert(1);
    press(Qt::Key_F5);
    EXPECT_FALSE(progressWindow());
    EXPECT_TRUE(entriesOf(rightFolder.url()).isEmpty());
}

} // namespace
