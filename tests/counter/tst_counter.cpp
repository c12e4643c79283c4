#include "board.h"

#include <QTest>

// Stepping the counter row with the place buttons, with the pause taking no time.
class TestCounter : public QObject {
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
    void clicksDuringPauses_data();
    void clicksDuringPauses();
    void closingMidRipple();
};

namespace {

void addColumns() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QString>("during");
    QTest::addColumn<QString>("cells");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("lit");
}

void run() {
    QFETCH(int, start);
    QFETCH(QString, clicks);
    QFETCH(QString, during);
    QFETCH(QString, cells);
    QFETCH(int, value);
    QFETCH(QString, lit);

    Board board;
    board.start(start, 0, during);
    for (const QString &click : clicks.split(u' '))
        board.click(click);

    QCOMPARE(board.row(Row::Counter), cells);
    QCOMPARE(board.counter.AktZahl(), value);
    QCOMPARE(board.lighted.join(u' '), lit);
    QCOMPARE(board.row(Row::Hilfszahl), QStringLiteral("0 0 0 0"));
    for (const auto &row : board.colours)
        for (unsigned colour : row)
            QCOMPARE(colour, kRestColour);
}

const QString ripple = QStringLiteral("Einer Zehner Hunderter Tausender");

} // namespace

void TestCounter::steps_data() {
    addColumns();
    const QString none;
    auto row = [&](const char *name, int start, const char *click, const char *cells, int value,
                   const QString &lit) {
        QTest::newRow(name) << start << click << none << cells << value << lit;
    };
    row("0000 units +", 0, "cmd_Einer_plus", "0 0 0 1", 1, "Einer");
    row("0999 units + carries to 1000", 999, "cmd_Einer_plus", "1 0 0 0", 1000, ripple);
    row("1000 units - borrows to 0999", 1000, "cmd_Einer_minus", "0 9 9 9", 999, ripple);
    row("9899 units +", 9899, "cmd_Einer_plus", "9 9 0 0", 9900, "Einer Zehner Hunderter");
    row("0500 tens -", 500, "cmd_Zehner_minus", "0 4 9 0", 490, "Zehner Hunderter");
    row("0050 tens -", 50, "cmd_Zehner_minus", "0 0 4 0", 40, "Zehner");
    row("8999 thousands +", 8999, "cmd_Tausender_plus", "9 9 9 9", 9999, "Tausender");
    row("0999 hundreds +", 999, "cmd_Hunderter_plus", "1 0 9 9", 1099, "Hunderter Tausender");
    for (const char *click :
         {"cmd_Einer_plus", "cmd_Zehner_plus", "cmd_Hunderter_plus", "cmd_Tausender_plus"})
        row(qPrintable(QStringLiteral("9999 refuses %1").arg(click)), 9999, click, "9 9 9 9", 9999,
            none);
    row("9990 refuses tens +", 9990, "cmd_Zehner_plus", "9 9 9 0", 9990, none);
    row("9900 refuses hundreds +", 9900, "cmd_Hunderter_plus", "9 9 0 0", 9900, none);
    row("9000 refuses thousands +", 9000, "cmd_Tausender_plus", "9 0 0 0", 9000, none);
    for (const char *click :
         {"cmd_Einer_minus", "cmd_Zehner_minus", "cmd_Hunderter_minus", "cmd_Tausender_minus"})
        row(qPrintable(QStringLiteral("0000 refuses %1").arg(click)), 0, click, "0 0 0 0", 0, none);
    row("0009 refuses tens -", 9, "cmd_Zehner_minus", "0 0 0 9", 9, none);
    row("0099 refuses hundreds -", 99, "cmd_Hunderter_minus", "0 0 9 9", 99, none);
    row("0999 refuses thousands -", 999, "cmd_Tausender_minus", "0 9 9 9", 999, none);

    // States that only direct entry reaches.
    for (const char *click :
         {"cmd_Einer_plus", "cmd_Zehner_plus", "cmd_Hunderter_plus", "cmd_Tausender_plus"})
        row(qPrintable(QStringLiteral("20000 refuses %1").arg(click)), 20000, click, "20 0 0 0",
            20000, none);
    row("20000 thousands -", 20000, "cmd_Tausender_minus", "19 0 0 0", 19000, "Tausender");
    for (const char *click :
         {"cmd_Einer_minus", "cmd_Zehner_minus", "cmd_Hunderter_minus", "cmd_Tausender_minus"})
        row(qPrintable(QStringLiteral("-5 refuses %1").arg(click)), -5, click, "-1 9 9 5", -5,
            none);
    row("-5 units +", -5, "cmd_Einer_plus", "-1 9 9 6", -4, "Einer");
    row("-5 thousands +", -5, "cmd_Tausender_plus", "0 9 9 5", 995, "Tausender");
    row("10000 units - borrows through", 10000, "cmd_Einer_minus", "9 9 9 9", 9999, ripple);
    row("32000 hundreds - borrows past 16 bits", 32000, "cmd_Hunderter_minus", "31 9 0 0", 31900,
        "Hunderter Tausender");
    row("32767 units +", 32767, "cmd_Einer_plus", "32 7 6 7", 32767, none);
}

