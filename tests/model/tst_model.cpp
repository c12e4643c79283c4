#include "commands/entryreference.h"
#include "counter/board.h"

#include <QTest>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Random click sequences, with clicks landing inside highlight pauses, checked after every click
// and in every pause against a plain model of the mechanism. The model keeps each row as one
// number and each click as a small record of where it stands; it shares no code with Counter.
//
// NURVELO_MODEL_RUNS sets the sequences per row (long runs), NURVELO_MODEL_SEED the seed.
class TestModel : public QObject {
    Q_OBJECT

private slots:
    void randomSequences_data();
    void randomSequences();
};

namespace {

enum class Kind { Step, IntoHilfszahl, IntoCounter, Entry, Clear };

struct Button {
    QString name;
    Kind kind;
    int place = 0;     // 0 units .. 3 thousands
    int direction = 0; // place buttons
    Row row = Row::Counter;
};

const char *const kPlaceNames[] = {"Einer", "Zehner", "Hunderter", "Tausender"};

std::vector<Button> allButtons() {
    std::vector<Button> buttons;
    for (int place = 0; place < 4; ++place) {
        const QString name = QString::fromLatin1(kPlaceNames[place]);
        buttons.push_back({"cmd_" + name + "_plus", Kind::Step, place, +1});
        buttons.push_back({"cmd_" + name + "_minus", Kind::Step, place, -1});
        buttons.push_back({"cmd_" + name + "_add_minus", Kind::IntoHilfszahl, place});
        buttons.push_back({"cmd_" + name + "_add_plus", Kind::IntoCounter, place});
    }
    buttons.push_back({"cmd_ok", Kind::Entry, 0, 0, Row::Counter});
    buttons.push_back({"cmd_ok_add", Kind::Entry, 0, 0, Row::Hilfszahl});
    buttons.push_back({"cmd_AktZahl_loeschen", Kind::Clear, 0, 0, Row::Counter});
    buttons.push_back({"cmd_Hilfszahl_loeschen", Kind::Clear, 0, 0, Row::Hilfszahl});
    return buttons;
}

int unitOf(int place) {
    constexpr int units[] = {1, 10, 100, 1000};
    return units[place];
}

int floorDiv(int a, int b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// What a row holding value shows in a cell: the thousands cell takes everything from the
// thousands up (negative too), the lower cells one decimal digit each.
int shownDigit(int value, int place) {
    const int above = floorDiv(value, unitOf(place));
    return place == 3 ? above : above - 10 * floorDiv(above, 10);
}

class Model {
public:
    // A click that has started and not yet finished. Its pause is the innermost open one.
    struct Open {
        Kind kind;
        int place;
        int direction;
        int owed; // what the click still means to add to the counter
        bool counterDropped = false;
        bool hilfszahlDropped = false;
        enum Stage { Source, Ripple, Target } stage = Ripple;
        int rippleAt = 0;
        bool wrapped = false;
        Cell lit{};
    };

    Model() {
        for (auto &row : colours)
            row.fill(kRestColour);
    }

    // Takes the click up to its first pause; false when the click is refused.
    bool click(const Button &button, std::optional<int> entered) {
        if (button.kind == Kind::Entry || button.kind == Kind::Clear) {
            const std::optional<int> value = button.kind == Kind::Clear ? 0 : entered;
            if (!value)
                return false;
            const bool counterRow = button.row == Row::Counter;
            (counterRow ? counter : hilfszahl) = *value;
            for (Open &work : open)
                (counterRow ? work.counterDropped : work.hilfszahlDropped) = true;
            return true;
        }
        if (ending)
            return false;
        const int unit = unitOf(button.place);
        switch (button.kind) {
        case Kind::Step:
            if (!fits(button.direction * unit))
                return false;
            open.push_back({Kind::Step, button.place, button.direction, button.direction * unit});
            rippleFrom(button.place);
            return true;
        case Kind::IntoHilfszahl:
            if (!fits(-unit))
                return false;
            open.push_back({Kind::IntoHilfszahl, button.place, -1, -unit});
            rippleFrom(button.place);
            return true;
        case Kind::IntoCounter:
            if (shownDigit(hilfszahl, button.place) <= 0 || !fits(unit))
                return false;
            open.push_back({Kind::IntoCounter, button.place, +1, unit});
            open.back().stage = Open::Source;
            hilfszahl -= unit;
            light({Row::Hilfszahl, static_cast<Place>(button.place)});
            return true;
        default:
            return false;
        }
    }

    // The innermost pause is over and its click goes on.
    void pauseOver() {
        Open &work = open.back();
        colour(work.lit) = kRestColour;
        switch (work.stage) {
        case Open::Source:
            if (work.counterDropped)
                open.pop_back();
            else
                rippleFrom(work.place);
            return;
        case Open::Ripple:
            if (work.wrapped && !work.counterDropped) {
                rippleFrom(work.rippleAt + 1);
            } else if (work.kind == Kind::IntoHilfszahl && !work.hilfszahlDropped) {
                hilfszahlUp(work.place);
                work.stage = Open::Target;
                light({Row::Hilfszahl, static_cast<Place>(work.place)});
            } else {
                open.pop_back();
            }
            return;
        case Open::Target:
            open.pop_back();
            return;
        }
    }

    void close() {
        ending = true;
        open.clear();
    }

    int counter = 0;
    int hilfszahl = 0;
    std::array<std::array<unsigned, 4>, 2> colours;
    std::vector<Open> open; // outermost first
    bool ending = false;
    int pauses = 0;

private:
    unsigned &colour(Cell cell) {
        return colours[static_cast<int>(cell.row)][static_cast<int>(cell.place)];
    }

    void light(Cell cell) {
        colour(cell) = kLitColour;
        open.back().lit = cell;
        ++pauses;
    }

    // The counter may take delta only if it stays in range now and after each open click has
    // paid what it still owes, innermost first. Steps up are held below the top, steps down
    // above the bottom.
    bool fits(int delta) const {
        int value = counter + delta;
        const auto inRange = [&] { return delta > 0 ? value <= Counter::kMax : value >= 0; };
        if (!inRange())
            return false;
        for (auto work = open.rbegin(); work != open.rend(); ++work) {
            if (!work->counterDropped)
                value += work->owed;
            if (!inRange())
                return false;
        }
        return true;
    }

    // One cell of a ripple: a lower cell at the end of its range wraps and owes the next place.
    void rippleFrom(int place) {
        Open &work = open.back();
        const int digit = shownDigit(counter, place);
        work.stage = Open::Ripple;
        work.rippleAt = place;
        work.wrapped = place < 3 && digit == (work.direction > 0 ? 9 : 0);
        const int change = (work.wrapped ? -9 : 1) * work.direction * unitOf(place);
        counter += change;
        work.owed -= change;
        light({Row::Counter, static_cast<Place>(place)});
    }

    // A cell below 9 goes up by one; any other drops by 9 (9 to 0) and, below the thousands,
    // carries on.
    void hilfszahlUp(int place) {
        for (; place < 4; ++place) {
            if (shownDigit(hilfszahl, place) < 9) {
                hilfszahl += unitOf(place);
                return;
            }
            hilfszahl -= 9 * unitOf(place);
        }
    }
};

// Written out here rather than taken from <random>, so a seed gives the same sequence with any
// standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    int below(std::size_t n) { return static_cast<int>(next() % n); }
    bool percent(int p) { return below(100) < p; }

private:
    std::uint64_t m_state;
};

// Entry texts: mostly numbers near the places where carries, borrows and guards change, some
// written in the other ways the entry box reads, and some short random texts.
QString entryText(Random &random) {
    static const int interesting[] = {0,    1,    9,    10,    99,    100,    999,   1000,
                                      1009, 4711, 8999, 9000,  9009,  9099,   9899,  9989,
                                      9990, 9998, 9999, 10000, 12000, 20000,  25000, 32767,
                                      -1,   -5,   -999, -1000, -9999, -32768, 40000, -40000};
    const int choice = random.below(10);
    if (choice < 2) {
        static const char alphabet[] = "0123456789.+-EeDd&HhOo x\t";
        QString text;
        for (int length = random.below(7); length > 0; --length)
            text += QLatin1Char(alphabet[random.below(sizeof alphabet - 1)]);
        return text;
    }
    int value = choice < 5 ? random.below(10000)
                           : interesting[random.below(std::size(interesting))] +
                                 (random.percent(30) ? random.below(3) - 1 : 0);
    switch (random.below(8)) {
    case 0:
        return QStringLiteral(" %1 ").arg(value);
    case 1:
        return QStringLiteral("%1.%2").arg(value).arg(random.below(10));
    case 2:
        if (value > 0 && value % 1000 == 0)
            return QStringLiteral("%1E3").arg(value / 1000);
        break;
    case 3:
        if (value >= 0)
            return QStringLiteral("&H%1").arg(value, 0, 16);
        break;
    default:
        break;
    }
    return QString::number(value);
}

std::optional<int> referenceReading(const QString &text) {
    const std::string bytes = text.toStdString();
    const entryreference::Verdict verdict = entryreference::judge(bytes);
    if (verdict.kind == entryreference::Verdict::Value)
        return verdict.value;
    return std::nullopt;
}

enum Buttons { PlaceButtons = 1, Transfers = 2, EntryAndClear = 4 };

int groupOf(Kind kind) {
    switch (kind) {
    case Kind::Step:
        return PlaceButtons;
    case Kind::IntoHilfszahl:
    case Kind::IntoCounter:
        return Transfers;
    case Kind::Entry:
    case Kind::Clear:
        break;
    }
    return EntryAndClear;
}

// What a row of the table ran through, so that a change that makes the sequences dull shows.
struct Totals {
    long clicks = 0;
    long inPauses = 0;
    long taken = 0;
    long pauses = 0;
    long closed = 0;
};

struct Settings {
    int buttons;
    int clicks;
    int closeOneIn; // 0: never
};

// One random sequence on a fresh board, with the model kept in step with it.
class Sequence {
public:
    Sequence(const Settings &settings, std::uint64_t seed, Totals &totals)
        : m_settings(settings), m_random(seed), m_seed(seed), m_totals(totals) {
        for (const Button &button : allButtons()) {
            if (!(settings.buttons & groupOf(button.kind)))
                continue;
            // Entry and clearing undo most of what the other buttons built up: they come less
            // often.
            const int weight = button.kind == Kind::Entry || button.kind == Kind::Clear ? 1 : 4;
            m_buttons.insert(m_buttons.end(), weight, button);
        }
        m_maxDepth = 1 + m_random.below(4);
        m_nestPercent = 10 + m_random.below(50);
        m_board.onPause = [this](int number) { pause(number); };
    }

