#include "app/AboutWindowController.h"

#include "platform/PlatformTexts.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

AboutWindowController::AboutWindowController(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Über Brenvik"));

    auto* icon = new QLabel;
    icon->setPixmap(QApplication::windowIcon().pixmap(128, 128));
    icon->setAlignment(Qt::AlignCenter);

    auto* name = new QLabel(QStringLiteral("Brenvik"));
    QFont title = name->font();
    if (title.pointSizeF() > 0)
        title.setPointSizeF(title.pointSizeF() * 1.8);
    title.setBold(true);
    name->setFont(title);
    name->setAlignment(Qt::AlignCenter);

    auto* version = new QLabel(PlatformTexts::localized(QStringLiteral("Version " BRENVIK_VERSION " · Native Datei-Werkbank für macOS")));
    version->setAlignment(Qt::AlignCenter);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(32, 24, 32, 28);
    stack->setSpacing(10);
    stack->addWidget(icon);
    stack->addWidget(name);
    stack->addWidget(version);
    setFixedSize(sizeHint());
}
