#include "app/BrenvikApp.h"

#include "app/AboutWindowController.h"
#include "app/MainMenu.h"
#include "commander/CommanderWindowController.h"
#include "diagnostics/DiagnosticsStore.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QIcon>

BrenvikApp::BrenvikApp(Interaction& interaction) : m_interaction(interaction)
{
    // The icon lives in this static library: its resources must be registered by hand.
    Q_INIT_RESOURCE(AppResources);
}

BrenvikApp::~BrenvikApp() = default;

void BrenvikApp::applicationDidFinishLaunching()
{
    DiagnosticsStore::shared().record(QStringLiteral("App"), QStringLiteral("Anwendung gestartet"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/AppIcon.svg")));
    QMenuBar* menuBar = buildMainMenu(*this);
    m_controller = std::make_unique<CommanderWindowController>(m_interaction, menuBar);
    connect(m_controller.get(), &CommanderWindowController::closed, qApp, &QCoreApplication::quit);
    m_controller->show();
    m_controller->raise();
    m_controller->activateWindow();
}

void BrenvikApp::showAbout()
{
    m_aboutController = std::make_unique<AboutWindowController>();
    m_aboutController->adjustSize();
    centerOnWindow(*m_aboutController, m_controller.get());
    m_aboutController->show();
    m_aboutController->raise();
}

void BrenvikApp::showPreferences()
{
    if (m_controller)
        m_controller->showPreferences();
}
