#include "CommanderTestWindow.h"

#include "core/SystemError.h"

#include <cerrno>
#include <unistd.h>

namespace {

using Commands = CommanderTest;

const QString notAllowed = QStringLiteral("Dieser Dateiname ist nicht zulässig.");

TEST_F(Commands, RenameTrimsTheNameAndRefusesNamesThatAreNoNamesOrTaken)
{
    const FileUrl file = leftFolder.write("a.txt", "a");
    leftFolder.write("c.txt", "c");
    relist(left());
    const QString taken = QStringLiteral("Am Ziel existiert bereits ein Objekt mit diesem Namen.");
    const QList<std::pair<QString, QString>> refused = {
        {"a.txt", taken}, {"x/y.txt", notAllowed}, {"..", notAllowed}, {"  \n ", notAllowed}, {"c.txt", taken}};
    for (const auto& [typed, refusal] : refused) {
        left().setMarked({file});
        interaction.answerAlert(AlertAnswer(0).withText(typed));
        interaction.answerAlert(0);
        press(Qt::Key_F2);
    }
    left().setMarked({file});
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("  b.txt \t")));
    press(Qt::Key_F2);

    const QList<AlertRequest>& alerts = interaction.alerts();
    ASSERT_EQ(alerts.size(), 2 * refused.size() + 1);
    const AlertRequest& question = alerts[0];
    EXPECT_EQ(question.message, QStringLiteral("Umbenennen"));
    EXPECT_EQ(question.informativeText, QStringLiteral("a.txt"));
    ASSERT_EQ(question.accessory.controls.size(), 1);
    EXPECT_EQ(question.accessory.controls[0].text, QStringLiteral("a.txt"));
    EXPECT_EQ(question.accessory.controls[0].size, QSize(360, 24));
    EXPECT_EQ(question.buttons, (QStringList{"Umbenennen", "Abbrechen"}));
    for (qsizetype i = 0; i < refused.size(); ++i)
        EXPECT_EQ(alerts[2 * i + 1].message, refused[i].second) << refused[i].first.toStdString();
    EXPECT_EQ(entriesOf(leftFolder.url()), (QStringList{"b.txt", "c.txt"}));
    EXPECT_EQ(contentsOf(leftFolder.file("b.txt")), QByteArray("a"));
    EXPECT_EQ(contentsOf(leftFolder.file("c.txt")), QByteArray("c"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(left()) == QStringList{"b.txt", "c.txt"}; }, 10000));
}

TEST_F(Commands, RenameWithTwoEntriesOnlyBeeps)
{
    const FileUrl a = leftFolder.write("a.txt", "a");
    const FileUrl b = leftFolder.write("b.txt", "b");
    relist(left());
    left().setMarked({a, b});
    press(Qt::Key_F2);
    EXPECT_EQ(interaction.beepCount(), 1);
    EXPECT_TRUE(interaction.alerts().isEmpty());
    EXPECT_EQ(entriesOf(leftFolder.url()), (QStringList{"a.txt", "b.txt"}));
}

TEST_F(Commands, AnUnchangedNameThatIsNoTextKeepsItsOwnBytes)
{
    const FileUrl odd = leftFolder.write("caf\xe9.txt", "x");
    relist(left());
    left().setMarked({odd});
    interaction.answerAlert(AlertAnswer(0)); // the proposal as it stands
    interaction.answerAlert(0);
    press(Qt::Key_F2);
    ASSERT_EQ(interaction.alerts().size(), 2);
    EXPECT_EQ(interaction.alerts()[1].message, QStringLiteral("Am Ziel existiert bereits ein Objekt mit diesem Namen."));
    EXPECT_EQ(contentsOf(odd), QByteArray("x"));
}

TEST_F(Commands, NewEmptyFileRefusesTakenAndInvalidNamesAndPutsTheCursorOnTheNewFile)
{
    leftFolder.write("Neue Datei.txt", "alt");
    relist(left());
    interaction.answerAlert(0);                                                 // the proposed name
    interaction.answerAlert(0);                                                 // "exists"
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("a/b")));
    interaction.answerAlert(0);                                                 // "not allowed"
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral(" leer.md ")));
    for (int i = 0; i < 3; ++i)
        window->newEmptyFile();

    const QList<AlertRequest>& alerts = interaction.alerts();
    ASSERT_EQ(alerts.size(), 5);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Neue leere Datei"));
    EXPECT_EQ(alerts[0].accessory.controls[0].text, QStringLiteral("Neue Datei.txt"));
    EXPECT_EQ(alerts[0].accessory.controls[0].size, QSize(340, 24));
    EXPECT_EQ(alerts[0].buttons, (QStringList{"Anlegen", "Abbrechen"}));
    EXPECT_EQ(alerts[1].message, QStringLiteral("Eine Datei mit diesem Namen existiert bereits."));
    EXPECT_EQ(alerts[3].message, notAllowed);
    EXPECT_EQ(contentsOf(leftFolder.file("Neue Datei.txt")), QByteArray("alt"));
    EXPECT_EQ(contentsOf(leftFolder.file("leer.md")), QByteArray());

    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QModelIndex current = left().table()->currentIndex();
            return current.isValid() && left().items().value(current.row()).name() == QStringLiteral("leer.md");
        },
        10000));
}

