#include "support/TestEnvironment.h"
#include "ui/QtInteraction.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Acts on the modal dialog once its event loop runs. When no such dialog
// appears the test fails and whatever is modal is closed, so nothing hangs.
template <typename Dialog>
void whenOpen(std::function<void(Dialog&)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<Dialog*>(modal);
        if (!dialog) {
            ADD_FAILURE() << "expected dialog is not open";
            if (modal)
                modal->close();
            return;
        }
        act(*dialog);
    });
}

QRect geometryIn(QWidget& window, QWidget* widget)
{
    return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
}

TEST(QtInteraction, NamePromptReturnsTheTypedTextAndTheButton)
{
    QtInteraction interaction;
    AlertRequest request;
    request.message = QStringLiteral("Neue leere Datei");
    request.buttons = QStringList{"Anlegen", "Abbrechen"};
    request.accessory.controls = {AccessoryControl::textField(QStringLiteral("Neue Datei.txt"), QSize(340, 24))};

    bool fieldHadFocus = false;
    whenOpen<QMessageBox>([&](QMessageBox& box) {
        EXPECT_EQ(box.text(), request.message);
        auto* field = box.findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(), QStringLiteral("Neue Datei.txt"));
        fieldHadFocus = box.focusWidget() == field;
        // Typing replaces the preselected name; Return presses the first button.
        QTest::keyClicks(field, QStringLiteral("Notiz.md"));
        QTest::keyClick(field, Qt::Key_Return);
    });
    const AlertResponse response = interaction.runAlert(request);

    EXPECT_TRUE(fieldHadFocus);
    EXPECT_EQ(response.buttonIndex, 0);
    EXPECT_EQ(response.text(), QStringLiteral("Notiz.md"));

    // Escape and closing count as the last button.
    whenOpen<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(interaction.runAlert(request).buttonIndex, 1);
    whenOpen<QMessageBox>([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(interaction.runAlert(request).buttonIndex, 1);
}

TEST(QtInteraction, ConflictQuestionShowsItsStackBetweenTextsAndButtons)
{
    QtInteraction interaction;
    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QStringLiteral("Ziel existiert bereits");
    request.informativeText = QStringLiteral("Quelle: a.txt (100 Byte)\nZiel: /tmp/a.txt (—)");
    request.buttons = QStringList{"Anwenden", "Abbrechen"};
    request.accessory.controls = {
        AccessoryControl::popUp({"Ersetzen", "Nur ersetzen, wenn Quelle neuer ist", "Überspringen"}, 0, QSize(340, 26)),
        AccessoryControl::checkBox(QStringLiteral("Für alle weiteren Konflikte anwenden"), false, QSize(340, 22))};
    request.accessory.size = QSize(350, 58);

    whenOpen<QMessageBox>([&](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.informativeText(), request.informativeText);
        auto* popUp = box.findChild<QComboBox*>();
        auto* check = box.findChild<QCheckBox*>();
        auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        auto* buttons = box.findChild<QDialogButtonBox*>();
        ASSERT_TRUE(popUp && check && informative && buttons);
        EXPECT_EQ(popUp->currentText(), QStringLiteral("Ersetzen"));
        // Laid out, not floating: below the informative text, above the buttons,
        // inside the alert, the two controls apart.
        const QRect popUpRect = geometryIn(box, popUp), checkRect = geometryIn(box, check);
        EXPECT_GE(popUpRect.top(), geometryIn(box, informative).bottom());
        EXPECT_GT(checkRect.top(), popUpRect.bottom());
        EXPECT_LE(checkRect.bottom(), geometryIn(box, buttons).top());
        EXPECT_TRUE(box.rect().contains(popUpRect.united(checkRect)));
        popUp->setCurrentIndex(2);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        for (QAbstractButton* button : box.buttons())
            if (button->text() == QStringLiteral("Anwenden"))
                QTest::mouseClick(button, Qt::LeftButton);
    });
    const AlertResponse response = interaction.runAlert(request);

    EXPECT_EQ(response.buttonIndex, 0);
    EXPECT_EQ(response.selectedIndex(), 2);
    EXPECT_TRUE(response.isChecked());
}

// A progress window floats above every window: a question asked during its
// operation must come above it and take the keyboard, or Return answers it unseen.
TEST(QtInteraction, AQuestionDuringAFloatingWindowFloatsAboveItWithTheKeyboard)
{
    QWidget progress(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    progress.show();
    QtInteraction interaction;
    bool above = false;
    bool focused = false;
    // Looks until the question has come up and had its chance to take the
    // keyboard (a loaded machine is slow), then answers it.
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, qApp, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        above = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        focused = QApplication::activeWindow() == box;
        if (focused || waited.elapsed() > 5000)
            box->reject();
    });
    poll.start(20);
    interaction.runAlert(AlertRequest());
    EXPECT_TRUE(above);
    EXPECT_TRUE(focused);
}

TEST(QtInteraction, FileDialogsStartInTheFolderAndReturnTheChosenFile)
{
    QtInteraction interaction;
    TempFolder folder;
    SaveFileRequest save;
    save.suggestedName = QStringLiteral("Brenvik-Verbindungen.json");
    save.startFolder = QString::fromUtf8(folder.path());
    save.allowedSuffixes = QStringList{"json"};
    whenOpen<QFileDialog>([](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(interaction.chooseSaveDestination(save), save.startFolder + QStringLiteral("/Brenvik-Verbindungen.json"));
    whenOpen<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(interaction.chooseSaveDestination(save), std::nullopt);

    const QString file = QString::fromUtf8(folder.write("id_ed25519", "key").nativePath());
    OpenFileRequest open;
    open.startFolder = save.startFolder;
    whenOpen<QFileDialog>([&](QFileDialog& dialog) {
        dialog.selectFile(file);
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(interaction.chooseFileToOpen(open), file);
}

} // namespace
