#include "ui/Interaction.h"

#include "core/BrenvikError.h"

AccessoryControl AccessoryControl::textField(QString text, QSize size)
{
    AccessoryControl control;
    control.kind = Kind::textField;
    control.text = std::move(text);
    control.size = size;
    return control;
}

AccessoryControl AccessoryControl::popUp(QStringList items, int selectedIndex, QSize size)
{
    AccessoryControl control;
    control.kind = Kind::popUp;
    control.items = std::move(items);
    control.selectedIndex = selectedIndex;
    control.size = size;
    return control;
}

AccessoryControl AccessoryControl::checkBox(QString title, bool checked, QSize size)
{
    AccessoryControl control;
    control.kind = Kind::checkBox;
    control.text = std::move(title);
    control.checked = checked;
    control.size = size;
    return control;
}

QStringList AlertRequest::effectiveButtons() const
{
    return buttons.isEmpty() ? QStringList{QStringLiteral("OK")} : buttons;
}

namespace {

const AccessoryControl* firstOfKind(const QList<AccessoryControl>& controls, AccessoryControl::Kind kind)
{
    for (const AccessoryControl& control : controls) {
        if (control.kind == kind)
            return &control;
    }
    return nullptr;
}

} // namespace

QString AlertResponse::text() const
{
    const AccessoryControl* field = firstOfKind(controls, AccessoryControl::Kind::textField);
    return field ? field->text : QString();
}

int AlertResponse::selectedIndex() const
{
    const AccessoryControl* popUp = firstOfKind(controls, AccessoryControl::Kind::popUp);
    return popUp ? popUp->selectedIndex : -1;
}

bool AlertResponse::isChecked() const
{
    const AccessoryControl* box = firstOfKind(controls, AccessoryControl::Kind::checkBox);
    return box && box->checked;
}

Interaction::~Interaction() = default;

void Interaction::showError(const BrenvikError& error)
{
    showError(error.description(), QString());
}

void Interaction::showError(const QString& message, const QString& informativeText)
{
    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = message;
    request.informativeText = informativeText;
    runAlert(request);
}
