#pragma once

#include <QWidget>

// The yardstick for start-up and closing: the same 34 controls as Form1 at the same places in the
// same fonts, made in the plainest way, with no pictures, colours or behaviour.
class PlainWindow : public QWidget {
public:
    PlainWindow();
};