TEST_F(Commands, NewFolderTakesTheNameAsTypedAndShowsTheSystemsRefusal)
{
    interaction.answerAlert(0);
    interaction.answerAlert(0);
    interaction.answerAlert(0);
    press(Qt::Key_F7);
    press(Qt::Key_F7);

    const QList<AlertRequest>& alerts = interaction.alerts();
    ASSERT_EQ(alerts.size(), 3);
    EXPECT_EQ(alerts[0].message, QStringLiteral("Neuer Ordner"));
    EXPECT_EQ(alerts[0].accessory.controls[0].text, QStringLiteral("Neuer Ordner"));
    EXPECT_EQ(alerts[0].buttons, (QStringList{"Anlegen", "Abbrechen"}));
    EXPECT_EQ(alerts[2].message, SystemError(EEXIST, leftFolder.file("Neuer Ordner").nativePath()).description());
    EXPECT_TRUE(QFileInfo(leftFolder.file("Neuer Ordner").path()).isDir());
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(left()) == QStringList{"Neuer Ordner"}; }, 10000));

    // Missing parents are never made.
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("fehlt/innen")));
    interaction.answerAlert(0);
    press(Qt::Key_F7);
    ASSERT_EQ(interaction.alerts().size(), 5);
    EXPECT_EQ(interaction.alerts()[4].message,
              SystemError(ENOENT, leftFolder.file("fehlt/innen").nativePath()).description());
    EXPECT_FALSE(QFile::exists(leftFolder.file("fehlt").path()));
}

TEST_F(Commands, SymbolicLinksTakeFreeNamesAndPointToTheAbsoluteSources)
{
    const FileUrl a = leftFolder.write("a.txt", "a");
    const FileUrl folder = leftFolder.makeFolder("Ordner");
    rightFolder.write("a.txt", "bleibt");
    rightFolder.makeFolder("Ordner");
    relist(left());
    left().setMarked({a, folder});
    interaction.answerAlert(0);

    window->createSymbolicLinks();

    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("2 symbolische Link(s) anlegen?"));
    EXPECT_EQ(interaction.alerts()[0].informativeText, QStringLiteral("Zielordner: ") + rightFolder.url().path()
                                                           + QStringLiteral("\nDie Links verweisen auf die absoluten Quellpfade."));
    EXPECT_EQ(interaction.alerts()[0].buttons, (QStringList{"Links anlegen", "Abbrechen"}));
    EXPECT_EQ(entriesOf(rightFolder.url()), (QStringList{"Ordner", "Ordner 2", "a 2.txt", "a.txt"}));
    EXPECT_EQ(QFile::symLinkTarget(rightFolder.file("a 2.txt").path()), a.path());
    EXPECT_EQ(QFile::symLinkTarget(rightFolder.file("Ordner 2").path()), folder.path());
    EXPECT_EQ(contentsOf(rightFolder.file("a.txt")), QByteArray("bleibt"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(right()).size() == 4; }, 10000));

    left().setMarked({});
    window->createSymbolicLinks();
    EXPECT_EQ(interaction.beepCount(), 1);
}

TEST_F(Commands, TheAccessCheckReportsAndRecordsWhatItFound)
{
    interaction.answerAlert(0);
    window->checkActiveFolderAccess();
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("Ordnerzugriff verfügbar"));
    EXPECT_EQ(interaction.alerts()[0].informativeText,
              QStringLiteral("Pfad: ") + leftFolder.url().path() + QStringLiteral("\nVorhanden: Ja\nLesbar: Ja\nBeschreibbar: Ja"));
    EXPECT_EQ(recorded(QStringLiteral("Berechtigung")),
              QStringList{"Aktiver Ordner geprüft · lesbar true · beschreibbar true"});

    // A folder that went away is neither there nor readable, whoever asks.
    const FileUrl gone = leftFolder.makeFolder("weg");
    show(left(), gone);
    ASSERT_EQ(::rmdir(gone.nativePath().constData()), 0);
    interaction.answerAlert(0);
    window->checkActiveFolderAccess();
    ASSERT_EQ(interaction.alerts().size(), 2);
    EXPECT_EQ(interaction.alerts()[1].message, QStringLiteral("Ordner kann nicht gelesen werden"));
    EXPECT_TRUE(interaction.alerts()[1].informativeText.startsWith(
        QStringLiteral("Pfad: ") + gone.path() + QStringLiteral("\nVorhanden: Nein\nLesbar: Nein\nBeschreibbar: Nein\n\n")));
    EXPECT_EQ(recorded(QStringLiteral("Berechtigung")).last(),
              QStringLiteral("Aktiver Ordner geprüft · lesbar false · beschreibbar false"));
}

} // namespace
