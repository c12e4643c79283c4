#include "form1.h"

#include "counter/counter.h"
#include "counter/highlightpause.h"
#include "digitcell.h"
#include "picturebutton.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 10272;
constexpr int kClientHeight = 5532;
constexpr QRgb kApricot = qRgb(255, 224, 192);
// The digit cells' ground. Green and red digits read well on black; on white the green is
// nearly invisible.
constexpr QRgb kCellGround = qRgb(0, 0, 0);
constexpr QRgb kArrowUpFace = qRgb(0, 192, 0);
constexpr QRgb kArrowDownFace = qRgb(192, 0, 0);

QColor fromStored(unsigned colour) {
    return QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff);
}

const char *placeName(Place place) {
    constexpr const char *names[] = {"Einer", "Zehner", "Hunderter", "Tausender"};
    return names[static_cast<int>(place)];
}

// The columns run from the thousands at the left to the units at the right.
constexpr std::array<Place, 4> kColumns{Place::Tausender, Place::Hunderter, Place::Zehner,
                                        Place::Einer};

int columnLeft(Place place) {
    return 960 + 1440 * (3 - static_cast<int>(place));
}

using Handler = void (Commands::*)();
struct PlaceHandlers {
    Handler plus, minus, addPlus, addMinus;
};

PlaceHandlers handlersOf(Place place) {
    switch (place) {
    case Place::Einer:
        return {&Commands::cmd_Einer_plus_Click, &Commands::cmd_Einer_minus_Click,
                &Commands::cmd_Einer_add_plus_Click, &Commands::cmd_Einer_add_minus_Click};
    case Place::Zehner:
        return {&Commands::cmd_Zehner_plus_Click, &Commands::cmd_Zehner_minus_Click,
                &Commands::cmd_Zehner_add_plus_Click, &Commands::cmd_Zehner_add_minus_Click};
    case Place::Hunderter:
        return {&Commands::cmd_Hunderter_plus_Click, &Commands::cmd_Hunderter_minus_Click,
                &Commands::cmd_Hunderter_add_plus_Click, &Commands::cmd_Hunderter_add_minus_Click};
    case Place::Tausender:
        break;
    }
    return {&Commands::cmd_Tausender_plus_Click, &Commands::cmd_Tausender_minus_Click,
            &Commands::cmd_Tausender_add_plus_Click, &Commands::cmd_Tausender_add_minus_Click};
}

QIcon picture(const QString &name) {
    QIcon icon;
    for (int size : {16, 32, 64})
        icon.addFile(QStringLiteral(":/pictures/%1_%2.png").arg(name).arg(size), QSize(size, size));
    return icon;
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

void setColours(QWidget *widget, const QColor &fore, const QColor &ground) {
    QPalette palette = widget->palette();
    if (fore.isValid())
        palette.setColor(QPalette::WindowText, fore);
    palette.setColor(QPalette::Window, ground);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent), m_pause(std::make_unique<HighlightPause>()),
      m_counter(std::make_unique<Counter>(static_cast<DigitCells &>(*this), *m_pause)),
      m_commands(*m_counter, *this) {
    Q_INIT_RESOURCE(pictures);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Nurvelo"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(twips(kClientWidth), twips(kClientHeight));
    setFont(classicFont(7.8, true));
    setColours(this, QColor(), kApricot);
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/pictures/nurvelo_%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);

    createControls();
    Form_Load();
}

Form1::~Form1() = default;

QRect Form1::twipsRect(int left, int top, int width, int height) {
    // Both edges are rounded, so neighbours that touch in twips touch in pixels too.
    return QRect(QPoint(twips(left), twips(top)),
                 QPoint(twips(left + width) - 1, twips(top + height) - 1));
}

