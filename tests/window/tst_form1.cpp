#include "counter/counter.h"
#include "window/digitcell.h"
#include "window/form1.h"
#include "window/arrowbutton.h"
#include "window/startup.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The real window: its layout as the classroom knows it, and a few clicks in real time.
class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void window();
    void startState();
    void tabOrder();
    void entryBoxesHoldFourCharacters();
    void enterAndEscapePressNothing();
    void typedEntryAndClear();
    void wideThousandsTextFits();
    void rippleLightsEachPlaceInTurn();
    void clickDuringAPause();
    void entryAndClearDuringAPause();
    void closingDuringAPause();
    void nameAndVersion();

private:
    template <typename T = QWidget> T *control(const char *name) {
        auto *found = m_form->findChild<T *>(QLatin1String(name));
        [&] { QVERIFY2(found, name); }();
        return found;
    }
    QString counterRow();

    std::unique_ptr<Form1> m_form;
};

namespace {

QRect fromTwips(int left, int top, int width, int height) {
    auto px = [](int twips) { return qRound(twips / 15.0); };
    return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
}

QColor colourOf(const QWidget *widget, QPalette::ColorRole role) {
    return widget->palette().color(role);
}

const QColor green(0, 255, 0);
const QColor red(255, 0, 0);

} // namespace

void TestForm1::init() {
    m_form = std::make_unique<Form1>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QApplication::setActiveWindow(m_form.get());
}

void TestForm1::cleanup() {
    m_form.reset();
}

QString TestForm1::counterRow() {
    QStringList texts;
    for (const char *name : {"lbl_Tausender", "lbl_Hunderter", "lbl_Zehner", "lbl_Einer"})
        texts << control<QLabel>(name)->text();
    return texts.join(u' ');
}

void TestForm1::layout_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");
    auto row = [](const char *name, const char *kind, int left, int top, int width, int height,
                  const char *caption, double points, bool bold) {
        QTest::newRow(name) << kind << fromTwips(left, top, width, height)
                            << QString::fromUtf8(caption) << points << bold;
    };
    row("lbl_Tausender_Text", "QLabel", 840, 480, 1212, 252, " Tausender", 9.6, true);
    row("lbl_Hunderter_Text", "QLabel", 2400, 480, 1212, 252, "Hunderter", 9.6, true);
    row("lbl_Zehner_Text", "QLabel", 3840, 480, 1092, 252, " Zehner", 9.6, true);
    row("lbl_Einer_Text", "QLabel", 5280, 480, 1092, 252, "  Einer", 9.6, true);
    const char *places[] = {"Tausender", "Hunderter", "Zehner", "Einer"};
    for (int i = 0; i < 4; ++i) {
        const int left = 960 + 1440 * i;
        const QByteArray place = places[i];
        row("lbl_" + place, "DigitCell", left, 960, 804, 792, "0", 31.2, true);
        row("lbl_" + place + "_add", "DigitCell", left, 3840, 804, 792, "0", 31.2, true);
        row("cmd_" + place + "_plus", "QPushButton", left, 1920, 372, 372, "+", 19.2, false);
        row("cmd_" + place + "_minus", "QPushButton", left + 480, 1920, 372, 372, "-", 31.2, true);
        row("cmd_" + place + "_add_plus", "ArrowButton", left - 120, 2760, 492, 612, "", 7.8,
            true);
        row("cmd_" + place + "_add_minus", "ArrowButton", left + 480, 2760, 492, 612, "", 7.8,
            true);
    }
    row("txt_Eingabe", "QLineEdit", 7320, 1200, 852, 432, "", 13.2, false);
    row("cmd_ok", "QPushButton", 8520, 1200, 612, 492, "OK", 7.8, false);
    row("txt_Eingabe_add", "QLineEdit", 7320, 3960, 852, 432, "", 13.2, false);
    row("cmd_ok_add", "QPushButton", 8520, 3960, 612, 492, "OK", 7.8, false);
    row("cmd_AktZahl_loeschen", "QPushButton", 8520, 1800, 852, 492, "Löschen", 7.8, false);
    row("cmd_Hilfszahl_loeschen", "QPushButton", 8520, 4680, 852, 492, "Löschen", 7.8, false);
}

