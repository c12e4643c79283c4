#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <deque>

#include <emscripten/val.h>

class QAccessibleEvent;
class QWidget;

// In a browser, screen readers read the page, not the canvas the window is drawn on. So every
// control of the window gets an element of the page at the place where it is drawn, with the
// role, name and description it has on the desktop; the page's focus follows the window's; an
// element activated by a screen reader clicks its button, once per activation; and what the
// window announces goes to a live region of the page, one message after the other.
//
// Read line by line, as a blind child reads a page, each row is its name and then its cells, each
// cell its place and digit: "Zähler. Tausender 1. Hunderter 0. Zehner 0. Einer 0."
//
// Qt's own bridge for this is off until a hidden English button is pressed, names labels and
// entry boxes poorly, writes names as HTML and turns quick activations into one click.
class PageAccessibility : public QObject {
public:
    explicit PageAccessibility(QWidget *window);
    ~PageAccessibility() override;

    // Called by the page's elements, with the name of the control they stand for.
    static void activate(const std::string &name);
    static void typed(const std::string &name, const std::string &text);
    // A key is about to reach the window.
    static void keyDown();
    // Gives the page's focus to the element of the control that has the window's.
    void follow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void update(QAccessibleEvent *event);
    void add(QWidget *control);
    void place(QWidget *control);
    // A message; told again, with when it was first told (ms on m_clock).
    void say(const QString &message, qint64 when = -1);

    QWidget *m_window;
    emscripten::val m_log;
    QHash<QWidget *, emscripten::val> m_elements;
    QHash<QWidget *, emscripten::val> m_rowNames;    // by the row's thousands cell
    std::deque<std::pair<qint64, QString>> m_recent; // said in the last second, and when
    QElapsedTimer m_clock;
    QTimer m_quiet;
};
