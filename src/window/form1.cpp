#include "form1.h"

#include "announcer.h"
#include "arrowbutton.h"
#include "counter/counter.h"
#include "counter/highlightpause.h"
#include "digitcell.h"
#include "zoom.h"
#include "zoomstyle.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QWindow>

namespace {

constexpr QRect kClient(0, 0, 10272, 5532);
constexpr qreal kTwipsPerPixel = 15;
constexpr QRgb kApricot = qRgb(255, 224, 192);
// The digit cells' ground. Green and red digits read well on black; on white the green is
// nearly invisible.
constexpr QRgb kCellGround = qRgb(0, 0, 0);
constexpr QRgb kArrowUpFace = qRgb(0, 192, 0);
constexpr QRgb kArrowDownFace = qRgb(192, 0, 0);

QColor fromStored(unsigned colour) {
    return QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff);
}

// The columns run from the thousands at the left to the units at the right.
constexpr std::array<Place, 4> kColumns{Place::Tausender, Place::Hunderter, Place::Zehner,
                                        Place::Einer};

// Room around and between the blocks in the tighter arrangements, in twips.
constexpr int kMargin = 240;
constexpr int kGap = 360;
// The smallest button a child's finger is sure to hit, in device-independent pixels.
constexpr qreal kFingerTip = 44;

int columnLeft(Place place) {
    return 960 + 1440 * (3 - static_cast<int>(place));
}

// What a screen reader says for a control.
QWidget *describe(QWidget *control, const QString &name, const QString &description) {
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
    return control;
}

QString ofRow(Row row) {
    return row == Row::Counter ? QStringLiteral("des Zählers") : QStringLiteral("der Hilfszahl");
}

// Only the colours, no fill: Qt leaves a child it fills with an opaque colour out when it repaints
// the window, trusting the pixels already there; but on Wayland its own title bar, going or coming
// back with full screen, starts the window on a new, empty buffer.
void setColours(QWidget *widget, const QColor &fore, const QColor &ground) {
    QPalette palette = widget->palette();
    if (fore.isValid())
        palette.setColor(QPalette::WindowText, fore);
    palette.setColor(QPalette::Window, ground);
    widget->setPalette(palette);
}

} // namespace

Form1::Form1(Qt::ConnectionType clicks, QWidget *parent)
    : QWidget(parent), m_pause(std::make_unique<HighlightPause>()),
      m_announcer(std::make_unique<Announcer>(this)),
      m_counter(
          std::make_unique<Counter>(static_cast<DigitCells &>(*this), *m_pause, *m_announcer)),
      m_commands(*m_counter, *this), m_clicks(clicks), m_style(std::make_unique<ZoomStyle>()) {
    Q_INIT_RESOURCE(pictures);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Nurvelo"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(classicFont(7.8, true));
    setColours(this, QColor(), kApricot);
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/pictures/nurvelo_%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);

    createControls();
    createActions();
    setZoom(zoom::kSmallest);
    Form_Load();
}

Form1::~Form1() = default;

QRect Form1::twipsRect(QRect twips, qreal zoom, QPointF origin) {
    // Both edges are rounded, so neighbours that touch in twips touch in pixels too.
    const auto px = [zoom](int twips, qreal from) {
        return qRound(from + twips * zoom / kTwipsPerPixel);
    };
    return QRect(QPoint(px(twips.left(), origin.x()), px(twips.top(), origin.y())),
                 QPoint(px(twips.left() + twips.width(), origin.x()) - 1,
                        px(twips.top() + twips.height(), origin.y()) - 1));
}