void TestForm1::layout() {
    QFETCH(QString, kind);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(double, points);
    QFETCH(bool, bold);

    auto *widget = control(QTest::currentDataTag());
    QCOMPARE(widget->metaObject()->className(), kind);
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->font().pointSizeF(), points);
    QCOMPARE(widget->font().bold(), bold);
    QVERIFY(!widget->font().italic() && !widget->font().underline());
    QVERIFY(m_form->rect().contains(widget->geometry()));

    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        if (kind == QLatin1String("DigitCell")) {
            QCOMPARE(colourOf(label, QPalette::WindowText), green);
            QCOMPARE(colourOf(label, QPalette::Window), QColor(Qt::black));
            QVERIFY(label->alignment() & Qt::AlignHCenter);
        } else {
            QCOMPARE(colourOf(label, QPalette::Window), QColor(255, 224, 192));
        }
    } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->autoDefault() && !button->isDefault());
        if (auto *picture = qobject_cast<ArrowButton *>(button)) {
            const bool up = picture->objectName().endsWith(QLatin1String("plus"));
            QCOMPARE(picture->face(), up ? QColor(0, 192, 0) : QColor(192, 0, 0));
        }
    } else if (auto *box = qobject_cast<QLineEdit *>(widget)) {
        QCOMPARE(box->text(), caption);
        QCOMPARE(box->maxLength(), 4);
    }

    // No control overlaps another.
    for (auto *other : m_form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (other != widget)
            QVERIFY2(!other->geometry().intersects(widget->geometry()),
                     qPrintable(other->objectName()));
    }
}

void TestForm1::window() {
    QCOMPARE(m_form->objectName(), QStringLiteral("Form1"));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Nurvelo"));
    QCOMPARE(m_form->size(), QSize(685, 369));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    const Qt::WindowFlags flags = m_form->windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(colourOf(m_form.get(), QPalette::Window), QColor(255, 224, 192));
    QVERIFY(!m_form->windowIcon().isNull());
    QCOMPARE(m_form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly).size(), 34);
    QCOMPARE(m_form->findChildren<QLabel *>().size(), 12);
    QCOMPARE(m_form->findChildren<QPushButton *>().size(), 20);
    QCOMPARE(m_form->findChildren<QLineEdit *>().size(), 2);
}

void TestForm1::startState() {
    for (auto *cell : m_form->findChildren<DigitCell *>()) {
        QCOMPARE(cell->text(), QStringLiteral("0"));
        QCOMPARE(colourOf(cell, QPalette::WindowText), green);
    }
    QCOMPARE(m_form->findChildren<DigitCell *>().size(), 8);
    QCOMPARE(m_form->counter().AktZahl(), 0);
    QCOMPARE(QApplication::focusWidget(), control("txt_Eingabe"));
}

void TestForm1::tabOrder() {
    const char *order[] = {
        "cmd_ok",
        "cmd_Tausender_plus",
        "cmd_Hunderter_plus",
        "cmd_Zehner_plus",
        "cmd_Einer_plus",
        "cmd_Tausender_minus",
        "cmd_Hunderter_minus",
        "cmd_Zehner_minus",
        "cmd_Einer_minus",
        "txt_Eingabe_add",
        "cmd_ok_add",
        "cmd_Tausender_add_plus",
        "cmd_Hunderter_add_plus",
        "cmd_Zehner_add_plus",
        "cmd_Einer_add_plus",
        "cmd_Tausender_add_minus",
        "cmd_Hunderter_add_minus",
        "cmd_Zehner_add_minus",
        "cmd_Einer_add_minus",
        "cmd_AktZahl_loeschen",
        "cmd_Hilfszahl_loeschen",
        "txt_Eingabe",
    };
    for (const char *name : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
    }
}

void TestForm1::entryBoxesHoldFourCharacters() {
    for (const char *name : {"txt_Eingabe", "txt_Eingabe_add"}) {
        auto *box = control<QLineEdit>(name);
        QTest::keyClicks(box, QStringLiteral("123456"));
        QCOMPARE(box->text(), QStringLiteral("1234"));
        box->clear();
        QApplication::clipboard()->setText(QStringLiteral("-30000"));
        box->paste();
        QCOMPARE(box->text(), QStringLiteral("-300"));
    }
}

