#include "ui/WindowPlacement.h"

#include <QWidget>

void centerOnWindow(QWidget& window, const QWidget* over)
{
    if (!over)
        return;
    const QRect target = over->window()->frameGeometry();
    QRect frame = window.frameGeometry();
    frame.moveCenter(target.center());
    window.move(frame.topLeft());
}
