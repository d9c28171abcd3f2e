#include "ui/ColorButton.h"

#include <QColorDialog>

ColorButton::ColorButton(QWidget* parent) : QPushButton(parent)
{
    setFixedSize(52, 24);
    connect(this, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(m_color, this);
        if (chosen.isValid())
            setColor(chosen);
    });
}

void ColorButton::setColor(const QColor& color)
{
    m_color = color;
    setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid palette(mid); "
                                 "border-radius: 4px; }")
                      .arg(color.name(QColor::HexArgb)));
}
