#pragma once

#include <QColor>
#include <QPushButton>

// A colour well: a button filled with its colour; a click offers the colour dialog.
class ColorButton : public QPushButton {
    Q_OBJECT

public:
    explicit ColorButton(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

private:
    QColor m_color;
};
