#include "counter/counter.h"
#include "window/commandline.h"
#include "window/form1.h"
#include "window/startup.h"
#include "window/zoom.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>

// Processor time so far; std::clock() would count wall time on Windows.
std::chrono::nanoseconds cpuTime() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

// Times every change of a counter cell's colour as it happens.
struct ColourWatch : QObject {
    bool eventFilter(QObject *cell, QEvent *event) override {
        const bool red =
            static_cast<QWidget *>(cell)->palette().color(QPalette::WindowText) == Qt::red;
        if (event->type() == QEvent::PaletteChange && red && !since.contains(cell))
            lit << cell->objectName().mid(4), since[cell] = clock.elapsed();
        else if (event->type() == QEvent::PaletteChange && !red && since.contains(cell))
            shortest = std::min(shortest, clock.elapsed() - since.take(cell));
        return false;
    }
    QElapsedTimer clock;
    QHash<QObject *, qint64> since; // red since
    QStringList lit;
    qint64 shortest = 1 << 30;
};

// The real window on a 1920 by 1200 screen: what only the window can get wrong.
class TestForm1 : public QObject {
    Q_OBJECT

    std::unique_ptr<Form1> m_form;
    QTemporaryDir m_settings;
    QWidget *control(const char *name) { return m_form->findChild<QWidget *>(name); }
    void click(const char *name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    QString counterRow() {
        QStringList texts;
        for (const char *name : {"lbl_Tausender", "lbl_Hunderter", "lbl_Zehner", "lbl_Einer"})
            texts << qobject_cast<QLabel *>(control(name))->text();
        return texts.join(u' ');
    }

private slots:
    void initTestCase() {
        setUpApplication(*qApp);
        // The zoom kept goes to a file of the test's own, also on Windows, instead of the registry.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    }
    void init() {
        m_form = std::make_unique<Form1>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void cleanup() { m_form.reset(); }

    void zoomScalesEverything_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<double>("zoom");
        QTest::newRow("100 %") << 100 << 1.0;
        QTest::newRow("175 %") << 175 << 1.75;
        QTest::newRow("full screen") << 0 << 1920 / 684.8; // as large as fits
    }
    // Each control, and what the screen reader is told of it, where the 100 % layout times the
    // zoom puts it; a click at the scaled middle of a place button still steps the counter.
    void zoomScalesEverything() {
        QFETCH(int, percent);
        QFETCH(double, zoom);
        const auto controls =
            m_form->findChildren<QWidget *>(QRegularExpression("^(lbl|cmd|txt)_"));
        QCOMPARE(controls.size(), 34);
        QHash<QWidget *, QPair<QRect, qreal>> before;
        for (QWidget *c : controls)
            before[c] = {c->geometry(), c->font().pointSizeF()};
        const QSizeF margin = (QSizeF(1920, 1200) - QSizeF(m_form->size()) * zoom) / 2;
        percent ? void(m_form->setZoom(percent)) : m_form->setFullScreen(true);
        QTRY_COMPARE(m_form->width(), percent ? qRound(684.8 * zoom) : 1920);
        const QPointF origin = percent ? QPointF() : QPointF(margin.width(), margin.height());
        for (QWidget *c : controls) {
            const QRectF expected(origin + QPointF(before[c].first.topLeft()) * zoom,
                                  QSizeF(before[c].first.size()) * zoom);
            const QRectF error(c->geometry().topLeft() - expected.topLeft(),
                               c->geometry().size() - expected.size());
            // The 100 % layout is itself rounded.
            QVERIFY2(std::max({qAbs(error.left()), qAbs(error.top()), qAbs(error.width()),
                               qAbs(error.height())}) <= zoom / 2 + 1,
                     qPrintable(c->objectName()));
            QCOMPARE(c->font().pointSizeF(), before[c].second * zoom);
            QCOMPARE(QAccessible::queryAccessibleInterface(c)->rect(),
                     QRect(c->mapToGlobal(QPoint()), c->size())); // what a magnifier is told
        }
        const QPoint middle = control("cmd_Tausender_plus")->geometry().center();
        QWidget *hit = m_form->childAt(middle);
        QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(m_form.get(), middle));
        QCOMPARE(counterRow(), QStringLiteral("1 0 0 0"));
        QCOMPARE(m_form->counter().AktZahl(), 1000);
    }

    // The entry box holds four characters, typed or pasted, and Enter and Esc press nothing;
    // the zoom keys work in it all the same, and the menu offers what they do. A zoom that does
    // not fit on the screen is not taken; a broken stored zoom is ignored.
    void entryBoxZoomKeysAndMenu() {
        QSettings().setValue(QStringLiteral("zoom"), QStringLiteral("Lupe"));
        QCOMPARE(zoom::stored(), std::nullopt);
        auto *box = qobject_cast<QLineEdit *>(control("txt_Eingabe"));
        QApplication::clipboard()->setText(QStringLiteral("-30000"));
        box->paste();
        QTest::keyClicks(box, QStringLiteral("56"));
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(box, key);
        const auto key = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
            QTest::keyClick(box, key, modifiers);
            return m_form->zoom();
        };
        QCOMPARE(key(Qt::Key_Plus), 125);
        QCOMPARE(key(Qt::Key_Equal), 150);
        QCOMPARE(key(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier), 175);
        QCOMPARE(key(Qt::Key_Minus), 150);
        QVERIFY(key(Qt::Key_0) == 100 && !m_form->actions().at(1)->isEnabled()); // none smaller
        QVERIFY(!m_form->setZoom(99));
        m_form->startAt(400); // 300 % would be too wide, though not too tall
        QCOMPARE(key(Qt::Key_Plus), 250);
        QVERIFY(!m_form->actions().first()->isEnabled());
        m_form->move(40, 30);
        key(Qt::Key_F11, {});
        QTRY_COMPARE(m_form->size(), QSize(1920, 1200));
        QCoreApplication::processEvents(); // the platform's answer, before the next key
        key(Qt::Key_Escape, {});           // back where it stood
        QTRY_COMPARE(QRect(m_form->pos(), m_form->size()), QRect(40, 30, 1712, 922));
        key(Qt::Key_Escape, {});
        QCOMPARE(key(Qt::Key_Minus), 200);
        QVERIFY(m_form->isVisible() && box->text() == "-300" && QApplication::focusWidget() == box);
        QStringList menu;
        QTimer::singleShot(0, this, [&] {
            for (QAction *action : QApplication::activePopupWidget()->actions())
                menu << action->text() + (action->isEnabled() ? "" : " (aus)");
            QApplication::activePopupWidget()->close();
        });
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(2, 2),
                                     m_form->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(m_form.get(), &rightClick);
        QCOMPARE(menu.join(u','), "Vergrößern,Verkleinern,Originalgröße,,Vollbild,,Zähler und "
                                  "Hilfszahl ansagen,Vorlesen");
        QCOMPARE(counterRow(), QStringLiteral("0 0 0 0"));
        m_form->close();
        QCOMPARE(zoom::stored(), 200);
    }

