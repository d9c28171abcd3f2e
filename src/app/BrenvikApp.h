#pragma once

#include <QObject>
#include <memory>

class AboutWindowController;
class CommanderWindowController;
class Interaction;
class QMenuBar;

// The application object of the windowed program: records the start, sets the
// icon, builds the main menu and opens the one commander window, whose closing
// ends the program. Answers the application's own commands (About, preferences).
class BrenvikApp : public QObject {
    Q_OBJECT

public:
    explicit BrenvikApp(Interaction& interaction);
    ~BrenvikApp() override;

    void applicationDidFinishLaunching();

    // A new About window; the one opened before goes.
    void showAbout();
    void showPreferences();

    CommanderWindowController* controller() const { return m_controller.get(); }
    AboutWindowController* aboutController() const { return m_aboutController.get(); }

private:
    Interaction& m_interaction;
    std::unique_ptr<CommanderWindowController> m_controller;
    std::unique_ptr<AboutWindowController> m_aboutController;
};