void TestForm1::enterAndEscapePressNothing() {
    auto *box = control<QLineEdit>("txt_Eingabe");
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("12"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClick(box, Qt::Key_Enter);
    QTest::keyClick(box, Qt::Key_Escape);
    QCOMPARE(counterRow(), QStringLiteral("0 0 0 0"));
    QCOMPARE(m_form->counter().AktZahl(), 0);
    QCOMPARE(box->text(), QStringLiteral("12"));
    QVERIFY(m_form->isVisible());
}

void TestForm1::typedEntryAndClear() {
    QTest::keyClicks(control("txt_Eingabe"), QStringLiteral("4711"));
    QTest::mouseClick(control("cmd_ok"), Qt::LeftButton);
    QCOMPARE(counterRow(), QStringLiteral("4 7 1 1"));
    QCOMPARE(m_form->counter().AktZahl(), 4711);

    QTest::keyClicks(control("txt_Eingabe_add"), QStringLiteral("-5"));
    QTest::mouseClick(control("cmd_ok_add"), Qt::LeftButton);
    QCOMPARE(control<QLabel>("lbl_Tausender_add")->text(), QStringLiteral("-1"));
    QCOMPARE(control<QLabel>("lbl_Einer_add")->text(), QStringLiteral("5"));

    QTest::mouseClick(control("cmd_AktZahl_loeschen"), Qt::LeftButton);
    QCOMPARE(counterRow(), QStringLiteral("0 0 0 0"));
    QCOMPARE(m_form->counter().AktZahl(), 0);
    QCOMPARE(control<QLabel>("lbl_Tausender_add")->text(), QStringLiteral("-1"));
    QTest::mouseClick(control("cmd_Hilfszahl_loeschen"), Qt::LeftButton);
    QCOMPARE(control<QLabel>("lbl_Tausender_add")->text(), QStringLiteral("0"));
    QCOMPARE(control<QLineEdit>("txt_Eingabe")->text(), QStringLiteral("4711"));
}

void TestForm1::wideThousandsTextFits() {
    auto *cell = control<DigitCell>("lbl_Tausender");
    QCOMPARE(cell->fittedFont(), cell->font());
    for (const char *text : {"-30", "32", "10", "-1"}) {
        cell->setText(QString::fromLatin1(text));
        const QFontMetricsF metrics(cell->fittedFont());
        QVERIFY2(metrics.horizontalAdvance(cell->text()) <= cell->contentsRect().width(), text);
        QVERIFY(cell->fittedFont().pointSizeF() > 12);
    }
}

void TestForm1::rippleLightsEachPlaceInTurn() {
    QTest::keyClicks(control("txt_Eingabe"), QStringLiteral("999"));
    QTest::mouseClick(control("cmd_ok"), Qt::LeftButton);

    // Watch every colour change of the counter cells as it happens.
    struct Change {
        qint64 at;
        QString cell;
        QColor colour;
    };
    QList<Change> changes;
    QElapsedTimer clock;
    QTimer sampler;
    QHash<QString, QColor> last;
    const QStringList cells{"lbl_Einer", "lbl_Zehner", "lbl_Hunderter", "lbl_Tausender"};
    for (const QString &name : cells)
        last[name] = green;
    connect(&sampler, &QTimer::timeout, this, [&] {
        for (const QString &name : cells) {
            const QColor now = colourOf(control(qPrintable(name)), QPalette::WindowText);
            if (now != last[name])
                changes.append({clock.elapsed(), name, last[name] = now});
        }
    });
    sampler.start(2);
    clock.start();
    QTest::mouseClick(control("cmd_Einer_plus"), Qt::LeftButton);
    const qint64 total = clock.elapsed();
    sampler.stop();

    QCOMPARE(counterRow(), QStringLiteral("1 0 0 0"));
    QCOMPARE(m_form->counter().AktZahl(), 1000);
    QVERIFY2(total >= 1600 && total < 1700, qPrintable(QString::number(total)));
    // Red changes show after the first sample; the last green comes after the click returns.
    QVERIFY(changes.size() >= 7);
    for (int i = 0; i < 4; ++i) {
        const Change &lit = changes.at(2 * i);
        QCOMPARE(lit.cell, cells[i]);
        QCOMPARE(lit.colour, red);
        if (i > 0)
            QVERIFY2(qAbs(lit.at - changes.at(2 * i - 2).at - 400) < 30,
                     qPrintable(QString::number(lit.at)));
    }
    for (const QString &name : cells)
        QCOMPARE(colourOf(control(qPrintable(name)), QPalette::WindowText), green);
}

void TestForm1::clickDuringAPause() {
    QTest::keyClicks(control("txt_Eingabe"), QStringLiteral("8999"));
    QTest::mouseClick(control("cmd_ok"), Qt::LeftButton);
    QColor unitsDuringNested;
    QTimer::singleShot(100, this, [&] {
        QTest::mouseClick(control("cmd_Tausender_plus"), Qt::LeftButton);
        unitsDuringNested = colourOf(control("lbl_Einer"), QPalette::WindowText);
    });
    QTest::mouseClick(control("cmd_Einer_plus"), Qt::LeftButton);
    QCOMPARE(unitsDuringNested, red);
    QCOMPARE(counterRow(), QStringLiteral("9 0 0 0"));
    QCOMPARE(m_form->counter().AktZahl(), 9000);

    // The same button again while its own click is still waiting.
    QTimer::singleShot(100, this,
                       [this] { QTest::mouseClick(control("cmd_Einer_plus"), Qt::LeftButton); });
    QTest::mouseClick(control("cmd_Einer_plus"), Qt::LeftButton);
    QCOMPARE(counterRow(), QStringLiteral("9 0 0 2"));
}

void TestForm1::closingDuringAPause() {
    QTest::keyClicks(control("txt_Eingabe"), QStringLiteral("999"));
    QTest::mouseClick(control("cmd_ok"), Qt::LeftButton);
    QElapsedTimer clock;
    QTimer::singleShot(100, m_form.get(), [this, &clock] {
        clock.start();
        m_form->close();
    });
    QTest::mouseClick(control("cmd_Einer_plus"), Qt::LeftButton);
    QVERIFY2(clock.elapsed() < 50, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!m_form->isVisible());
    // Nothing ran on after the close: the carry never reached the tens.
    QCOMPARE(counterRow(), QStringLiteral("0 9 9 0"));
    QCOMPARE(m_form->counter().AktZahl(), 990);
    QVERIFY(m_form->counter().ending());
}

// The row shows what was entered or cleared last, and the interrupted ripple stops at once.
void TestForm1::entryAndClearDuringAPause() {
    QTest::keyClicks(control("txt_Eingabe"), QStringLiteral("999"));
    QTest::mouseClick(control("cmd_ok"), Qt::LeftButton);
    QTimer::singleShot(
        100, this, [this] { QTest::mouseClick(control("cmd_AktZahl_loeschen"), Qt::LeftButton); });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(control("cmd_Einer_plus"), Qt::LeftButton);
    QVERIFY2(clock.elapsed() < 600, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(counterRow(), QStringLiteral("0 0 0 0"));
    QCOMPARE(m_form->counter().AktZahl(), 0);

    QTest::keyClicks(control("txt_Eingabe_add"), QStringLiteral("4711"));
    QTimer::singleShot(100, this,
                       [this] { QTest::mouseClick(control("cmd_ok_add"), Qt::LeftButton); });
    QTest::mouseClick(control("cmd_Einer_plus"), Qt::LeftButton);
    QCOMPARE(counterRow(), QStringLiteral("0 0 0 1"));
    QCOMPARE(control<QLabel>("lbl_Tausender_add")->text(), QStringLiteral("4"));
    for (auto *cell : m_form->findChildren<DigitCell *>())
        QCOMPARE(colourOf(cell, QPalette::WindowText), green);
}

void TestForm1::nameAndVersion() {
    setUpApplication(*qApp);
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Nurvelo"));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.00"));
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