void TestCounter::steps() {
    run();
}

void TestCounter::clicksDuringPauses_data() {
    addColumns();
    auto row = [](const char *name, int start, const char *clicks, const char *during,
                  const char *cells, int value, const char *lit) {
        QTest::newRow(name) << start << clicks << during << cells << value << lit;
    };
    // The later click is the one refused: the pending carry or borrow counts.
    row("8999 units +, thousands + waits on the carry", 8999, "cmd_Einer_plus",
        "1:cmd_Tausender_plus", "9 0 0 0", 9000, "Einer Zehner Hunderter Tausender");
    row("1000 units -, thousands - waits on the borrow", 1000, "cmd_Einer_minus",
        "1:cmd_Tausender_minus", "0 9 9 9", 999, "Einer Zehner Hunderter Tausender");
    row("0999 units +, thousands + in between", 999, "cmd_Einer_plus", "1:cmd_Tausender_plus",
        "2 0 0 0", 2000, "Einer Tausender Zehner Hunderter Tausender");
    row("two quick clicks on the units", 0, "cmd_Einer_plus", "1:cmd_Einer_plus", "0 0 0 2", 2,
        "Einer Einer");
    row("second units click lands before the carry", 9, "cmd_Einer_plus", "1:cmd_Einer_plus",
        "0 0 1 1", 11, "Einer Einer Zehner");
    row("tens + while the units carry is pending", 99, "cmd_Einer_plus", "1:cmd_Zehner_plus",
        "0 1 1 0", 110, "Einer Zehner Hunderter Zehner");
    row("carry in a carry", 999, "cmd_Einer_plus", "2:cmd_Einer_plus", "1 0 0 1", 1001,
        "Einer Zehner Einer Hunderter Tausender");
    row("nested minus under a pending borrow", 100, "cmd_Einer_minus", "1:cmd_Einer_minus",
        "0 0 9 8", 98, "Einer Einer Zehner Hunderter");
    // The row shows 0 0 0 0 while the carry is pending: a step down there is refused.
    row("tens - under a pending carry", 9, "cmd_Einer_plus", "1:cmd_Zehner_minus", "0 0 1 0", 10,
        "Einer Zehner");
    row("9998 units +, a second click refused", 9998, "cmd_Einer_plus",
        "1:cmd_Einer_plus;2:cmd_Einer_plus", "9 9 9 9", 9999, "Einer");
    row("9989 units +, tens + refused on the owed carry", 9989, "cmd_Einer_plus",
        "1:cmd_Zehner_plus", "9 9 9 0", 9990, "Einer Zehner");
}

void TestCounter::clicksDuringPauses() {
    run();
}

void TestCounter::closingMidRipple() {
    Board board;
    board.counter.setRow(Row::Counter, 999);
    board.closeAtPause = 1;
    board.click(QStringLiteral("cmd_Einer_plus"));

    // The ripple stopped where the close found it and nothing was written after it.
    QCOMPARE(board.row(Row::Counter), QStringLiteral("0 9 9 0"));
    QCOMPARE(board.pauses, 1);
    QCOMPARE(board.writesAfterClose, 0);
    QVERIFY(board.counter.ending());

    board.click(QStringLiteral("cmd_Einer_add_minus"));
    board.click(QStringLiteral("cmd_Tausender_plus"));
    board.click(QStringLiteral("cmd_ok=5"));
    board.click(QStringLiteral("cmd_Hilfszahl_loeschen"));
    QCOMPARE(board.pauses, 1);
    QCOMPARE(board.writesAfterClose, 0);
}

QTEST_APPLESS_MAIN(TestCounter)
#include "tst_counter.moc"
