#include "plainwindow.h"

#include "window/form1.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PlainWindow::PlainWindow(qreal zoom) {
    setWindowTitle(QStringLiteral("Plain"));
    setFont(Form1::classicFont(7.8, true));
    const auto add = [this](QWidget *control, QRect twips, qreal points, bool bold) {
        control->setParent(this);
        control->setFont(Form1::classicFont(points, bold));
        m_placed.push_back({control, twips, points});
    };
    add(new QLabel(QStringLiteral(" Tausender")), QRect(840, 480, 1212, 252), 9.6, true);
    add(new QLabel(QStringLiteral("Hunderter")), QRect(2400, 480, 1212, 252), 9.6, true);
    add(new QLabel(QStringLiteral(" Zehner")), QRect(3840, 480, 1092, 252), 9.6, true);
    add(new QLabel(QStringLiteral("  Einer")), QRect(5280, 480, 1092, 252), 9.6, true);
    for (int column = 0; column < 4; ++column) {
        const int left = 960 + 1440 * column;
        add(new QLabel(QStringLiteral("0")), QRect(left, 960, 804, 792), 31.2, true);
        add(new QLabel(QStringLiteral("0")), QRect(left, 3840, 804, 792), 31.2, true);
        add(new QPushButton(QStringLiteral("+")), QRect(left, 1920, 372, 372), 19.2, false);
        add(new QPushButton(QStringLiteral("-")), QRect(left + 480, 1920, 372, 372), 31.2, true);
        add(new QPushButton, QRect(left - 120, 2760, 492, 612), 7.8, true);
        add(new QPushButton, QRect(left + 480, 2760, 492, 612), 7.8, true);
    }
    for (auto [entryTop, clearTop] : {std::pair(1200, 1800), std::pair(3960, 4680)}) {
        add(new QLineEdit, QRect(7320, entryTop, 852, 432), 13.2, false);
        add(new QPushButton(QStringLiteral("OK")), QRect(8520, entryTop, 612, 492), 7.8, false);
        add(new QPushButton(QStringLiteral("Löschen")), QRect(8520, clearTop, 852, 492), 7.8,
            false);
    }
    setZoom(zoom);
}

void PlainWindow::setZoom(qreal zoom) {
    for (const Placed &placed : m_placed) {
        placed.control->setGeometry(Form1::twipsRect(placed.twips, zoom));
        QFont font = placed.control->font();
        font.setPointSizeF(placed.points * zoom);
        placed.control->setFont(font);
    }
    setFixedSize(Form1::twipsRect({0, 0, 10272, 5532}, zoom).size());
}

void PlainWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Minus)
        setZoom(event->key() == Qt::Key_Plus ? 4 : 3);
    else
        QWidget::keyPressEvent(event);
}
