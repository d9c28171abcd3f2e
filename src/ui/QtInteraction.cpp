#include "ui/QtInteraction.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QMessageBox::Icon iconFor(AlertStyle style)
{
    switch (style) {
    case AlertStyle::informational: return QMessageBox::Information;
    case AlertStyle::warning: return QMessageBox::Warning;
    case AlertStyle::critical: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleFor(int index, int count)
{
    if (index == 0)
        return QMessageBox::AcceptRole;
    return index == count - 1 ? QMessageBox::RejectRole : QMessageBox::ActionRole;
}

void applySize(QWidget* widget, QSize size)
{
    if (!size.isEmpty())
        widget->setFixedSize(size);
}

// One widget per control, in the order of the request's controls.
QWidget* buildAccessory(const AlertAccessory& accessory, QList<QWidget*>& controls)
{
    auto* container = new QWidget;
    auto* stack = new QVBoxLayout(container);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(accessory.spacing);
    applySize(container, accessory.size);
    for (const AccessoryControl& control : accessory.controls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
        case AccessoryControl::Kind::textField: {
            auto* field = new QLineEdit(control.text);
            field->selectAll();
            widget = field;
            break;
        }
        case AccessoryControl::Kind::popUp: {
            auto* popUp = new QComboBox;
            popUp->addItems(control.items);
            popUp->setCurrentIndex(control.selectedIndex);
            widget = popUp;
            break;
        }
        case AccessoryControl::Kind::checkBox: {
            auto* box = new QCheckBox(control.text);
            box->setChecked(control.checked);
            widget = box;
            break;
        }
        }
        applySize(widget, control.size);
        stack->addWidget(widget);
        controls.append(widget);
    }
    stack->addStretch();
    return container;
}

void readValues(const QList<QWidget*>& widgets, QList<AccessoryControl>& controls)
{
    for (qsizetype i = 0; i < controls.size(); ++i) {
        if (auto* field = qobject_cast<QLineEdit*>(widgets[i]))
            controls[i].text = field->text();
        else if (auto* popUp = qobject_cast<QComboBox*>(widgets[i]))
            controls[i].selectedIndex = popUp->currentIndex();
        else if (auto* box = qobject_cast<QCheckBox*>(widgets[i]))
            controls[i].checked = box->isChecked();
    }
}

// Gives QMessageBox the look of an alert with an accessory: the message in
// bold above the informative text, a text column wide enough that short
// sentences do not wrap, and the accessory in that column between the texts
// and the buttons. Done last, because setting a text rebuilds the grid.
void arrangeAlert(QMessageBox& box, QWidget* accessory)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    auto* buttons = box.findChild<QDialogButtonBox*>();
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!grid || !buttons || !label) {
        if (accessory)
            box.layout()->addWidget(accessory);
        return;
    }
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);

    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    int textColumn = 0, unused = 0;
    grid->getItemPosition(grid->indexOf(label), &unused, &textColumn, &unused, &unused);
    grid->setColumnMinimumWidth(textColumn, 340);
    if (!accessory)
        return;
    grid->getItemPosition(grid->indexOf(buttons), &row, &column, &rowSpan, &columnSpan);
    grid->removeWidget(buttons);
    grid->addWidget(accessory, row, textColumn, 1, 1, Qt::AlignLeft);
    grid->addWidget(buttons, row + 1, column, rowSpan, columnSpan);
}

QString folderOrHome(const QString& folder)
{
    return folder.isEmpty() ? QDir::homePath() : folder;
}

void restrictSuffixes(QFileDialog& dialog, const QStringList& suffixes)
{
    if (suffixes.isEmpty())
        return;
    QStringList patterns;
    for (const QString& suffix : suffixes)
        patterns.append(QStringLiteral("*.") + suffix);
    dialog.setNameFilter(patterns.join(QLatin1Char(' ')));
}

std::optional<QString> chosenFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

} // namespace

AlertResponse QtInteraction::runAlert(const AlertRequest& request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(iconFor(request.style));
    box.setTextFormat(Qt::PlainText);
    box.setText(request.message);
    box.setInformativeText(request.informativeText);

    const QStringList titles = request.effectiveButtons();
    QList<QAbstractButton*> buttons;
    for (int i = 0; i < titles.size(); ++i)
        buttons.append(box.addButton(titles[i], roleFor(i, int(titles.size()))));
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.constFirst()));
    box.setEscapeButton(buttons.constLast());

    QList<QWidget*> controls;
    const bool hasAccessory = !request.accessory.controls.isEmpty();
    arrangeAlert(box, hasAccessory ? buildAccessory(request.accessory, controls) : nullptr);
    // A name prompt is answered by typing: a text field takes the keyboard.
    for (QWidget* control : controls) {
        if (qobject_cast<QLineEdit*>(control)) {
            control->setFocus();
            break;
        }
    }

    // A progress window floats above everything; a question asked during its
    // operation must float above it with the keyboard, or it waits unseen
    // while Return answers it blindly.
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (std::any_of(windows.cbegin(), windows.cend(), [](const QWidget* window) {
            return window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        }))
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QTimer::singleShot(0, &box, [&box] {
        box.raise();
        box.activateWindow();
    });
    box.exec();

    AlertResponse response;
    const int clicked = int(buttons.indexOf(box.clickedButton()));
    response.buttonIndex = clicked >= 0 ? clicked : int(buttons.size()) - 1;
    response.controls = request.accessory.controls;
    readValues(controls, response.controls);
    return response;
}

void QtInteraction::beep()
{
    QApplication::beep();
}

std::optional<QString> QtInteraction::chooseFileToOpen(const OpenFileRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, folderOrHome(request.startFolder));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    restrictSuffixes(dialog, request.allowedSuffixes);
    return chosenFile(dialog);
}

std::optional<QString> QtInteraction::chooseSaveDestination(const SaveFileRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, folderOrHome(request.startFolder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    restrictSuffixes(dialog, request.allowedSuffixes);
    if (!request.allowedSuffixes.isEmpty())
        dialog.setDefaultSuffix(request.allowedSuffixes.constFirst());
    dialog.selectFile(request.suggestedName);
    return chosenFile(dialog);
}