    // A ripple in real time, with a click and a zoom step during its first pause: each cell red
    // for at least 0.4 s, then green, and the pauses waiting rather than spinning.
    void ripplesInRealTime() {
        QTest::keyClicks(control("txt_Eingabe"), QStringLiteral("999"));
        click("cmd_ok");
        QTimer::singleShot(100, this, [this] { click("cmd_Tausender_plus"); });
        QTimer::singleShot(200, this, [this] { m_form->setZoom(150); });
        ColourWatch watch;
        for (auto *cell : m_form->findChildren<QLabel *>(QRegularExpression("^lbl_[A-Z][a-z]+$")))
            cell->installEventFilter(&watch);
        watch.clock.start();
        const auto cpu = cpuTime();
        click("cmd_Einer_plus");
        QVERIFY2(cpuTime() - cpu < std::chrono::milliseconds(500), "the pauses spin");
        QVERIFY(watch.since.isEmpty());
        QVERIFY2(watch.shortest >= 400, qPrintable(QString::number(watch.shortest)));
        QCOMPARE(watch.lit.join(u' '), "Einer Tausender Zehner Hunderter Tausender");
        QCOMPARE(counterRow(), QStringLiteral("2 0 0 0"));
        // Closing during a ripple ends it there and then.
        QTimer::singleShot(150, m_form.get(), &QWidget::close);
        watch.clock.restart();
        click("cmd_Einer_minus");
        QVERIFY(watch.clock.elapsed() < 300 && !m_form->isVisible());
        QCOMPARE(counterRow(), QStringLiteral("2 0 0 9"));
    }

    // What each command line does, and part of what it prints; an error in one line.
    void commandLine() {
        const int run = StartOptions::Run, wrong = StartOptions::Error;
        // clang-format off
        const std::tuple<QString, int, int, const char *> rows[] = {
            {"--zoom 250 --fullscreen", run, 250, ""}, {"--zoom=400 --vorlesen", run, 400, ""},
            {"--help", StartOptions::Help, 0, "F2 sagt Zähler und Hilfszahl an, F4 schaltet das Vorlesen"},
            {"--version", StartOptions::Version, 0, "Nurvelo 1.00"},
            {"--zoom abc", wrong, 0, "Nurvelo: „abc“ ist kein erlaubter Wert für --zoom; erlaubt sind --zoom PROZENT "
                "(eine ganze Zahl von 100 bis 400), --fullscreen, --vorlesen, --help und --version."},
            {"--zoom 50", wrong, 0, "„50“ ist kein"}, {"--zoom 401", wrong, 0, "„401“ ist kein"},
            {"--zoom", wrong, 0, "--zoom braucht einen Wert"}, {"--gross", wrong, 0, "unbekannte Option „--gross“"},
            {"200", wrong, 0, "unerwartetes Argument „200“"}};
        // clang-format on
        for (const auto &[arguments, action, zoom, said] : rows) {
            const StartOptions o = parseCommandLine(("Nurvelo " + arguments).split(u' '));
            QVERIFY2(int(o.action) == action && o.zoom == zoom &&
                         o.fullScreen == arguments.endsWith("--fullscreen") &&
                         o.readAloud == arguments.endsWith("--vorlesen") &&
                         o.text.contains(QString::fromUtf8(said)) &&
                         (action != wrong || !o.text.contains(u'\n')),
                     qPrintable(arguments + ": " + o.text));
        }
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
