#pragma once

#include <QLabel>

// A digit cell: a label whose caption is the digit. A thousands cell can hold a wider text
// after direct entry ("-30", "32"); it is drawn smaller rather than cut off.
//
// For a screen reader the caption is the cell's name: QLabel announces every new caption as a
// name change, but only while the cell has no accessible name of its own, so it must get none.
class DigitCell : public QLabel {
    Q_OBJECT

public:
    explicit DigitCell(QWidget *parent = nullptr);

    // The font the caption is drawn with: the cell's own, or smaller where it must be.
    QFont fittedFont() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
