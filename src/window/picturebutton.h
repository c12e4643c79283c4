#pragma once

#include <QPushButton>

// A push button whose face is filled with its own colour and shows its picture centred, the
// way the arrow buttons have always looked, on every platform style.
class PictureButton : public QPushButton {
    Q_OBJECT

public:
    PictureButton(const QColor &face, const QIcon &picture, QWidget *parent = nullptr);

    QColor face() const { return m_face; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_face;
};
