#include "board.h"

#include <QTest>

// The Hilfszahl steps and the transfer buttons, with the pause taking no time.
class TestTransfers : public QObject {
    Q_OBJECT

private slots:
    void hilfszahlSteps_data();
    void hilfszahlSteps();
    void transfers_data();
    void transfers();
    void noUnitCreatedOrLost();
};

void TestTransfers::hilfszahlSteps_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("cells");
    auto row = [](const char *name, int start, Place place, const char *cells) {
        QTest::newRow(name) << start << static_cast<int>(place) << cells;
    };
    row("0000 units", 0, Place::Einer, "0 0 0 1");
    row("9999 units wraps all four", 9999, Place::Einer, "0 0 0 0");
    row("9000 thousands wraps", 9000, Place::Tausender, "0 0 0 0");
    row("8999 hundreds", 8999, Place::Hunderter, "9 0 9 9");
    row("0999 tens leaves the units", 999, Place::Zehner, "1 0 0 9");
    row("0199 units", 199, Place::Einer, "0 2 0 0");
    row("-1 thousands", -1000, Place::Tausender, "0 0 0 0");
    row("12 thousands", 12000, Place::Tausender, "3 0 0 0");
    row("-5 units", -5, Place::Einer, "-1 9 9 6");
}

void TestTransfers::hilfszahlSteps() {
    QFETCH(int, start);
    QFETCH(int, place);
    QFETCH(QString, cells);

    Board board;
    board.start(4711, start);
    using Step = void (Counter::*)();
    const Step steps[] = {&Counter::Einer_add_addieren, &Counter::Zehner_add_addieren,
                          &Counter::Hunderter_add_addieren, &Counter::Tausender_add_addieren};
    (board.counter.*steps[place])();

    QCOMPARE(board.row(Row::Hilfszahl), cells);
    QCOMPARE(board.counter.AktZahl(), 4711);
    QCOMPARE(board.row(Row::Counter), QStringLiteral("4 7 1 1"));
    QCOMPARE(board.pauses, 0);
    QVERIFY(board.lighted.isEmpty());
}

void TestTransfers::transfers_data() {
    QTest::addColumn<int>("counter");
    QTest::addColumn<int>("hilfszahl");
    QTest::addColumn<QString>("click");
    QTest::addColumn<QString>("during");
    QTest::addColumn<QString>("counterCells");
    QTest::addColumn<QString>("hilfszahlCells");
    QTest::addColumn<QString>("lit");
    auto row = [](const char *name, int counter, int hilfszahl, const char *click,
                  const char *during, const char *counterCells, const char *hilfszahlCells,
                  const char *lit) {
        QTest::newRow(name) << counter << hilfszahl << click << during << counterCells
                            << hilfszahlCells << lit;
    };
    for (const char *place : {"Einer", "Zehner", "Hunderter", "Tausender"}) {
        for (const char *direction : {"plus", "minus"}) {
            const QString click = QStringLiteral("cmd_%1_add_%2").arg(place, direction);
            QTest::newRow(qPrintable("all zero refuses " + click))
                << 0 << 0 << click << QString() << "0 0 0 0"
                << "0 0 0 0" << QString();
        }
    }
    row("0010 units down borrows", 10, 0, "cmd_Einer_add_minus", "", "0 0 0 9", "0 0 0 1",
        "Einer Zehner Einer_add");
    row("0999 refuses thousands down", 999, 0, "cmd_Tausender_add_minus", "", "0 9 9 9", "0 0 0 0",
        "");
    row("empty units cell is not borrowed from", 0, 10, "cmd_Einer_add_plus", "", "0 0 0 0",
        "0 0 1 0", "");
    row("units 3 up", 0, 3, "cmd_Einer_add_plus", "", "0 0 0 1", "0 0 0 2", "Einer_add Einer");
    row("units 3 up refused at 9999", 9999, 3, "cmd_Einer_add_plus", "", "9 9 9 9", "0 0 0 3", "");
    row("9999 wraps in the Hilfszahl", 1, 9999, "cmd_Einer_add_minus", "", "0 0 0 0", "0 0 0 0",
        "Einer Einer_add");
    row("thousands 12 up", 0, 12000, "cmd_Tausender_add_plus", "", "1 0 0 0", "11 0 0 0",
        "Tausender_add Tausender");
    row("thousands 12 up refused at 9000", 9000, 12000, "cmd_Tausender_add_plus", "", "9 0 0 0",
        "12 0 0 0", "");
    row("negative thousands refuses", 0, -5, "cmd_Tausender_add_plus", "", "0 0 0 0", "-1 9 9 5",
        "");
    row("tens up carries in the counter", 90, 10, "cmd_Zehner_add_plus", "", "0 1 0 0", "0 0 0 0",
        "Zehner_add Zehner Hunderter");
    // The unit in transit is owed: the later click is refused, not the transfer.
    row("owed unit blocks a later tens +", 9989, 3, "cmd_Einer_add_plus", "1:cmd_Zehner_plus",
        "9 9 9 0", "0 0 0 2", "Einer_add Einer Zehner");
    row("two transfers up back to back", 0, 2, "cmd_Einer_add_plus", "1:cmd_Einer_add_plus",
        "0 0 0 2", "0 0 0 0", "Einer_add Einer_add Einer Einer");
    row("down transfer while up transfer waits", 5, 5, "cmd_Einer_add_plus",
        "1:cmd_Einer_add_minus", "0 0 0 5", "0 0 0 5", "Einer_add Einer Einer_add Einer");
}

