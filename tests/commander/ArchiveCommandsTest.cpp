#include "CommanderTestWindow.h"

namespace {

using ArchiveCommandsTest = CommanderTest;

TEST_F(ArchiveCommandsTest, PacksIntoTheOtherPanelAndUnpacksBackUnderAFreeName)
{
    const FileUrl report = leftFolder.write("bericht.txt", "Inhalt");
    leftFolder.write("Backup", "belegt");
    relist(left());
    left().setMarked({report});
    interaction.answerAlert(AlertAnswer(0).withText("  Backup\n"));
    window->createZIP();
    EXPECT_EQ(finalMessage(), QStringLiteral("Archiv erstellt"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(right()) == QStringList{"Backup.zip"}; }, 10000));
    returnToWindow();

    window->setActive(right(), true);
    right().setMarked({rightFolder.file("Backup.zip")});
    interaction.answerAlert(0);
    window->extractZIP();
    EXPECT_EQ(finalMessage(), QStringLiteral("Archiv entpackt"));
    EXPECT_EQ(interaction.alerts().value(1).informativeText,
              QStringLiteral("Archiv: Backup.zip\nZiel: ") + leftFolder.url().path() + QStringLiteral("/Backup 2"));
    EXPECT_EQ(contentsOf(leftFolder.file("Backup 2/bericht.txt")), "Inhalt");

    // A ZIP is no TAR archive, and two entries are not one archive.
    window->extractTarHere();
    const FileUrl second = rightFolder.write("b.zip");
    relist(right());
    right().setMarked({rightFolder.file("Backup.zip"), second});
    window->extractZIPHere();
    EXPECT_EQ(interaction.beepCount(), 2);
}

TEST_F(ArchiveCommandsTest, AnUnsafeArchiveIsRefusedWithTheEntryNamed)
{
    // A ZIP with the one entry "../evil".
    const QByteArray zip = QByteArray::fromBase64(
        "UEsDBBQAAAAAAAAAIQAAAAAAAAAAAAAAAAAHAAAALi4vZXZpbFBLAQIUAxQAAAAAAAAAIQAAAAAAAAAAAAAAAAAHAAAAAAAAAAAAAACAAQAAAAAu"
        "Li9ldmlsUEsFBgAAAAABAAEANQAAACUAAAAAAA==");
    const FileUrl evil = leftFolder.write("boese.zip", zip);
    relist(left());
    left().setMarked({evil});
    interaction.answerAlert(0);
    interaction.answerAlert(0);
    window->extractZIPHere();
    EXPECT_TRUE(QTest::qWaitFor([&] { return interaction.alerts().size() == 2; }, 10000));
    EXPECT_TRUE(interaction.alerts().constLast().message.endsWith(QStringLiteral(": ../evil")));
    EXPECT_EQ(entriesOf(leftFolder.url()), QStringList{"boese.zip"});
}

} // namespace