QFont Form1::classicFont(qreal pointSize, bool bold) {
    QFont font;
    font.setFamilies({
#ifndef Q_OS_WIN
        // On Windows a bitmap font with a few small sizes only. Windows itself shows Microsoft
        // Sans Serif, made to its measures, where dialogs ask for it (MS Shell Dlg).
        QStringLiteral("MS Sans Serif"),
#endif
        QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
        QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

void Form1::createControls() {
    const auto place = [this](QWidget *control, const QString &name, QRect twips, qreal points,
                              bool bold, QRect tight = {}) {
        control->setParent(this);
        control->setObjectName(name);
        control->setFont(classicFont(points, bold));
        control->setStyle(m_style.get());
        // Right of the places stand the entry boxes with their buttons, a row's level with it.
        const Block block = twips.left() < 7000  ? Places
                            : twips.top() < 3000 ? CounterEntry
                                                 : HilfszahlEntry;
        m_placed.push_back({control, twips, points, block, tight.isNull() ? twips : tight});
    };
    // Every push button: never pressed by Enter, wired to its handler, named for a screen reader.
    const auto button = [&](QPushButton *push, const QString &name, QRect twips, qreal points,
                            bool bold, const QString &spoken, const QString &description,
                            QRect tight = {}) {
        place(push, name, twips, points, bold, tight);
        push->setAutoDefault(false);
        connect(
            push, &QPushButton::clicked, this,
            [this, handler = Commands::handler(name)] { (m_commands.*handler)(); }, m_clicks);
        return describe(push, spoken, description);
    };
    const auto entry = [&](Row row, const QString &name, int top, const QString &spoken,
                           const QString &description) {
        auto *box = new QLineEdit;
        place(box, name, QRect(7320, top, 852, 432), 13.2, false);
        box->setMaxLength(4);
        m_entries[static_cast<int>(row)] = box;
        return describe(box, spoken, description);
    };

    struct Heading {
        int left, width;
        const char *caption;
    };
    constexpr Heading headings[] = {{840, 1212, " Tausender"},
                                    {2400, 1212, "Hunderter"},
                                    {3840, 1092, " Zehner"},
                                    {5280, 1092, "  Einer"}};
    for (int column = 0; column < 4; ++column) {
        const Heading &heading = headings[column];
        auto *label = new QLabel(QString::fromLatin1(heading.caption));
        place(label, QStringLiteral("lbl_%1_Text").arg(placeName(kColumns[column])),
              QRect(heading.left, 480, heading.width, 252), 9.6, true);
        const QString name = QString::fromLatin1(placeName(kColumns[column]));
        describe(label, name, QStringLiteral("Überschrift der Spalte %1").arg(name));
    }

    for (Row row : {Row::Counter, Row::Hilfszahl}) {
        const bool counterRow = row == Row::Counter;
        for (Place p : kColumns) {
            auto *digit = new DigitCell;
            place(digit, QStringLiteral("lbl_%1%2").arg(placeName(p), counterRow ? "" : "_add"),
                  QRect(columnLeft(p), counterRow ? 960 : 3840, 804, 792), 31.2, true);
            digit->setText(QStringLiteral("0"));
            setColours(digit, fromStored(kRestColour), kCellGround);
            // No accessible name: the digit is the name, and QLabel announces each new one only
            // while none is set.
            digit->setAccessibleDescription(
                QStringLiteral("%1 %2").arg(QString::fromLatin1(placeName(p)), ofRow(row)));
            m_digits[static_cast<int>(row)][static_cast<int>(p)] = digit;
        }
    }

    // Created in tab order.
    QList<QWidget *> tabOrder;
    tabOrder << entry(Row::Counter, QStringLiteral("txt_Eingabe"), 1200,
                      QStringLiteral("Eingabe für den Zähler"),
                      QStringLiteral("Eine Zahl mit bis zu vier Zeichen. OK setzt den Zähler auf "
                                     "diese Zahl."));
    tabOrder << button(new QPushButton(QStringLiteral("OK")), QStringLiteral("cmd_ok"),
                       QRect(8520, 1200, 612, 492), 7.8, false, QStringLiteral("OK für den Zähler"),
                       QStringLiteral("Setzt den Zähler auf die eingegebene Zahl."));
    // Where the window is squeezed, the "+" and "-" buttons take the room beside them, so that
    // they stay large enough for a finger.
    for (Place p : kColumns) {
        const QString name = QString::fromLatin1(placeName(p));
        tabOrder << button(new QPushButton(QStringLiteral("+")),
                           QStringLiteral("cmd_%1_plus").arg(name),
                           QRect(columnLeft(p), 1920, 372, 372), 19.2, false,
                           QStringLiteral("%1 plus eins").arg(name),
                           QStringLiteral("Zählt einen %1 zum Zähler dazu.").arg(name),
                           QRect(columnLeft(p) - 30, 1920, 420, 420));
    }
    for (Place p : kColumns) {
        const QString name = QString::fromLatin1(placeName(p));
        tabOrder << button(new QPushButton(QStringLiteral("-")),
                           QStringLiteral("cmd_%1_minus").arg(name),
                           QRect(columnLeft(p) + 480, 1920, 372, 372), 31.2, true,
                           QStringLiteral("%1 minus eins").arg(name),
                           QStringLiteral("Nimmt einen %1 vom Zähler weg.").arg(name),
                           QRect(columnLeft(p) + 414, 1920, 420, 420));
    }
    tabOrder << entry(Row::Hilfszahl, QStringLiteral("txt_Eingabe_add"), 3960,
                      QStringLiteral("Eingabe für die Hilfszahl"),
                      QStringLiteral("Eine Zahl mit bis zu vier Zeichen. OK setzt die Hilfszahl "
                                     "auf diese Zahl."));
    tabOrder << button(new QPushButton(QStringLiteral("OK")), QStringLiteral("cmd_ok_add"),
                       QRect(8520, 3960, 612, 492), 7.8, false,
                       QStringLiteral("OK für die Hilfszahl"),
                       QStringLiteral("Setzt die Hilfszahl auf die eingegebene Zahl."));

    // The arrows show no caption, so they are named by what they do.
    for (Place p : kColumns) {
        const QString name = QString::fromLatin1(placeName(p));
        tabOrder << button(
            new ArrowButton(ArrowButton::Direction::Up, kArrowUpFace),
            QStringLiteral("cmd_%1_add_plus").arg(name), QRect(columnLeft(p) - 120, 2760, 492, 612),
            7.8, true, QStringLiteral("Eine Einheit %1 von der Hilfszahl in den Zähler").arg(name),
            QStringLiteral("Grüner Pfeil nach oben: nimmt der Hilfszahl einen %1 "
                           "weg und zählt ihn zum Zähler dazu.")
                .arg(name));
    }
    for (Place p : kColumns) {
        const QString name = QString::fromLatin1(placeName(p));
        tabOrder << button(new ArrowButton(ArrowButton::Direction::Down, kArrowDownFace),
                           QStringLiteral("cmd_%1_add_minus").arg(name),
                           QRect(columnLeft(p) + 480, 2760, 492, 612), 7.8, true,
                           QStringLiteral("Eine Einheit %1 vom Zähler in die Hilfszahl").arg(name),
                           QStringLiteral("Roter Pfeil nach unten: nimmt dem Zähler einen %1 weg "
                                          "und zählt ihn zur Hilfszahl dazu.")
                               .arg(name));
    }

    tabOrder << button(new QPushButton(QStringLiteral("Löschen")),
                       QStringLiteral("cmd_AktZahl_loeschen"), QRect(8520, 1800, 852, 492), 7.8,
                       false, QStringLiteral("Zähler löschen"),
                       QStringLiteral("Setzt den Zähler auf 0."));
    tabOrder << button(new QPushButton(QStringLiteral("Löschen")),
                       QStringLiteral("cmd_Hilfszahl_loeschen"), QRect(8520, 4680, 852, 492), 7.8,
                       false, QStringLiteral("Hilfszahl löschen"),
                       QStringLiteral("Setzt die Hilfszahl auf 0."));

    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    tabOrder.first()->setFocus();
}

void Form1::createActions() {
    const auto action = [this](const QString &text, QList<QKeySequence> keys, auto slot) {
        auto *made = new QAction(text, this);
        made->setShortcuts(keys);
        // Also while the focus is in an entry box.
        made->setShortcutContext(Qt::WindowShortcut);
        connect(made, &QAction::triggered, this, slot);
        addAction(made);
        return made;
    };
    using Keys = QList<QKeySequence>;
    const auto ctrl = [](Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); };
    const auto keypad = [](Qt::Key key) {
        return QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, key);
    };
    m_zoomActions = {
        action(QStringLiteral("Vergrößern"),
               Keys{ctrl(Qt::Key_Plus), ctrl(Qt::Key_Equal), keypad(Qt::Key_Plus)},
               [this] { stepZoom(+1); }),
        action(QStringLiteral("Verkleinern"), Keys{ctrl(Qt::Key_Minus), keypad(Qt::Key_Minus)},
               [this] { stepZoom(-1); }),
        action(QStringLiteral("Originalgröße"), Keys{ctrl(Qt::Key_0), keypad(Qt::Key_0)},
               [this] { stepZoom(0); }),
        action(QStringLiteral("Vollbild"), Keys{Qt::Key_F11},
               [this] { setFullScreen(!m_fullScreen); }),
    };
    m_zoomActions[3]->setCheckable(true);
    // Esc means nothing in the window itself, so it only takes effect in full screen.
    m_leaveFullScreen = action(QString(), Keys{Qt::Key_Escape}, [this] { setFullScreen(false); });
    m_leaveFullScreen->setEnabled(false);
    // For a child who lost count, or a teacher helping: F2 is taken by no browser or screen reader.
    m_tellRows = action(QStringLiteral("Zähler und Hilfszahl ansagen"), Keys{Qt::Key_F2},
                        [this] { m_counter->tellRows(); });
    m_readAloud = action(QStringLiteral("Vorlesen"), Keys{Qt::Key_F4}, [this] {
        setReadingAloud(!m_announcer->readingAloud());
        m_readingChosen = true;
    });
    m_readAloud->setCheckable(true);
}

void Form1::setReadingAloud(bool on) {
    m_announcer->setReadingAloud(on);
    m_readAloud->setChecked(on);
}

void Form1::stepZoom(int direction) {
    const std::optional<int> step =
        direction ? zoom::next(m_zoom, direction) : std::optional(zoom::kSmallest);
    if (step && setZoom(*step))
        m_zoomChosen = true;
}

void Form1::startAt(int percent) {
    while (!setZoom(percent)) {
        const std::optional<int> smaller = zoom::next(percent, -1);
        if (!smaller)
            return;
        percent = *smaller;
    }
}

bool Form1::fits(int percent) const {
    if (percent == zoom::kSmallest)
        return true;
    // The title bar and borders are only known once the window is on the screen. Asked of the
    // window itself: the widget is not told when the title bar Qt draws itself on Wayland comes
    // back after full screen, and would count none.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize needed = twipsRect(kClient, percent / 100.0).size().grownBy(frame);
    const QSize available = screen()->availableGeometry().size();
    return needed.width() <= available.width() && needed.height() <= available.height();
}

bool Form1::setZoom(int percent) {
    if (percent < zoom::kSmallest || percent > zoom::kLargest || !fits(percent))
        return false;
    m_zoom = percent;
    if (!m_fullScreen) {
        layOut(percent / 100.0, {}, {kClient});
        setFixedSize(twipsRect(kClient, percent / 100.0).size());
    }
    const std::optional<int> larger = zoom::next(m_zoom, +1);
    m_zoomActions[0]->setEnabled(larger && fits(*larger));
    m_zoomActions[1]->setEnabled(m_zoom > zoom::kSmallest);
    return true;
}

void Form1::setFullScreen(bool on) {
    if (on == m_fullScreen)
        return;
    // Kept here: without a window manager the platform forgets the window is full screen.
    m_fullScreen = on;
    m_zoomActions[3]->setChecked(on);
    m_leaveFullScreen->setEnabled(on);
    for (QAction *sizing : {m_zoomActions[0], m_zoomActions[1], m_zoomActions[2]})
        sizing->setVisible(!on);
    if (on) {
        // Fixed sizes would keep the window from filling the screen; resizeEvent lays it out.
        m_normalPlace = pos();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        showFullScreen();
        // Without a window manager (a kiosk, say) nothing else makes it as large as the screen.
        setGeometry(screen()->geometry());
    } else {
        showNormal();
        setZoom(m_zoom);
        // Window managers put it back at the top left corner, and some with the title bar off
        // the screen, since it was made as large as the screen above.
        move(m_normalPlace);
    }
}

void Form1::fillScreenForGood() {
    setFullScreen(true);
    for (QAction *sizing : {m_zoomActions[0], m_zoomActions[1], m_zoomActions[2], m_zoomActions[3],
                            m_leaveFullScreen})
        removeAction(sizing);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void Form1::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (!m_fullScreen)
        return;
    // As large as the screen allows, centred on the apricot ground.
    const Arrangement arrangement = arrangementFor(size());
    const QSizeF layout = QSizeF(arrangement.bounds.size()) / kTwipsPerPixel;
    const qreal fitted = std::min(width() / layout.width(), height() / layout.height());
    layOut(fitted,
           QPointF(width() - layout.width() * fitted, height() - layout.height() * fitted) / 2 -
               QPointF(arrangement.bounds.topLeft()) * fitted / kTwipsPerPixel,
           arrangement);
}

// The window's own arrangement wherever its smallest button comes out large enough for a finger
// (on a whiteboard, a projector, a desktop browser); elsewhere (a tablet, a phone) a tighter one,
// with the entry boxes beside the places on a wide screen and below them on a tall one.
Form1::Arrangement Form1::arrangementFor(QSizeF screen) const {
    const auto smallestButton = [&](const Arrangement &arrangement) {
        int least = INT_MAX;
        for (const Placed &placed : m_placed) {
            if (qobject_cast<QAbstractButton *>(placed.control)) {
                const QRect at = arranged(placed, arrangement);
                least = std::min({least, at.width(), at.height()});
            }
        }
        const QSizeF layout = QSizeF(arrangement.bounds.size()) / kTwipsPerPixel;
        return least / kTwipsPerPixel *
               std::min(screen.width() / layout.width(), screen.height() / layout.height());
    };
    const Arrangement own{kClient};
    return smallestButton(own) >= kFingerTip ? own : tightened(screen.width() >= screen.height());
}

Form1::Arrangement Form1::tightened(bool wide) const {
    std::array<QRect, 3> extent;
    for (const Placed &placed : m_placed)
        extent[placed.block] |= placed.tight;
    const QRect &places = extent[Places], &counter = extent[CounterEntry];
    Arrangement arrangement{{}, {}, true};
    if (wide) {
        // Beside the places, each level with its row as in the window's own arrangement.
        const QPoint beside(places.right() + 1 + kGap - counter.left(), 0);
        arrangement.shifts[CounterEntry] = arrangement.shifts[HilfszahlEntry] = beside;
    } else {
        // Below the places, the counter's above the Hilfszahl's, in the middle.
        const int left = places.center().x() - counter.width() / 2;
        int top = places.bottom() + 1 + kGap;
        for (Block block : {CounterEntry, HilfszahlEntry}) {
            arrangement.shifts[block] = QPoint(left, top) - extent[block].topLeft();
            top += extent[block].height() + kGap;
        }
    }
    for (std::size_t block = 0; block < extent.size(); ++block)
        arrangement.bounds |= extent[block].translated(arrangement.shifts[block]);
    arrangement.bounds.adjust(-kMargin, -kMargin, kMargin, kMargin);
    return arrangement;
}

QRect Form1::arranged(const Placed &placed, const Arrangement &arrangement) const {
    return (arrangement.tight ? placed.tight : placed.twips)
        .translated(arrangement.shifts[placed.block]);
}

void Form1::layOut(qreal zoom, QPointF origin, const Arrangement &arrangement) {
    m_style->setZoom(zoom);
    for (const Placed &placed : m_placed) {
        placed.control->setGeometry(twipsRect(arranged(placed, arrangement), zoom, origin));
        QFont font = placed.control->font();
        font.setPointSizeF(placed.points * zoom);
        placed.control->setFont(font);
        if (auto *arrow = qobject_cast<ArrowButton *>(placed.control))
            arrow->setZoom(zoom);
    }
}

void Form1::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    menu.addActions({m_zoomActions[0], m_zoomActions[1], m_zoomActions[2]});
    menu.addSeparator();
    menu.addAction(m_zoomActions[3]);
    menu.addSeparator();
    menu.addActions({m_tellRows, m_readAloud});
    menu.exec(event->globalPos());
}

void Form1::Form_Load() {
    m_counter->Form_Load();
}

void Form1::closeEvent(QCloseEvent *event) {
    // A click may be waiting in a highlight; it must not go on with a window that is going away.
    m_pause->stop();
    // Kept only now: writing the settings at every step would cost a frame or more.
    if (m_zoomChosen)
        zoom::store(m_zoom);
    if (m_readingChosen)
        QSettings().setValue(QStringLiteral("vorlesen"), m_announcer->readingAloud());
    event->accept();
}

DigitCell *Form1::cell(Cell cell) const {
    return m_digits[static_cast<int>(cell.row)][static_cast<int>(cell.place)];
}

QString Form1::caption(Cell c) const {
    return cell(c)->text();
}

void Form1::setCaption(Cell c, const QString &text) {
    cell(c)->setText(text);
}

void Form1::setForeColor(Cell c, unsigned colour) {
    DigitCell *digit = cell(c);
    QPalette palette = digit->palette();
    palette.setColor(QPalette::WindowText, fromStored(colour));
    digit->setPalette(palette);
}

QString Form1::entryText(Row row) const {
    return m_entries[static_cast<int>(row)]->text();
}
