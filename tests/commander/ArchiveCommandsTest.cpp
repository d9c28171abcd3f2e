#include "CommanderTestWindow.h"

namespace {

using ArchiveCommandsTest = CommanderTest;

TEST_F(ArchiveCommandsTest, PacksIntoTheOtherPanelAndUnpacksBack)
{
    const FileUrl report = leftFolder.write("bericht.txt", "Inhalt");
    leftFolder.write("Backup", "belegt");
    relist(left());
    left().setMarked({report});

    interaction.answerAlert(AlertAnswer(0).withText("  Backup\n"));
    window->createZIP();
    EXPECT_EQ(progressWindow()->windowTitle(), QStringLiteral("ZIP wird erstellt"));
    EXPECT_EQ(finalMessage(progressWindow()), QStringLiteral("Archiv erstellt"));
    ASSERT_EQ(interaction.alerts().size(), 1);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("Auswahl als ZIP packen"));
    EXPECT_EQ(interaction.alerts()[0].informativeText, QStringLiteral("Ziel: ") + rightFolder.url().path());
    EXPECT_EQ(interaction.alerts()[0].buttons, (QStringList{"Packen", "Abbrechen"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return names(right()) == QStringList{"Backup.zip"}; }, 10000));
    returnToWindow();

    // Back from the right panel into the left one, where "Backup" is taken.
    window->setActive(right(), true);
    right().setMarked({rightFolder.file("Backup.zip")});
    interaction.answerAlert(0);
    window->extractZIP();
    EXPECT_EQ(finalMessage(progressWindow()), QStringLiteral("Archiv entpackt"));
    ASSERT_EQ(interaction.alerts().size(), 2);
    EXPECT_EQ(interaction.alerts()[1].message, QStringLiteral("ZIP entpacken?"));
    EXPECT_EQ(interaction.alerts()[1].informativeText,
              QStringLiteral("Archiv: Backup.zip\nZiel: ") + leftFolder.url().path() + QStringLiteral("/Backup 2"));
    EXPECT_EQ(contentsOf(leftFolder.file("Backup 2/bericht.txt")), "Inhalt");
    EXPECT_EQ(entriesOf(leftFolder.url()), (QStringList{"Backup", "Backup 2", "bericht.txt"}));

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
    EXPECT_EQ(interaction.alerts().constLast().message,
              QStringLiteral("Das Archiv enthält einen unsicheren Pfad und wurde nicht entpackt: ../evil"));
    EXPECT_EQ(entriesOf(leftFolder.url()), QStringList{"boese.zip"});
}

} // namespace
