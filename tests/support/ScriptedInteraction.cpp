#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

namespace {

const char* const kindNames[] = {"an alert", "an open dialog", "a save dialog"};

// Puts the scripted value into the first control of `kind`; a value for a
// control the alert does not have is a fault of the test or of the command.
template <typename Value>
AccessoryControl* controlFor(QList<AccessoryControl>& controls, AccessoryControl::Kind kind,
                             const std::optional<Value>& value, const std::string& request)
{
    if (!value)
        return nullptr;
    for (AccessoryControl& control : controls)
        if (control.kind == kind)
            return &control;
    ADD_FAILURE() << "scripted accessory value matches no control of the " << request;
    return nullptr;
}

} // namespace

ScriptedInteraction::~ScriptedInteraction()
{
    if (!m_script.isEmpty())
        ADD_FAILURE() << m_script.size() << " scripted answer(s) never asked for; the next one expected "
                      << kindNames[int(m_script.constFirst().kind)];
}

std::optional<ScriptedInteraction::Answer> ScriptedInteraction::take(Kind kind, const QString& request)
{
    if (m_script.isEmpty() || m_script.constFirst().kind != kind) {
        ADD_FAILURE() << "the script expected " << (m_script.isEmpty() ? "nothing" : kindNames[int(m_script.constFirst().kind)])
                      << ", but the command asked for the " << request.toStdString();
        return std::nullopt;
    }
    return m_script.takeFirst();
}

AlertResponse ScriptedInteraction::runAlert(const AlertRequest& request)
{
    m_alerts.append(request);
    const std::string description = QStringLiteral("alert \"%1\" (\"%2\") with the buttons %3")
                                        .arg(request.message, request.informativeText,
                                             request.effectiveButtons().join(QStringLiteral(", ")))
                                        .toStdString();
    const int buttonCount = int(request.effectiveButtons().size());
    AlertResponse response;
    response.controls = request.accessory.controls;
    response.buttonIndex = buttonCount - 1;
    const std::optional<Answer> answer = take(Kind::alert, QString::fromStdString(description));
    if (!answer)
        return response;

    const AlertAnswer& scripted = answer->alert;
    if (scripted.buttonIndex < 0 || scripted.buttonIndex >= buttonCount) {
        ADD_FAILURE() << "scripted button " << scripted.buttonIndex << " does not exist in the " << description;
        return response;
    }
    response.buttonIndex = scripted.buttonIndex;
    using Kind = AccessoryControl::Kind;
    if (AccessoryControl* field = controlFor(response.controls, Kind::textField, scripted.text, description))
        field->text = *scripted.text;
    if (AccessoryControl* popUp = controlFor(response.controls, Kind::popUp, scripted.selectedIndex, description)) {
        if (*scripted.selectedIndex < 0 || *scripted.selectedIndex >= popUp->items.size())
            ADD_FAILURE() << "scripted pop-up entry " << *scripted.selectedIndex << " is missing in the " << description;
        popUp->selectedIndex = *scripted.selectedIndex;
    }
    if (AccessoryControl* box = controlFor(response.controls, Kind::checkBox, scripted.checked, description))
        box->checked = *scripted.checked;
    return response;
}

std::optional<QString> ScriptedInteraction::chooseFileToOpen(const OpenFileRequest& request)
{
    m_openRequests.append(request);
    const std::optional<Answer> answer = take(Kind::openFile, QStringLiteral("open dialog \"%1\"").arg(request.title));
    return answer ? answer->path : std::nullopt;
}

std::optional<QString> ScriptedInteraction::chooseSaveDestination(const SaveFileRequest& request)
{
    m_saveRequests.append(request);
    const std::optional<Answer> answer =
        take(Kind::saveFile, QStringLiteral("save dialog suggesting \"%1\"").arg(request.suggestedName));
    return answer ? answer->path : std::nullopt;
}
