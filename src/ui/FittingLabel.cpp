#include "ui/FittingLabel.h"

#include <QPainter>

FittingLabel::FittingLabel(double minimumScale, QWidget* parent) : QLabel(parent), m_minimumScale(minimumScale)
{
    setTextFormat(Qt::PlainText);
}

void FittingLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    QFont font = this->font();
    const double needed = QFontMetricsF(font).horizontalAdvance(text());
    if (needed > area.width() && needed > 0 && font.pointSizeF() > 0) {
        const double scale = qMax(m_minimumScale, area.width() / needed);
        font.setPointSizeF(font.pointSizeF() * scale);
    }
    painter.setFont(font);
    painter.setPen(palette().color(foregroundRole()));
    const QString shown = QFontMetrics(font).elidedText(text(), Qt::ElideMiddle, area.width());
    painter.drawText(area, int(alignment()), shown);
}
