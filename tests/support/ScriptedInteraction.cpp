#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

namespace {

const char* kindName(int kind)
{
    static const char* const names[] = {"an alert", "an open dialog", "a save dialog"};
    return names[kind];
}

QString describe(const AlertRequest& request)
{
    return QStringLiteral("alert \"%1\" (\"%2\") with the buttons %3")
        .arg(request.message, request.informativeText, request.effectiveButtons().join(QStringLiteral(", ")));
}

// Puts the scripted value into the first control of `kind`; a value for a
// control the alert does not have is a fault of the test or of the command.
template <typename Value, typename Apply>
void fill(QList<AccessoryControl>& controls, AccessoryControl::Kind kind, const std::optional<Value>& value,
          const QString& request, Apply apply)
{
    if (!value)
        return;
    for (AccessoryControl& control : controls) {
        if (control.kind == kind) {
            apply(control, *value);
            return;
        }
    }
    ADD_FAILURE() << "scripted accessory value matches no control of the " << request.toStdString();
}

} // namespace

ScriptedInteraction::~ScriptedInteraction()
{
    if (!m_script.isEmpty())
        ADD_FAILURE() << m_script.size() << " scripted answer(s) never asked for; the next one expected "
                      << kindName(int(m_script.constFirst().kind));
}

void ScriptedInteraction::answerAlert(int buttonIndex)
{
    answerAlert(AlertAnswer(buttonIndex));
}

void ScriptedInteraction::answerAlert(AlertAnswer answer)
{
    m_script.append(Answer{Kind::alert, std::move(answer), std::nullopt});
}

void ScriptedInteraction::answerOpenFile(std::optional<QString> path)
{
    m_script.append(Answer{Kind::openFile, AlertAnswer(), std::move(path)});
}

void ScriptedInteraction::answerSaveFile(std::optional<QString> path)
{
    m_script.append(Answer{Kind::saveFile, AlertAnswer(), std::move(path)});
}

std::optional<ScriptedInteraction::Answer> ScriptedInteraction::take(Kind kind, const QString& request)
{
    if (m_script.isEmpty()) {
        ADD_FAILURE() << "no scripted answer for the " << request.toStdString();
        return std::nullopt;
    }
    if (m_script.constFirst().kind != kind) {
        ADD_FAILURE() << "the script expected " << kindName(int(m_script.constFirst().kind)) << ", but the command asked for the "
                      << request.toStdString();
        return std::nullopt;
    }
    return m_script.takeFirst();
}

AlertResponse ScriptedInteraction::runAlert(const AlertRequest& request)
{
    m_alerts.append(request);
    const QString description = describe(request);
    const int buttonCount = int(request.effectiveButtons().size());

    AlertResponse response;
    response.controls = request.accessory.controls;
    response.buttonIndex = buttonCount - 1;
    const std::optional<Answer> answer = take(Kind::alert, description);
    if (!answer)
        return response;

    const AlertAnswer& scripted = answer->alert;
    if (scripted.buttonIndex < 0 || scripted.buttonIndex >= buttonCount) {
        ADD_FAILURE() << "scripted button " << scripted.buttonIndex << " does not exist in the "
                      << description.toStdString();
        return response;
    }
    response.buttonIndex = scripted.buttonIndex;
    using Kind = AccessoryControl::Kind;
    fill(response.controls, Kind::textField, scripted.text, description,
         [](AccessoryControl& control, const QString& text) { control.text = text; });
    fill(response.controls, Kind::popUp, scripted.selectedIndex, description,
         [&](AccessoryControl& control, int index) {
             if (index < 0 || index >= control.items.size())
                 ADD_FAILURE() << "scripted pop-up entry " << index << " is missing in the " << description.toStdString();
             control.selectedIndex = index;
         });
    fill(response.controls, Kind::checkBox, scripted.checked, description,
         [](AccessoryControl& control, bool checked) { control.checked = checked; });
    return response;
}

std::optional<QString> ScriptedInteraction::chooseFileToOpen(const OpenFileRequest& request)
{
    m_openRequests.append(request);
    const std::optional<Answer> answer =
        take(Kind::openFile, QStringLiteral("open dialog \"%1\"").arg(request.title));
    return answer ? answer->path : std::nullopt;
}

std::optional<QString> ScriptedInteraction::chooseSaveDestination(const SaveFileRequest& request)
{
    m_saveRequests.append(request);
    const std::optional<Answer> answer =
        take(Kind::saveFile, QStringLiteral("save dialog suggesting \"%1\"").arg(request.suggestedName));
    return answer ? answer->path : std::nullopt;
}