QFont Form1::classicFont(qreal pointSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

void Form1::createControls() {
    const auto place = [this](QWidget *control, const QString &name, QRect geometry,
                              const QFont &font) {
        control->setParent(this);
        control->setObjectName(name);
        control->setGeometry(geometry);
        control->setFont(font);
    };
    // Every push button: never pressed by Enter, wired to its handler, named for a screen reader.
    const auto button = [&](QPushButton *push, const QString &name, QRect geometry,
                            const QFont &font, Handler handler, const QString &spoken,
                            const QString &description) {
        place(push, name, geometry, font);
        push->setAutoDefault(false);
        connect(push, &QPushButton::clicked, this, [this, handler] { (m_commands.*handler)(); });
        return describe(push, spoken, description);
    };
    const auto entry = [&](Row row, const QString &name, int top, const QString &spoken,
                           const QString &description) {
        auto *box = new QLineEdit;
        place(box, name, twipsRect(7320, top, 852, 432), classicFont(13.2, false));
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
              twipsRect(heading.left, 480, heading.width, 252), classicFont(9.6, true));
        setColours(label, QColor(), kApricot);
        const QString name = QString::fromLatin1(placeName(kColumns[column]));
        describe(label, name, QStringLiteral("Überschrift der Spalte %1").arg(name));
    }

    for (Row row : {Row::Counter, Row::Hilfszahl}) {
        const bool counterRow = row == Row::Counter;
        for (Place p : kColumns) {
            auto *digit = new DigitCell;
            place(digit, QStringLiteral("lbl_%1%2").arg(placeName(p), counterRow ? "" : "_add"),
                  twipsRect(columnLeft(p), counterRow ? 960 : 3840, 804, 792),
                  classicFont(31.2, true));
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
                       twipsRect(8520, 1200, 612, 492), classicFont(7.8, false),
                       &Commands::cmd_ok_Click, QStringLiteral("OK für den Zähler"),
                       QStringLiteral("Setzt den Zähler auf die eingegebene Zahl."));
    for (Place p : kColumns) {
        const QString name = QString::fromLatin1(placeName(p));
        tabOrder << button(new QPushButton(QStringLiteral("+")),
                           QStringLiteral("cmd_%1_plus").arg(name),
                           twipsRect(columnLeft(p), 1920, 372, 372), classicFont(19.2, false),
                           handlersOf(p).plus, QStringLiteral("%1 plus eins").arg(name),
                           QStringLiteral("Zählt einen %1 zum Zähler dazu.").arg(name));
    }
    for (Place p : kColumns) {
        const QString name = QString::fromLatin1(placeName(p));
        tabOrder << button(new QPushButton(QStringLiteral("-")),
                           QStringLiteral("cmd_%1_minus").arg(name),
                           twipsRect(columnLeft(p) + 480, 1920, 372, 372), classicFont(31.2, true),
                           handlersOf(p).minus, QStringLiteral("%1 minus eins").arg(name),
                           QStringLiteral("Nimmt einen %1 vom Zähler weg.").arg(name));
    }
    tabOrder << entry(Row::Hilfszahl, QStringLiteral("txt_Eingabe_add"), 3960,
                      QStringLiteral("Eingabe für die Hilfszahl"),
                      QStringLiteral("Eine Zahl mit bis zu vier Zeichen. OK setzt die Hilfszahl "
                                     "auf diese Zahl."));
    tabOrder << button(new QPushButton(QStringLiteral("OK")), QStringLiteral("cmd_ok_add"),
                       twipsRect(8520, 3960, 612, 492), classicFont(7.8, false),
                       &Commands::cmd_ok_add_Click, QStringLiteral("OK für die Hilfszahl"),
                       QStringLiteral("Setzt die Hilfszahl auf die eingegebene Zahl."));

    // The arrows show no caption, so they are named by what they do.
    const QIcon up = picture(QStringLiteral("arrow_up"));
    const QIcon down = picture(QStringLiteral("arrow_down"));
    for (Place p : kColumns) {
        const QString name = QString::fromLatin1(placeName(p));
        tabOrder << button(
            new PictureButton(kArrowUpFace, up), QStringLiteral("cmd_%1_add_plus").arg(name),
            twipsRect(columnLeft(p) - 120, 2760, 492, 612), font(), handlersOf(p).addPlus,
            QStringLiteral("Eine Einheit %1 von der Hilfszahl in den Zähler").arg(name),
            QStringLiteral("Grüner Pfeil nach oben: nimmt der Hilfszahl einen %1 "
                           "weg und zählt ihn zum Zähler dazu.")
                .arg(name));
    }
    for (Place p : kColumns) {
        const QString name = QString::fromLatin1(placeName(p));
        tabOrder << button(
            new PictureButton(kArrowDownFace, down), QStringLiteral("cmd_%1_add_minus").arg(name),
            twipsRect(columnLeft(p) + 480, 2760, 492, 612), font(), handlersOf(p).addMinus,
            QStringLiteral("Eine Einheit %1 vom Zähler in die Hilfszahl").arg(name),
            QStringLiteral("Roter Pfeil nach unten: nimmt dem Zähler einen %1 weg "
                           "und zählt ihn zur Hilfszahl dazu.")
                .arg(name));
    }

    tabOrder << button(new QPushButton(QStringLiteral("Löschen")),
                       QStringLiteral("cmd_AktZahl_loeschen"), twipsRect(8520, 1800, 852, 492),
                       classicFont(7.8, false), &Commands::cmd_AktZahl_loeschen_Click,
                       QStringLiteral("Zähler löschen"), QStringLiteral("Setzt den Zähler auf 0."));
    tabOrder << button(new QPushButton(QStringLiteral("Löschen")),
                       QStringLiteral("cmd_Hilfszahl_loeschen"), twipsRect(8520, 4680, 852, 492),
                       classicFont(7.8, false), &Commands::cmd_Hilfszahl_loeschen_Click,
                       QStringLiteral("Hilfszahl löschen"),
                       QStringLiteral("Setzt die Hilfszahl auf 0."));

    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    tabOrder.first()->setFocus();
}

void Form1::Form_Load() {
    m_counter->Form_Load();
}

void Form1::closeEvent(QCloseEvent *event) {
    // A click may be waiting in a highlight; it must not go on with a window that is going away.
    m_pause->stop();
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