    // The first failure, or an empty text.
    QString run() {
        // Start from a random state of both rows, as typed into the entry boxes.
        const std::vector<Button> buttons = allButtons();
        for (const Button &button : buttons) {
            if (button.kind == Kind::Entry && m_random.percent(70))
                click(button, entryText(m_random));
        }
        if (m_settings.closeOneIn && m_random.below(m_settings.closeOneIn) == 0)
            m_board.closeAtPause = 1 + m_random.below(2 * m_settings.clicks);

        for (int i = 0; i < m_settings.clicks && m_failure.isEmpty(); ++i) {
            const Button &button = m_buttons[m_random.below(m_buttons.size())];
            // The window is gone: its buttons may still be reached, but nothing is typed or
            // cleared any more.
            if (m_model.ending && (button.kind == Kind::Entry || button.kind == Kind::Clear))
                continue;
            click(button, button.kind == Kind::Entry ? entryText(m_random) : QString());
        }
        m_totals.pauses += m_board.pauses;
        m_totals.closed += m_model.ending;
        return m_failure;
    }

private:
    struct Snapshot {
        std::array<std::array<QString, 4>, 2> captions;
        std::array<std::array<unsigned, 4>, 2> colours;
        int pauses;
        bool operator==(const Snapshot &) const = default;
    };

