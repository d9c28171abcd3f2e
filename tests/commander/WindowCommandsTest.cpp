#include "CommanderTestWindow.h"

#include "core/SystemError.h"

#include <cerrno>
#include <unistd.h>

namespace {

using Commands = CommanderTest;

const QString notAllowed = QStringLiteral("Dieser Dateiname ist nicht zulässig.");
const QString taken = QStringLiteral("Am Ziel existiert bereits ein Objekt mit diesem Namen.");

TEST_F(Commands, RenameTrimsTheNameAndRefusesNamesThatAreNoNamesOrTaken)
{
    const FileUrl file = leftFolder.write("a.txt", "a");
    const FileUrl other = leftFolder.write("c.txt", "c");
    relist(left());
    left().setMarked({file, other});
    press(Qt::Key_F2);
    EXPECT_EQ(interaction.beepCount(), 1) << "two entries are no rename";

    const QList<std::pair<QString, QString>> refused = {
        {"a.txt", taken}, {"x/y.txt", notAllowed}, {"..", notAllowed}, {"  \n ", notAllowed}, {"c.txt", taken}};
    for (const auto& [typed, refusal] : refused) {
        left().setMarked({file});
        interaction.answerAlert(AlertAnswer(0).withText(typed));
        interaction.answerAlert(0);
        press(Qt::Key_F2);
        EXPECT_EQ(interaction.alerts().constLast().message, refusal) << typed.toStdString();
    }
    left().setMarked({file});
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("  b.txt \t")));
    press(Qt::Key_F2);
    EXPECT_EQ(interaction.alerts().constFirst().accessory.controls.value(0).text, QStringLiteral("a.txt"));
    EXPECT_EQ(entriesOf(leftFolder.url()), (QStringList{"b.txt", "c.txt"}));
    EXPECT_EQ(contentsOf(leftFolder.file("b.txt")), QByteArray("a"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(left()) == QStringList{"b.txt", "c.txt"}; }, 10000));

    // A proposal that is no text, left as it stands, keeps its own bytes.
    const FileUrl odd = leftFolder.write("caf\xe9.txt", "x");
    relist(left());
    left().setMarked({odd});
    interaction.answerAlert(0);
    interaction.answerAlert(0);
    press(Qt::Key_F2);
    EXPECT_EQ(interaction.alerts().constLast().message, taken);
    EXPECT_EQ(contentsOf(odd), QByteArray("x"));
}

TEST_F(Commands, NewFileAndFolderRefuseTakenAndInvalidNames)
{
    leftFolder.write("Neue Datei.txt", "alt");
    relist(left());
    interaction.answerAlert(0); // the proposed name
    interaction.answerAlert(0); // "exists"
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("a/b")));
    interaction.answerAlert(0); // "not allowed"
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral(" leer.md ")));
    for (int i = 0; i < 3; ++i)
        window->newEmptyFile();
    ASSERT_EQ(interaction.alerts().size(), 5);
    EXPECT_EQ(interaction.alerts()[1].message, QStringLiteral("Eine Datei mit diesem Namen existiert bereits."));
    EXPECT_EQ(interaction.alerts()[3].message, notAllowed);
    EXPECT_EQ(contentsOf(leftFolder.file("Neue Datei.txt")), QByteArray("alt"));
    EXPECT_EQ(contentsOf(leftFolder.file("leer.md")), QByteArray());
    // The cursor lands on the new file.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return left().items().value(left().table()->currentIndex().row()).name() == QStringLiteral("leer.md"); },
        10000));

    // A folder takes the name as typed; the system's refusal is shown, and missing parents are never made.
    interaction.answerAlert(0);
    interaction.answerAlert(0);
    interaction.answerAlert(0);
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("fehlt/innen")));
    interaction.answerAlert(0);
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_F7);
    ASSERT_EQ(interaction.alerts().size(), 10);
    EXPECT_EQ(interaction.alerts()[7].message, SystemError(EEXIST, leftFolder.file("Neuer Ordner").nativePath()).description());
    EXPECT_EQ(interaction.alerts()[9].message, SystemError(ENOENT, leftFolder.file("fehlt/innen").nativePath()).description());
    EXPECT_TRUE(QFileInfo(leftFolder.file("Neuer Ordner").path()).isDir());
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

    EXPECT_EQ(interaction.alerts().value(0).message, QStringLiteral("2 symbolische Link(s) anlegen?"));
    EXPECT_EQ(entriesOf(rightFolder.url()), (QStringList{"Ordner", "Ordner 2", "a 2.txt", "a.txt"}));
    EXPECT_EQ(QFile::symLinkTarget(rightFolder.file("a 2.txt").path()), a.path());
    EXPECT_EQ(QFile::symLinkTarget(rightFolder.file("Ordner 2").path()), folder.path());
    EXPECT_EQ(contentsOf(rightFolder.file("a.txt")), QByteArray("bleibt"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(right()).size() == 4; }, 10000));

    left().setMarked({});
    window->createSymbolicLinks();
    EXPECT_EQ(interaction.beepCount(), 1);
}

TEST_F(Commands, TheAccessCheckOfAFolderThatWentAway)
{
    // Gone is neither there nor readable, whoever asks (root included).
    const FileUrl gone = leftFolder.makeFolder("weg");
    show(left(), gone);
    ASSERT_EQ(::rmdir(gone.nativePath().constData()), 0);
    interaction.answerAlert(0);
    window->checkActiveFolderAccess();
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("Ordner kann nicht gelesen werden"));
    EXPECT_TRUE(interaction.alerts()[0].informativeText.startsWith(
        QStringLiteral("Pfad: ") + gone.path() + QStringLiteral("\nVorhanden: Nein\nLesbar: Nein\nBeschreibbar: Nein\n\n")));
    EXPECT_EQ(recorded(QStringLiteral("Berechtigung")),
              QStringList{"Aktiver Ordner geprüft · lesbar false · beschreibbar false"});
}

} // namespace
