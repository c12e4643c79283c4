#include "counter/highlightpause.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <ctime>

// The pause on the real event loop. These tests take real time, so they are few.
class TestHighlightPause : public QObject {
    Q_OBJECT

private slots:
    void lastsItsLengthAndNoLonger();
    void costsNoCpuWhileWaiting();
    void handlesEventsMeanwhile();
    void nestedPauseHoldsTheOuterOne();
    void stopEndsEveryPauseAtOnce();
};

namespace {

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

} // namespace

void TestHighlightPause::lastsItsLengthAndNoLonger() {
    HighlightPause pause;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(pause.wait());
        const qint64 elapsed = clock.nsecsElapsed();
        QVERIFY2(elapsed >= 400'000'000, qPrintable(QString::number(elapsed)));
        QVERIFY2(elapsed < 430'000'000, qPrintable(QString::number(elapsed)));
    }
}

// A loop that polls the clock would burn the whole 0.4 s; waiting in the event loop costs
// next to nothing. The bound is loose: this only tells a wait from a spin.
void TestHighlightPause::costsNoCpuWhileWaiting() {
    HighlightPause pause;
    const double before = cpuSeconds();
    for (int i = 0; i < 3; ++i)
        QVERIFY(pause.wait());
    const double perPause = (cpuSeconds() - before) / 3;
    QVERIFY2(perPause < 0.02, qPrintable(QString::number(perPause)));
}

void TestHighlightPause::handlesEventsMeanwhile() {
    HighlightPause pause;
    QElapsedTimer clock;
    clock.start();
    qint64 handledAt = -1;
    QTimer::singleShot(100, [&] { handledAt = clock.elapsed(); });
    QVERIFY(pause.wait());
    QVERIFY(handledAt >= 100 && handledAt < 400);
}

void TestHighlightPause::nestedPauseHoldsTheOuterOne() {
    HighlightPause pause;
    QElapsedTimer clock;
    clock.start();
    qint64 innerEnded = -1;
    QTimer::singleShot(100, [&] {
        QVERIFY(pause.wait());
        innerEnded = clock.elapsed();
    });
    QVERIFY(pause.wait());
    const qint64 outerEnded = clock.elapsed();
    QVERIFY(innerEnded >= 500);
    QVERIFY(outerEnded >= innerEnded);
    QVERIFY(outerEnded < innerEnded + 50);
}

void TestHighlightPause::stopEndsEveryPauseAtOnce() {
    HighlightPause pause;
    QElapsedTimer clock;
    clock.start();
    bool innerResult = true;
    QTimer::singleShot(50, [&] { innerResult = pause.wait(); });
    QTimer::singleShot(100, [&] { pause.stop(); });
    QVERIFY(!pause.wait());
    QVERIFY(!innerResult);
    QVERIFY2(clock.elapsed() < 150, qPrintable(QString::number(clock.elapsed())));

    clock.restart();
    QVERIFY(!pause.wait());
    QVERIFY(clock.elapsed() < 10);
}

QTEST_GUILESS_MAIN(TestHighlightPause)
#include "tst_highlightpause.moc"
