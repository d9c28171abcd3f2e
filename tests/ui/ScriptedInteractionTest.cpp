#include "core/BrenvikError.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

// The shape of the conflict question: a pop-up and a check box in one stack.
AlertRequest conflictQuestion()
{
    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QStringLiteral("Ziel existiert bereits");
    request.buttons = QStringList{"Anwenden", "Abbrechen"};
    request.accessory.controls = {
        AccessoryControl::popUp({"Ersetzen", "Überspringen", "Beide behalten"}, 0, QSize(340, 26)),
        AccessoryControl::checkBox(QStringLiteral("Für alle weiteren Konflikte anwenden"), false, QSize(340, 22))};
    request.accessory.size = QSize(350, 58);
    return request;
}

TEST(ScriptedInteraction, AnswersInScriptOrderAndRecordsEveryRequest)
{
    ScriptedInteraction interaction;
    interaction.answerAlert(AlertAnswer(0).withSelection(2).withCheckBox(true));
    interaction.answerSaveFile(QStringLiteral("/tmp/Brenvik-Diagnose.txt"));
    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("Neu")));

    const AlertResponse conflict = interaction.runAlert(conflictQuestion());
    EXPECT_EQ(conflict.buttonIndex, 0);
    EXPECT_EQ(conflict.selectedIndex(), 2);
    EXPECT_TRUE(conflict.isChecked());
    EXPECT_EQ(conflict.text(), QString()); // the alert had no text field

    SaveFileRequest save;
    save.suggestedName = QStringLiteral("Brenvik-Diagnose.txt");
    EXPECT_EQ(interaction.chooseSaveDestination(save), QStringLiteral("/tmp/Brenvik-Diagnose.txt"));

    AlertRequest prompt;
    prompt.message = QStringLiteral("Neuer Ordner");
    prompt.buttons = QStringList{"Anlegen", "Abbrechen"};
    prompt.accessory.controls = {AccessoryControl::textField(QStringLiteral("Neuer Ordner"))};
    EXPECT_EQ(interaction.runAlert(prompt).text(), QStringLiteral("Neu"));

    interaction.beep();
    interaction.beep();
    EXPECT_EQ(interaction.beepCount(), 2);
    ASSERT_EQ(interaction.alerts().size(), 2);
    EXPECT_EQ(interaction.alerts()[0].message, QStringLiteral("Ziel existiert bereits"));
    EXPECT_EQ(interaction.alerts()[1].accessory.controls[0].text, QStringLiteral("Neuer Ordner"));
    EXPECT_EQ(interaction.saveFileRequests()[0].suggestedName, QStringLiteral("Brenvik-Diagnose.txt"));
    EXPECT_EQ(interaction.unusedAnswers(), 0);
}

TEST(ScriptedInteraction, ErrorAlertsCarryTheDescriptionAndOneOkButton)
{
    ScriptedInteraction interaction;
    interaction.answerAlert(0);
    interaction.answerAlert(0);
    interaction.showError(BrenvikError(QStringLiteral("ArchiveError"),
                                       QStringLiteral("Dieses Archivformat wird in dieser Ausbaustufe noch nicht unterstützt.")));
    interaction.showError(QStringLiteral("Quelle und Ziel sind identisch"),
                          QStringLiteral("Wähle im anderen Remote-Panel einen anderen Zielordner."));

    ASSERT_EQ(interaction.alerts().size(), 2);
    EXPECT_EQ(interaction.alerts()[0].message,
              QStringLiteral("Dieses Archivformat wird in dieser Ausbaustufe noch nicht unterstützt."));
    EXPECT_EQ(interaction.alerts()[0].informativeText, QString());
    EXPECT_EQ(interaction.alerts()[0].effectiveButtons(), QStringList{"OK"});
    EXPECT_EQ(interaction.alerts()[1].informativeText,
              QStringLiteral("Wähle im anderen Remote-Panel einen anderen Zielordner."));
}

// The double must make a wrong command fail loudly, and still let it end as
// if the user had cancelled.
TEST(ScriptedInteraction, UnscriptedOrMismatchedRequestsFailTheTestAndCancel)
{
    ScriptedInteraction interaction;
    AlertResponse response;
    EXPECT_NONFATAL_FAILURE(response = interaction.runAlert(conflictQuestion()),
                            "no scripted answer for the alert \"Ziel existiert bereits\"");
    EXPECT_EQ(response.buttonIndex, 1);
    EXPECT_FALSE(response.isChecked());

    interaction.answerSaveFile(QStringLiteral("/tmp/x"));
    EXPECT_NONFATAL_FAILURE(response = interaction.runAlert(conflictQuestion()),
                            "the script expected a save dialog");
    EXPECT_EQ(response.buttonIndex, 1);
    EXPECT_EQ(interaction.unusedAnswers(), 1);

    std::optional<QString> path;
    interaction.answerOpenFile(QStringLiteral("/tmp/y"));
    EXPECT_EQ(interaction.chooseSaveDestination({}), QStringLiteral("/tmp/x"));
    EXPECT_NONFATAL_FAILURE(path = interaction.chooseSaveDestination({}), "the script expected an open dialog");
    EXPECT_EQ(path, std::nullopt);
    EXPECT_EQ(interaction.chooseFileToOpen({}), QStringLiteral("/tmp/y"));
}

TEST(ScriptedInteraction, ScriptsThatDoNotFitTheAlertFail)
{
    ScriptedInteraction interaction;
    interaction.answerAlert(2);
    EXPECT_NONFATAL_FAILURE(interaction.runAlert(conflictQuestion()), "scripted button 2 does not exist");

    interaction.answerAlert(AlertAnswer(0).withText(QStringLiteral("Name")));
    EXPECT_NONFATAL_FAILURE(interaction.runAlert(conflictQuestion()), "matches no control");

    interaction.answerAlert(AlertAnswer(0).withSelection(3));
    EXPECT_NONFATAL_FAILURE(interaction.runAlert(conflictQuestion()), "pop-up entry 3 is missing");
}

TEST(ScriptedInteraction, AnswersLeftOverFailTheTest)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedInteraction interaction;
            interaction.answerAlert(0);
        },
        "1 scripted answer(s) never asked for");
}

} // namespace
