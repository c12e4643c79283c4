#pragma once

#include "commands/commands.h"
#include "counter/digitcells.h"

#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class Announcer;
class Counter;
class DigitCell;
class HighlightPause;
class QAction;
class QLineEdit;
class ZoomStyle;

// The program's window: the counter row, the Hilfszahl row, their buttons and entry boxes.
//
// Its layout is given in twips, 15 to a device-independent pixel at 100 %. The window shows it
// at a zoom: every place, size and font times the zoom, so on a projector the controls are
// really that large, also for a magnifier or a screen reader asking where they are.
class Form1 : public QWidget, private DigitCells, private EntryBoxes {
    Q_OBJECT

public:
    // Clicks reach their handlers as the connection says: straight away, or from the event queue.
    explicit Form1(Qt::ConnectionType clicks = Qt::AutoConnection, QWidget *parent = nullptr);
    ~Form1() override;

    const Counter &counter() const { return *m_counter; }

    // The window's zoom in percent, also while it is shown full screen.
    int zoom() const { return m_zoom; }
    // The largest zoom up to percent that is a step or percent itself and fits the screen.
    void startAt(int percent);
    // False, and nothing changes, when the window would not fit on the screen.
    bool setZoom(int percent);
    void setFullScreen(bool on);
    bool fullScreen() const { return m_fullScreen; }
    // Full screen for good, where the screen is not the window's to size (a kiosk, a web page):
    // no zoom or full-screen keys, no menu.
    void fillScreenForGood();
    // Reading aloud (Vorlesen): every message said by the program itself too.
    void setReadingAloud(bool on);

    static QRect twipsRect(QRect twips, qreal zoom = 1, QPointF origin = {});
    static QFont classicFont(qreal pointSize, bool bold);

protected:
    void closeEvent(QCloseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The places with their cells and buttons, and each row's entry box with its buttons.
    enum Block { Places, CounterEntry, HilfszahlEntry };
    struct Placed {
        QWidget *control;
        QRect twips;
        qreal points;
        Block block;
        QRect tight; // where it stands in the tighter arrangements
    };
    // Where the blocks stand, in twips: moved by their shifts, inside the bounds.
    struct Arrangement {
        QRect bounds;
        std::array<QPoint, 3> shifts{};
        bool tight = false;
    };

    void Form_Load();
    void createControls();
    void createActions();
    void stepZoom(int direction);
    bool fits(int percent) const;
    void layOut(qreal zoom, QPointF origin, const Arrangement &arrangement);
    Arrangement arrangementFor(QSizeF screen) const;
    Arrangement tightened(bool wide) const;
    QRect arranged(const Placed &placed, const Arrangement &arrangement) const;

    QString caption(Cell cell) const override;
    void setCaption(Cell cell, const QString &text) override;
    void setForeColor(Cell cell, unsigned colour) override;
    QString entryText(Row row) const override;

    DigitCell *cell(Cell cell) const;

    std::unique_ptr<HighlightPause> m_pause;
    std::unique_ptr<Announcer> m_announcer;
    std::unique_ptr<Counter> m_counter;
    Commands m_commands;
    Qt::ConnectionType m_clicks;
    std::unique_ptr<ZoomStyle> m_style;
    std::array<std::array<DigitCell *, 4>, 2> m_digits{};
    std::array<QLineEdit *, 2> m_entries{};
    std::vector<Placed> m_placed;
    int m_zoom = 100;
    bool m_fullScreen = false;
    QPoint m_normalPlace;                     // where the window stood before full screen
    bool m_zoomChosen = false;                // by the user, since the start
    std::array<QAction *, 4> m_zoomActions{}; // larger, smaller, original size, full screen
    QAction *m_leaveFullScreen = nullptr;
    QAction *m_tellRows = nullptr;
    QAction *m_readAloud = nullptr;
    bool m_readingChosen = false; // by the user, since the start
};
