#pragma once

#include <QHBoxLayout>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <initializer_list>
#include <utility>

// Small pieces the remote windows share.
namespace RemoteWindowControls {

// A row of push buttons, each running one action of `window`. Return stays
// with the focused control: none of them is a default button.
template <typename Window>
QHBoxLayout* buttonRow(Window* window, std::initializer_list<std::pair<const char*, void (Window::*)()>> actions)
{
    auto* row = new QHBoxLayout;
    for (const auto& [title, action] : actions) {
        auto* button = new QPushButton(QString::fromUtf8(title));
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, window, action);
        row->addWidget(button);
    }
    row->addStretch();
    return row;
}

// The windows of `kept` that have not been closed and deleted yet.
template <typename Window>
QList<Window*> stillOpen(const QList<QPointer<Window>>& kept)
{
    QList<Window*> open;
    for (const QPointer<Window>& window : kept) {
        if (window)
            open.append(window);
    }
    return open;
}

inline void showInFront(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace RemoteWindowControls
