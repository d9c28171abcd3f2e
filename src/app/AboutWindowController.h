#pragma once

#include <QWidget>

// The About window: the application icon, the name and the version line.
class AboutWindowController : public QWidget {
    Q_OBJECT

public:
    explicit AboutWindowController(QWidget* parent = nullptr);
};
