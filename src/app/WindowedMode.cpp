#include "app/WindowedMode.h"

#include "app/BrenvikApp.h"
#include "ui/QtInteraction.h"

#include <QApplication>

int runWindowed(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brenvik"));
    QApplication::setApplicationVersion(QStringLiteral(BRENVIK_VERSION));
    QtInteraction interaction;
    BrenvikApp app(interaction);
    app.applicationDidFinishLaunching();
    return QApplication::exec();
}