    Snapshot snapshot() const { return {m_board.captions, m_board.colours, m_board.pauses}; }

    void click(const Button &button, const QString &text) {
        if (!m_failure.isEmpty())
            return;
        const bool typed = button.kind == Kind::Entry;
        m_trail << QString(2 * m_depth, u' ') + button.name + (typed ? "=\"" + text + '"' : "");

        const std::optional<int> entered = typed ? referenceReading(text) : std::nullopt;
        if (typed && text.toStdString().size() > entryreference::maxLength)
            return fail("entry text too long for the reference");
        const Snapshot before = snapshot();
        const int sumBefore = rowSum();
        if (m_depth == 0) {
            m_entryInClick = false;
            m_stepsInClick = 0;
        }
        const std::size_t openBefore = m_model.open.size();
        const bool taken = m_model.click(button, entered);
        ++m_totals.clicks;
        m_totals.inPauses += m_depth > 0;
        m_totals.taken += taken;
        if (taken) {
            book(button, entered);
            if (button.kind == Kind::Entry || button.kind == Kind::Clear)
                m_entryInClick = true;
            else if (button.kind == Kind::Step)
                m_stepsInClick += button.direction * unitOf(button.place);
        }

        m_board.click(typed ? button.name + '=' + text : button.name);
        if (!m_failure.isEmpty())
            return;

        check(m_model.open.size() == (m_model.ending ? 0 : openBefore),
              "the click left work unfinished, or finished work of an earlier click");
        compare(0);
        if (!taken)
            check(snapshot() == before, "a refused click changed something");
        else if (!m_model.ending && button.kind != Kind::Entry && button.kind != Kind::Clear)
            check(m_board.pauses > before.pauses, "a taken click showed nothing");
        check(m_board.writesAfterClose == 0, "written after the close");

        if (m_depth == 0 && !m_model.ending) {
            check(m_board.counter.AktZahl() == m_ledger.counter, [&] {
                return QStringLiteral("counter %1 where the clicks taken add up to %2")
                    .arg(m_board.counter.AktZahl())
                    .arg(m_ledger.counter);
            });
            check(mod10000(rowValue(Row::Hilfszahl) - m_ledger.hilfszahl) == 0, [&] {
                return QStringLiteral("Hilfszahl %1 where the clicks taken add up to %2")
                    .arg(rowValue(Row::Hilfszahl))
                    .arg(m_ledger.hilfszahl);
            });
            // Transfers only move units: apart from entries, only place steps change the sum.
            if (!m_entryInClick)
                check(mod10000(rowSum() - sumBefore - m_stepsInClick) == 0, [&] {
                    return QStringLiteral("counter + Hilfszahl went from %1 to %2 with %3 stepped")
                        .arg(sumBefore)
                        .arg(rowSum())
                        .arg(m_stepsInClick);
                });
        }
    }

