#include "plainwindow.h"

#include "window/form1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

template <typename Control>
void add(QWidget *window, QRect twips, const QString &text, qreal points, bool bold) {
    auto *control = new Control(text, window);
    control->setGeometry(twips);
    control->setFont(Form1::classicFont(points, bold));
}

} // namespace

PlainWindow::PlainWindow() {
    setWindowTitle(QStringLiteral("Plain"));
    setFixedSize(Form1::twips(10272), Form1::twips(5532));
    setFont(Form1::classicFont(7.8, true));
    const auto at = &Form1::twipsRect;

    add<QLabel>(this, at(840, 480, 1212, 252), QStringLiteral(" Tausender"), 9.6, true);
    add<QLabel>(this, at(2400, 480, 1212, 252), QStringLiteral("Hunderter"), 9.6, true);
    add<QLabel>(this, at(3840, 480, 1092, 252), QStringLiteral(" Zehner"), 9.6, true);
    add<QLabel>(this, at(5280, 480, 1092, 252), QStringLiteral("  Einer"), 9.6, true);
    for (int column = 0; column < 4; ++column) {
        const int left = 960 + 1440 * column;
        add<QLabel>(this, at(left, 960, 804, 792), QStringLiteral("0"), 31.2, true);
        add<QLabel>(this, at(left, 3840, 804, 792), QStringLiteral("0"), 31.2, true);
        add<QPushButton>(this, at(left, 1920, 372, 372), QStringLiteral("+"), 19.2, false);
        add<QPushButton>(this, at(left + 480, 1920, 372, 372), QStringLiteral("-"), 31.2, true);
        add<QPushButton>(this, at(left - 120, 2760, 492, 612), QString(), 7.8, true);
        add<QPushButton>(this, at(left + 480, 2760, 492, 612), QString(), 7.8, true);
    }
    add<QLineEdit>(this, at(7320, 1200, 852, 432), QString(), 13.2, false);
    add<QPushButton>(this, at(8520, 1200, 612, 492), QStringLiteral("OK"), 7.8, false);
    add<QLineEdit>(this, at(7320, 3960, 852, 432), QString(), 13.2, false);
    add<QPushButton>(this, at(8520, 3960, 612, 492), QStringLiteral("OK"), 7.8, false);
    add<QPushButton>(this, at(8520, 1800, 852, 492), QStringLiteral("Löschen"), 7.8, false);
    add<QPushButton>(this, at(8520, 4680, 852, 492), QStringLiteral("Löschen"), 7.8, false);
}
