#include "commands/commands.h"
#include "counter/counter.h"
#include "counter/digitcells.h"

#include <QTest>

#include <functional>
#include <random>

// The counter mechanism and the click handlers against a model that keeps each row as one number:
// the same clicks, also during highlight pauses, must leave the same trace.

namespace {

enum Kind { Step, ToHilfszahl, ToCounter, Entry, Clear };
struct Button {
    const char *name;
    Kind kind;
    int place; // the row for entries and clearing
    int direction = 0;
};
// clang-format off
#define PLACE(P, i) {"cmd_" #P "_plus", Step, i, 1}, {"cmd_" #P "_minus", Step, i, -1}, \
    {"cmd_" #P "_add_minus", ToHilfszahl, i}, {"cmd_" #P "_add_plus", ToCounter, i}
const Button kButtons[] = {PLACE(Einer, 0), PLACE(Zehner, 1), PLACE(Hunderter, 2), PLACE(Tausender, 3),
    {"cmd_ok", Entry, 0}, {"cmd_ok_add", Entry, 1}, {"cmd_AktZahl_loeschen", Clear, 0}, {"cmd_Hilfszahl_loeschen", Clear, 1}};
// clang-format on
constexpr int kUnits[] = {1, 10, 100, 1000};

struct Click {
    const Button *button;
    QString text; // typed into the entry box first
};

// What both sides have in common: the trace they leave, and the clicks during each pause.
struct Side : ClickReport {
    virtual void click(const Click &click) = 0;
    virtual QString cell(int row, int place) const = 0;
    virtual int aktZahl() const = 0;
    void lit(Cell c, const QString &caption) override {
        trace << QStringLiteral("lit %1%2 %3")
                     .arg(placeName(c.place), c.row == Row::Hilfszahl ? "_add" : "", caption);
    }
    void refused(Refusal why, Place place, int counter) override {
        trace << QStringLiteral("refused %1 %2 at %3").arg(int(why)).arg(int(place)).arg(counter);
    }
    void finished(std::optional<int> counter, std::optional<int> hilfszahl) override {
        const auto text = [](std::optional<int> v) { return v ? QString::number(*v) : "-"; };
        trace << "done " + text(counter) + ' ' + text(hilfszahl);
    }
    // Both rows from the thousands to the units, red cells starred.
    QString rows() const {
        QStringList cells;
        for (int row : {0, 1})
            for (int place = 3; place >= 0; --place)
                cells << cell(row, place) + (red[row][place] ? "*" : "");
        return cells.join(u' ');
    }
    // True while the window stays open.
    bool pause() {
        trace
            << QStringLiteral("pause %1: %2, AktZahl %3").arg(++pauses).arg(rows()).arg(aktZahl());
        const int number = pauses;
        for (const Click &c : during(number, depth++))
            click(c);
        --depth;
        return !(closed = closed || number >= closeAt);
    }

    QStringList trace;
    bool red[2][4] = {};
    std::function<QList<Click>(int pause, int depth)> during;
    int pauses = 0, depth = 0, closeAt = INT_MAX;
    bool closed = false;
};

// The real mechanism, on strings instead of labels, with pauses that take no time.
struct Board final : Side, DigitCells, Pause, EntryBoxes {
    void click(const Click &c) override {
        if (c.button->kind == Entry)
            entries[c.button->place] = c.text;
        (commands.*Commands::handler(QLatin1String(c.button->name)))();
    }
    QString caption(Cell c) const override { return captions[int(c.row)][int(c.place)]; }
    void setCaption(Cell c, const QString &t) override { captions[int(c.row)][int(c.place)] = t; }
    void setForeColor(Cell c, unsigned colour) override {
        red[int(c.row)][int(c.place)] = colour == kLitColour;
    }
    QString entryText(Row row) const override { return entries[int(row)]; }
    bool wait() override { return pause(); }
    QString cell(int row, int place) const override { return captions[row][place]; }
    int aktZahl() const override { return counter.AktZahl(); }

    QString captions[2][4] = {{"0", "0", "0", "0"}, {"0", "0", "0", "0"}};
    QString entries[2];
    Counter counter{*this, *this, *this};
    Commands commands{counter, *this};
};

int floorDiv(int a, int b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

struct Model final : Side {
    struct Open {
        int row;
        int owed; // what the click still means to add to the counter
        bool dropped = false;
    };
    void click(const Click &click) override {
        const Button &b = *click.button;
        if (closed) {
        } else if (b.kind >= Entry) {
            enter(b.place, b.kind == Clear ? 0 : click.text.toInt());
        } else if (b.kind == ToCounter && digit(1, b.place) <= 0) {
            refused(Refusal::NothingToMove, Place(b.place), values[0]);
        } else {
            move(b.kind, b.place, b.kind == Step ? b.direction : b.kind == ToCounter ? 1 : -1);
        }
    }
    // A unit onto the counter or off it; a transfer takes it from the Hilfszahl first, or after.
    void move(Kind kind, int place, int direction) {
        const int delta = direction * kUnits[place];
        if (!take(delta, place))
            return;
        Open into{1, 0}, work{0, delta};
        open.insert(open.end(), {&into, &work});
        if (kind == ToCounter)
            values[1] -= kUnits[place];
        if (kind != ToCounter || (light(1, place) && !work.dropped))
            ripple(place, direction, work);
        open.pop_back();
        if (kind == ToHilfszahl && !closed && !into.dropped) {
            // A cell of 9 or more drops by 9 and carries; the thousands carry nowhere.
            int p = place;
            for (; p < 3 && digit(1, p) >= 9; ++p)
                values[1] -= 9 * kUnits[p];
            values[1] += (digit(1, p) >= 9 ? -9 : 1) * kUnits[p];
            light(1, place);
        }
        open.pop_back();
        finish(true, kind != Step);
    }
    // Refused when the counter would leave 0 to 9999 now or while the clicks interrupted by
    // pauses pay what they owe; an entry during its pauses overrules what a click has still to do.
    bool take(int counter, int place) {
        const auto outside = [counter](int v) { return counter > 0 ? v > 9999 : v < 0; };
        int value = values[0] + counter;
        bool owed = false;
        for (auto work = open.rbegin(); !outside(value) && work != open.rend(); ++work)
            owed = outside(value += (*work)->owed);
        if (outside(value))
            refused(owed ? Refusal::Owed : Refusal::Limit, Place(place), values[0]);
        return !outside(value);
    }
    // Place by place upwards while a place wraps.
    void ripple(int place, int direction, Open &work) {
        for (bool wraps = true; wraps; ++place) {
            wraps = place < 3 && digit(0, place) == (direction > 0 ? 9 : 0);
            const int change = (wraps ? -9 : 1) * direction * kUnits[place];
            values[0] += change;
            work.owed -= change;
            if (!light(0, place) || work.dropped)
                return;
        }
    }
    // False once the window is closing; nothing is written after that, not even green.
    bool light(int row, int place) {
        red[row][place] = true;
        lit({Row(row), Place(place)}, QString::number(digit(row, place)));
        const bool going = pause();
        red[row][place] = red[row][place] && !going;
        return going;
    }
    void enter(int row, int value) {
        if (value < -32768 || value > 32767)
            return refused(value < 0 ? Refusal::TooSmall : Refusal::TooBig, Place::Einer,
                           values[0]);
        values[row] = value;
        for (Open *work : open)
            if (work->row == row)
                work->dropped = true, work->owed = 0;
        finish(row == 0, row == 1);
    }
    // Told once no click is left waiting in a pause, for all of them.
    void finish(bool counter, bool hilfszahl) {
        changed[0] = changed[0] || counter, changed[1] = changed[1] || hilfszahl;
        if (closed || !open.empty())
            return;
        finished(changed[0] ? std::optional(values[0]) : std::nullopt,
                 changed[1] ? std::optional(values[1]) : std::nullopt);
        changed[0] = changed[1] = false;
    }
    int digit(int row, int place) const {
        const int above = floorDiv(values[row], kUnits[place]);
        return place == 3 ? above : above - 10 * floorDiv(above, 10);
    }
    QString cell(int row, int place) const override { return QString::number(digit(row, place)); }
    int aktZahl() const override { return values[0]; }

    int values[2] = {};
    bool changed[2] = {};
    std::vector<Open *> open; // outermost first
};

// The first difference between the traces of board and model.
QString compare(const QList<Click> &clicks, const std::function<QList<Click>(int, int)> &during,
                int closeAt = INT_MAX) {
    Board board;
    Model model;
    QHash<int, QList<Click>> script;
    board.during = [&](int pause, int depth) { return script[pause] = during(pause, depth); };
    model.during = [&](int pause, int) { return script.value(pause); };
    board.closeAt = model.closeAt = closeAt;
    for (const Click &click : clicks)
        board.click(click), model.click(click);
    board.trace << "after: " + board.rows();
    model.trace << "after: " + model.rows();
    for (qsizetype i = 0; i < std::max(board.trace.size(), model.trace.size()); ++i)
        if (board.trace.value(i) != model.trace.value(i))
            return board.trace.mid(0, i).mid(i - 12).join(u'\n') +
                   "\nthe mechanism: " + board.trace.value(i) +
                   "\nthe model:     " + model.trace.value(i);
    return {};
}

} // namespace

class TestModel : public QObject {
    Q_OBJECT
private slots:
    // Random clicks, with more during the pauses, every other run closing the window mid-way.
    void clicks() {
        // Numbers mostly near where carries, borrows and guards change; some outside 16 bits.
        const int near[] = {0,  9,     99,    999,   1000, 4711, 8999, 9099,  9899,  9989,   9999,
                            -1, 10000, 20000, 32767, -5,   -999, 1009, 12000, -9999, -32768, 40000};
        const auto seed = qEnvironmentVariable("NURVELO_MODEL_SEED", "20240611").toULongLong();
        const int runs = qEnvironmentVariableIntValue("NURVELO_MODEL_RUNS");
        for (int run = 0; run < (runs ? runs : 6000); ++run) {
            std::mt19937_64 random(seed * 1000003 + run);
            const auto number = [&] {
                const int base = random() % 2 ? int(random() % 10000) : near[random() % 22];
                return QString::number(base + int(random() % 3) - 1);
            };
            // Entering and clearing undo what the others built up, so they come less often.
            const auto any = [&] {
                const int among = random() % 4 ? 16 : 20;
                const Button &button = kButtons[random() % among];
                return Click{&button, number()};
            };
            // Both rows entered first.
            QList<Click> top{{&kButtons[16], number()}, {&kButtons[17], number()}};
            for (int i = 0; i < 40; ++i)
                top << any();
            const int closeAt = run % 2 ? 1 + int(random() % 80) : INT_MAX;
            const int nestPercent = 10 + int(random() % 50), maxDepth = 1 + int(random() % 4);
            const auto nested = [&](int, int depth) {
                QList<Click> during;
                while (depth < maxDepth && int(random() % 100) < nestPercent)
                    during << any();
                return during;
            };
            const QString failure = compare(top, nested, closeAt);
            QVERIFY2(failure.isEmpty(),
                     qPrintable(QString("seed %1, run %2: ").arg(seed).arg(run) + failure));
        }
    }
};

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
