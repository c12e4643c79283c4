#include "digitcell.h"

#include <QPainter>

DigitCell::DigitCell(QWidget *parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
}

QFont DigitCell::fittedFont() const {
    QFont fitted = font();
    const qreal room = contentsRect().width();
    for (qreal advance = QFontMetricsF(fitted).horizontalAdvance(text());
         advance > room && fitted.pointSizeF() > 4;
         advance = QFontMetricsF(fitted).horizontalAdvance(text())) {
        fitted.setPointSizeF(fitted.pointSizeF() * std::max(0.5, room / advance) - 0.1);
    }
    return fitted;
}

void DigitCell::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    // The ground painted here, not filled by Qt, so the cell is repainted with its window.
    painter.fillRect(rect(), palette().window());
    painter.setFont(fittedFont());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
}
