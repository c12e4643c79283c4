#include "counter/board.h"

#include <QTest>

// Direct entry and clearing: what they write, and that they win over interrupted work.
class TestEntry : public QObject {
    Q_OBJECT

private slots:
    void entry_data();
    void entry();
    void entryDuringPauses_data();
    void entryDuringPauses();
};

void TestEntry::entry_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cells");
    QTest::addColumn<int>("value");
    auto row = [](const char *text, const char *cells, int value) {
        QTest::newRow(*text ? text : "(empty)") << text << cells << value;
    };
    row("4711", "4 7 1 1", 4711);
    row("9999", "9 9 9 9", 9999);
    row("-5", "-1 9 9 5", -5);
    row("-999", "-1 0 0 1", -999);
    row("1E4", "10 0 0 0", 10000);
    row("32E3", "32 0 0 0", 32000);
    row("-3E4", "-30 0 0 0", -30000);
    row("2.5", "0 0 0 2", 2);
    row("3.5", "0 0 0 4", 4);
    row("", "0 0 0 0", 0);
    row("12kg", "0 0 1 2", 12);
    row("zehn", "0 0 0 0", 0);
    row("1,5", "0 0 0 1", 1);
    row("-1E3", "-1 0 0 0", -1000);
    row("-1", "-1 9 9 9", -1);
    row("&H1F", "0 0 3 1", 31);
}

void TestEntry::entry() {
    QFETCH(QString, text);
    QFETCH(QString, cells);
    QFETCH(int, value);

    Board board;
    board.start(1234, 5678);

    board.click("cmd_ok=" + text);
    QCOMPARE(board.row(Row::Counter), cells);
    QCOMPARE(board.counter.AktZahl(), value);
    QCOMPARE(board.row(Row::Hilfszahl), QStringLiteral("5 6 7 8"));

    board.click("cmd_ok_add=" + text);
    QCOMPARE(board.row(Row::Hilfszahl), cells);
    QCOMPARE(board.counter.AktZahl(), value);
    QCOMPARE(board.entries[0], text);

    board.click(QStringLiteral("cmd_ok_add=0"));
    QCOMPARE(board.counter.AktZahl(), value);
    QCOMPARE(board.pauses, 0);
    QVERIFY(board.lit.isEmpty());
}

void TestEntry::entryDuringPauses_data() {
    QTest::addColumn<int>("counter");
    QTest::addColumn<int>("hilfszahl");
    QTest::addColumn<QString>("click");
    QTest::addColumn<QString>("during");
    QTest::addColumn<QString>("counterCells");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("hilfszahlCells");
    auto row = [](const char *name, int counter, int hilfszahl, const char *click,
                  const char *during, const char *counterCells, int value,
                  const char *hilfszahlCells) {
        QTest::newRow(name) << counter << hilfszahl << click << during << counterCells << value
                            << hilfszahlCells;
    };
    row("clear wins over a pending carry", 999, 0, "cmd_Einer_plus", "1:cmd_AktZahl_loeschen",
        "0 0 0 0", 0, "0 0 0 0");
    row("entry wins over a pending carry", 999, 0, "cmd_Einer_plus", "2:cmd_ok=4711", "4 7 1 1",
        4711, "0 0 0 0");
    row("entry releases what the carry owed", 8999, 0, "cmd_Einer_plus",
        "1:cmd_ok=8990|cmd_Tausender_plus", "9 9 9 0", 9990, "0 0 0 0");
    row("out-of-range entry changes nothing", 999, 0, "cmd_Einer_plus", "1:cmd_ok=1E5", "1 0 0 0",
        1000, "0 0 0 0");
    row("Hilfszahl clear leaves the counter ripple", 999, 55, "cmd_Einer_plus",
        "1:cmd_Hilfszahl_loeschen", "1 0 0 0", 1000, "0 0 0 0");
    row("Hilfszahl clear drops the unit on its way down", 10, 0, "cmd_Einer_add_minus",
        "1:cmd_Hilfszahl_loeschen", "0 0 0 9", 9, "0 0 0 0");
    row("counter clear lets the unit reach the Hilfszahl", 10, 0, "cmd_Einer_add_minus",
        "1:cmd_AktZahl_loeschen", "0 0 0 0", 0, "0 0 0 1");
    row("counter entry drops the unit on its way up", 0, 3, "cmd_Einer_add_plus", "1:cmd_ok=7",
        "0 0 0 7", 7, "0 0 0 2");
    row("Hilfszahl entry lets the unit reach the counter", 0, 3, "cmd_Einer_add_plus",
        "1:cmd_ok_add=50", "0 0 0 1", 1, "0 0 5 0");
}

void TestEntry::entryDuringPauses() {
    QFETCH(int, counter);
    QFETCH(int, hilfszahl);
    QFETCH(QString, click);
    QFETCH(QString, during);
    QFETCH(QString, counterCells);
    QFETCH(int, value);
    QFETCH(QString, hilfszahlCells);

    Board board;
    board.start(counter, hilfszahl, during);
    board.click(click);

    QCOMPARE(board.row(Row::Counter), counterCells);
    QCOMPARE(board.counter.AktZahl(), value);
    QCOMPARE(board.row(Row::Hilfszahl), hilfszahlCells);
    for (const auto &row : board.colours)
        for (unsigned colour : row)
            QCOMPARE(colour, kRestColour);
}

QTEST_APPLESS_MAIN(TestEntry)
#include "tst_entry.moc"