    // Where each taken click leaves both rows once it has run to its end.
    void book(const Button &button, std::optional<int> entered) {
        const int unit = unitOf(button.place);
        switch (button.kind) {
        case Kind::Step:
            m_ledger.counter += button.direction * unit;
            break;
        case Kind::IntoHilfszahl:
            m_ledger.counter -= unit;
            m_ledger.hilfszahl += unit;
            break;
        case Kind::IntoCounter:
            m_ledger.counter += unit;
            m_ledger.hilfszahl -= unit;
            break;
        case Kind::Entry:
        case Kind::Clear:
            (button.row == Row::Counter ? m_ledger.counter : m_ledger.hilfszahl) =
                button.kind == Kind::Clear ? 0 : *entered;
            if (button.row == Row::Counter)
                m_counterKeptInRange = m_ledger.counter >= 0 && m_ledger.counter <= Counter::kMax;
            break;
        }
    }

    void pause(int number) {
        if (!m_failure.isEmpty())
            return;
        if (!check(!m_model.open.empty(), "a pause where no click should wait"))
            return;
        check(number == m_model.pauses, [&] {
            return QStringLiteral("pause %1, the model expects pause %2")
                .arg(number)
                .arg(m_model.pauses);
        });
        const QString modelLit = Board::cellName(m_model.open.back().lit);
        check(m_board.lighted.last() == modelLit,
              [&] { return "lit " + m_board.lighted.last() + ", the model lit " + modelLit; });
        compare(number);

        m_trail << QString(2 * m_depth, u' ') + QStringLiteral("pause %1").arg(number);
        if (m_depth < m_maxDepth) {
            while (m_failure.isEmpty() && !m_model.ending && m_random.percent(m_nestPercent)) {
                ++m_depth;
                const Button &button = m_buttons[m_random.below(m_buttons.size())];
                click(button, button.kind == Kind::Entry ? entryText(m_random) : QString());
                --m_depth;
            }
        }
        if (!m_failure.isEmpty() || m_model.ending)
            return;
        if (number == m_board.closeAtPause)
            m_model.close();
        else
            m_model.pauseOver();
    }

    // Cell by cell: the board, AktZahl and the model agree, and the lower cells hold digits.
    // Pause 0 means between clicks.
    void compare(int pause) {
        const auto where = [pause] {
            return pause ? QStringLiteral("in pause %1: ").arg(pause)
                         : QStringLiteral("after the click: ");
        };
        for (Row row : {Row::Counter, Row::Hilfszahl}) {
            const int value = row == Row::Counter ? m_model.counter : m_model.hilfszahl;
            for (int place = 0; place < 4; ++place) {
                const QString &caption = m_board.captions[static_cast<int>(row)][place];
                bool number = false;
                const int shown = caption.toInt(&number);
                if (!check(number && (place == 3 || (shown >= 0 && shown <= 9)), [&] {
                        return where() + "cell " + Board::cellName({row, Place(place)}) +
                               " shows \"" + caption + '"';
                    }))
                    return;
                if (!check(shown == shownDigit(value, place) && caption == QString::number(shown),
                           [&] {
                               return where() + (row == Row::Counter ? "counter" : "Hilfszahl") +
                                      " shows " + m_board.row(row) + ", the model " +
                                      shownRow(value);
                           }))
                    return;
            }
        }
        const int aktZahl = m_board.counter.AktZahl();
        check(aktZahl == rowValue(Row::Counter), [&] {
            return where() + QStringLiteral("AktZahl %1 but the cells show %2")
                                 .arg(aktZahl)
                                 .arg(rowValue(Row::Counter));
        });
        if (m_counterKeptInRange)
            check(aktZahl >= 0 && aktZahl <= Counter::kMax, [&] {
                return where() + QStringLiteral("counter left 0 to 9999: %1").arg(aktZahl);
            });
        for (Row row : {Row::Counter, Row::Hilfszahl}) {
            for (int place = 0; place < 4; ++place) {
                const unsigned colour = m_board.colours[int(row)][place];
                check(colour == m_model.colours[int(row)][place], [&] {
                    return where() + Board::cellName({row, Place(place)}) +
                           (colour == kLitColour ? " is lit" : " is not lit");
                });
            }
        }
    }

