#pragma once

#include "ui/Interaction.h"

#include <QList>
#include <QString>
#include <optional>

// How to answer one alert: which button, and the values the user puts into
// the first accessory control of each kind before clicking it:
//   interaction.answerAlert(AlertAnswer(0).withSelection(4).withCheckBox(true));
struct AlertAnswer {
    explicit AlertAnswer(int button = 0) : buttonIndex(button) {}
    AlertAnswer& withText(QString value) { text = std::move(value); return *this; }
    AlertAnswer& withSelection(int index) { selectedIndex = index; return *this; }
    AlertAnswer& withCheckBox(bool value) { checked = value; return *this; }

    int buttonIndex;
    std::optional<QString> text;
    std::optional<int> selectedIndex;
    std::optional<bool> checked;
};

// The user of a test: records every request so tests can assert the exact
// texts, and answers from a script, in order. A request without a scripted
// answer, or of another kind than the next answer, fails the running test and
// gets the cancelling answer (last button, no file), so the command ends.
// Answers left over when the object goes away fail the test as well.
class ScriptedInteraction : public Interaction {
public:
    ScriptedInteraction() = default;
    ScriptedInteraction(const ScriptedInteraction&) = delete;
    ScriptedInteraction& operator=(const ScriptedInteraction&) = delete;
    ~ScriptedInteraction() override;

    void answerAlert(int buttonIndex = 0) { answerAlert(AlertAnswer(buttonIndex)); }
    void answerAlert(AlertAnswer answer) { m_script.append({Kind::alert, std::move(answer), {}}); }
    void answerOpenFile(std::optional<QString> path) { m_script.append({Kind::openFile, AlertAnswer(), std::move(path)}); }
    void answerSaveFile(std::optional<QString> path) { m_script.append({Kind::saveFile, AlertAnswer(), std::move(path)}); }

    const QList<AlertRequest>& alerts() const { return m_alerts; }
    const QList<OpenFileRequest>& openFileRequests() const { return m_openRequests; }
    const QList<SaveFileRequest>& saveFileRequests() const { return m_saveRequests; }
    int beepCount() const { return m_beeps; }

    AlertResponse runAlert(const AlertRequest& request) override;
    void beep() override { ++m_beeps; }
    std::optional<QString> chooseFileToOpen(const OpenFileRequest& request) override;
    std::optional<QString> chooseSaveDestination(const SaveFileRequest& request) override;

private:
    enum class Kind { alert, openFile, saveFile };
    struct Answer {
        Kind kind;
        AlertAnswer alert;
        std::optional<QString> path;
    };

    // The next answer when it is of `kind`; reports the failure otherwise.
    std::optional<Answer> take(Kind kind, const QString& request);

    QList<Answer> m_script;
    QList<AlertRequest> m_alerts;
    QList<OpenFileRequest> m_openRequests;
    QList<SaveFileRequest> m_saveRequests;
    int m_beeps = 0;
};
