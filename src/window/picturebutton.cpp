#include "picturebutton.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

PictureButton::PictureButton(const QColor &face, const QIcon &picture, QWidget *parent)
    : QPushButton(parent), m_face(face) {
    setIcon(picture);
    setIconSize(QSize(32, 32));
}

void PictureButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const bool sunken = isDown() || isChecked();
    const QBrush fill(m_face);
    qDrawWinButton(&painter, rect(), palette(), sunken, &fill);

    QRect picture(QPoint(), iconSize());
    picture.moveCenter(rect().center());
    if (sunken)
        picture.translate(1, 1);
    icon().paint(&painter, picture, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        focus.backgroundColor = m_face;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