void TestTransfers::transfers() {
    QFETCH(int, counter);
    QFETCH(int, hilfszahl);
    QFETCH(QString, click);
    QFETCH(QString, during);
    QFETCH(QString, counterCells);
    QFETCH(QString, hilfszahlCells);
    QFETCH(QString, lit);

    Board board;
    board.start(counter, hilfszahl, during);
    board.click(click);

    QCOMPARE(board.row(Row::Counter), counterCells);
    QCOMPARE(board.row(Row::Hilfszahl), hilfszahlCells);
    QCOMPARE(board.lighted.join(u' '), lit);
}

// Random transfer clicks, some of them during pauses: counter plus Hilfszahl stays the same
// (modulo 10000, as the Hilfszahl row wraps) and the lower cells stay 0 to 9.
void TestTransfers::noUnitCreatedOrLost() {
    const QStringList buttons{"cmd_Einer_add_plus",      "cmd_Zehner_add_plus",
                              "cmd_Hunderter_add_plus",  "cmd_Tausender_add_plus",
                              "cmd_Einer_add_minus",     "cmd_Zehner_add_minus",
                              "cmd_Hunderter_add_minus", "cmd_Tausender_add_minus"};
    for (quint32 seed : {1u, 2u, 3u, 4u, 5u}) {
        Board board;
        board.start(5555, 4321);
        auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
        auto value = [&board](Row row) {
            const auto &cells = board.captions[static_cast<int>(row)];
            for (int place = 0; place < 3; ++place)
                if (cells[place].toInt() < 0 || cells[place].toInt() > 9)
                    return -1;
            return cells[3].toInt() * 1000 + cells[2].toInt() * 100 + cells[1].toInt() * 10 +
                   cells[0].toInt();
        };
        int depth = 0;
        board.onPause = [&](int) {
            QVERIFY(value(Row::Counter) >= 0 && value(Row::Hilfszahl) >= 0);
            if (depth < 4 && next() % 2 == 0) {
                ++depth;
                board.click(buttons[next() % buttons.size()]);
                --depth;
            }
        };
        for (int i = 0; i < 2000; ++i) {
            board.click(buttons[next() % buttons.size()]);
            QCOMPARE((value(Row::Counter) + value(Row::Hilfszahl)) % 10000, 9876);
            QCOMPARE(value(Row::Counter), board.counter.AktZahl());
        }
    }
}

QTEST_APPLESS_MAIN(TestTransfers)
#include "tst_transfers.moc"