    static QString shownRow(int value) {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(shownDigit(value, 3))
            .arg(shownDigit(value, 2))
            .arg(shownDigit(value, 1))
            .arg(shownDigit(value, 0));
    }

    int rowValue(Row row) const {
        const auto &cells = m_board.captions[static_cast<int>(row)];
        return cells[3].toInt() * 1000 + cells[2].toInt() * 100 + cells[1].toInt() * 10 +
               cells[0].toInt();
    }

    int rowSum() const { return rowValue(Row::Counter) + rowValue(Row::Hilfszahl); }

    static int mod10000(int value) { return value - 10000 * floorDiv(value, 10000); }

    // The message is only put together when the check fails.
    template <typename Describe> bool check(bool condition, Describe describe) {
        if (!condition)
            fail(describe());
        return condition;
    }
    bool check(bool condition, const char *what) {
        return check(condition, [what] { return QString::fromUtf8(what); });
    }

    void fail(const QString &what) {
        if (!m_failure.isEmpty())
            return;
        m_failure = QStringLiteral("sequence seed %1: %2\nclicks (indented: inside a pause):\n")
                        .arg(m_seed)
                        .arg(what) +
                    m_trail.mid(std::max<qsizetype>(0, m_trail.size() - 60)).join(u'\n');
    }

    Settings m_settings;
    Random m_random;
    std::uint64_t m_seed;
    Totals &m_totals;
    std::vector<Button> m_buttons;
    Board m_board;
    Model m_model;
    struct {
        int counter = 0;
        int hilfszahl = 0;
    } m_ledger;
    bool m_counterKeptInRange = true;
    bool m_entryInClick = false;
    int m_stepsInClick = 0;
    int m_depth = 0;
    int m_maxDepth = 0;
    int m_nestPercent = 0;
    QString m_failure;
    QStringList m_trail;
};

std::uint64_t environmentNumber(const char *name, std::uint64_t fallback) {
    bool ok = false;
    const std::uint64_t value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : fallback;
}

} // namespace

void TestModel::randomSequences_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("closeOneIn");
    QTest::newRow("place buttons") << int(PlaceButtons) << 40 << 0;
    QTest::newRow("transfers") << int(Transfers | EntryAndClear) << 40 << 0;
    QTest::newRow("all twenty buttons") << int(PlaceButtons | Transfers | EntryAndClear) << 60 << 0;
    QTest::newRow("all twenty buttons, closing mid-way")
        << int(PlaceButtons | Transfers | EntryAndClear) << 30 << 2;
}

void TestModel::randomSequences() {
    QFETCH(int, buttons);
    QFETCH(int, clicks);
    QFETCH(int, closeOneIn);

    const std::uint64_t seed = environmentNumber("NURVELO_MODEL_SEED", 20240611);
    const std::uint64_t runs = environmentNumber("NURVELO_MODEL_RUNS", 1500);
    // Each row draws from its own seeds; the same seed gives the same sequences on any build.
    std::uint64_t rowSeed = seed * 1000003u;
    for (const char *c = QTest::currentDataTag(); *c; ++c)
        rowSeed = (rowSeed ^ static_cast<unsigned char>(*c)) * 1099511628211u;
    Totals totals;
    for (std::uint64_t run = 0; run < runs; ++run) {
        const auto sequence = std::make_unique<Sequence>(Settings{buttons, clicks, closeOneIn},
                                                         rowSeed + run, totals);
        const QString failure = sequence->run();
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("NURVELO_MODEL_SEED=%1, run %2, %3")
                                                   .arg(seed)
                                                   .arg(run)
                                                   .arg(failure)));
    }
    qInfo("%llu sequences, %ld clicks (%ld inside pauses, %ld taken), %ld pauses, %ld closed",
          static_cast<unsigned long long>(runs), totals.clicks, totals.inPauses, totals.taken,
          totals.pauses, totals.closed);
}

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
