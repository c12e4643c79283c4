#include "counter.h"

#include "digitcells.h"

#include <QString>

#include <algorithm>
#include <cmath>

// Registers an operation for as long as it may still be interrupted.
class Counter::OpenWork : public Work {
public:
    OpenWork(Counter &counter, Row row, int owed) : Work{row, owed}, m_counter(counter) {
        m_counter.m_open.push_back(this);
    }
    ~OpenWork() { std::erase(m_counter.m_open, this); }
    OpenWork(const OpenWork &) = delete;
    OpenWork &operator=(const OpenWork &) = delete;

private:
    Counter &m_counter;
};

Counter::Counter(DigitCells &cells, Pause &pause, ClickReport &report)
    : m_cells(cells), m_pause(pause), m_report(report) {}

void Counter::Form_Load() {
    m_AktZahl = 0;
}

void Counter::Einer_addieren() {
    stepCounter(Place::Einer, +1);
}
void Counter::Zehner_addieren() {
    stepCounter(Place::Zehner, +1);
}
void Counter::Hunderter_addieren() {
    stepCounter(Place::Hunderter, +1);
}
void Counter::Tausender_addieren() {
    stepCounter(Place::Tausender, +1);
}
void Counter::Einer_subtrahieren() {
    stepCounter(Place::Einer, -1);
}
void Counter::Zehner_subtrahieren() {
    stepCounter(Place::Zehner, -1);
}
void Counter::Hunderter_subtrahieren() {
    stepCounter(Place::Hunderter, -1);
}
void Counter::Tausender_subtrahieren() {
    stepCounter(Place::Tausender, -1);
}

void Counter::Einer_add_addieren() {
    stepHilfszahl(Place::Einer);
}
void Counter::Zehner_add_addieren() {
    stepHilfszahl(Place::Zehner);
}
void Counter::Hunderter_add_addieren() {
    stepHilfszahl(Place::Hunderter);
}
void Counter::Tausender_add_addieren() {
    stepHilfszahl(Place::Tausender);
}

std::optional<Refusal> Counter::whyNot(int delta) const {
    const auto outside = [delta](int value) { return delta > 0 ? value > kMax : value < 0; };
    int value = m_AktZahl + delta;
    if (outside(value))
        return Refusal::Limit;
    // Interrupted operations finish innermost first, each paying what it still owes. The row
    // must stay within the limits at every one of those points, not only at the end, or an
    // interrupted ripple would later carry or borrow it out of them.
    for (auto work = m_open.rbegin(); work != m_open.rend(); ++work) {
        value += (*work)->owed;
        if (outside(value))
            return Refusal::Owed;
    }
    return std::nullopt;
}

void Counter::stepCounter(Place place, int direction) {
    const int delta = direction * placeValue(place);
    if (m_ending)
        return;
    if (const auto why = whyNot(delta))
        return refuse(*why, place);
    {
        OpenWork work(*this, Row::Counter, delta);
        ripple(place, direction, work);
    }
    finish(true, false);
}

void Counter::ripple(Place place, int direction, Work &work) {
    for (int index = static_cast<int>(place);; ++index) {
        const Cell cell{Row::Counter, static_cast<Place>(index)};
        const int value = readCell(cell);
        int next = value + direction;
        // The thousands cell never wraps: the guards keep it in range instead.
        const bool wraps = cell.place != Place::Tausender && (next == 10 || next == -1);
        if (wraps)
            next -= 10 * direction;
        const int change = (next - value) * placeValue(cell.place);
        writeCell(cell, next);
        m_AktZahl += change;
        work.owed -= change;
        if (!Stelle_markieren(cell) || work.dropped || !wraps)
            return;
    }
}

void Counter::stepHilfszahl(Place place) {
    const Cell cell{Row::Hilfszahl, place};
    const int value = readCell(cell);
    if (value < 9)
        return writeCell(cell, value + 1);
    // The thousands wrap too, and their carry is dropped: the row counts modulo 10000.
    writeCell(cell, value - 9);
    if (place != Place::Tausender)
        Hilfszahl_addieren(static_cast<Place>(static_cast<int>(place) + 1));
}

void Counter::Hilfszahl_addieren(Place place) {
    switch (place) {
    case Place::Einer:
        return Einer_add_addieren();
    case Place::Zehner:
        return Zehner_add_addieren();
    case Place::Hunderter:
        return Hunderter_add_addieren();
    case Place::Tausender:
        return Tausender_add_addieren();
    }
}

void Counter::transferToHilfszahl(Place place) {
    const int unit = placeValue(place);
    if (m_ending)
        return;
    if (const auto why = whyNot(-unit))
        return refuse(*why, place);
    {
        OpenWork intoHilfszahl(*this, Row::Hilfszahl, 0);
        {
            OpenWork fromCounter(*this, Row::Counter, -unit);
            ripple(place, -1, fromCounter);
        }
        if (!m_ending && !intoHilfszahl.dropped) {
            Hilfszahl_addieren(place);
            Stelle_markieren({Row::Hilfszahl, place});
        }
    }
    finish(true, true);
}

void Counter::transferToCounter(Place place) {
    const int unit = placeValue(place);
    const Cell source{Row::Hilfszahl, place};
    const int value = readCell(source);
    if (m_ending)
        return;
    if (value <= 0)
        return refuse(Refusal::NothingToMove, place);
    if (const auto why = whyNot(unit))
        return refuse(*why, place);
    {
        // Owed from here on, so that a click during the pause cannot take the counter's room.
        OpenWork intoCounter(*this, Row::Counter, unit);
        writeCell(source, value - 1);
        if (Stelle_markieren(source) && !intoCounter.dropped)
            ripple(place, +1, intoCounter);
    }
    finish(true, true);
}

void Counter::setRow(Row row, int value) {
    if (m_ending)
        return;
    for (Work *work : m_open) {
        if (work->row == row) {
            work->dropped = true;
            work->owed = 0;
        }
    }
    if (row == Row::Counter)
        m_AktZahl = value;
    // Floor division: the sign goes to the thousands, the lower places stay 0 to 9.
    const int thousands = static_cast<int>(std::floor(value / 1000.0));
    int rest = value - 1000 * thousands;
    writeCell({row, Place::Tausender}, thousands);
    writeCell({row, Place::Hunderter}, rest / 100);
    rest %= 100;
    writeCell({row, Place::Zehner}, rest / 10);
    writeCell({row, Place::Einer}, rest % 10);
    finish(row == Row::Counter, row == Row::Hilfszahl);
}

void Counter::clearRow(Row row) {
    setRow(row, 0);
}

void Counter::refuse(Refusal why, Place place) {
    if (!m_ending)
        m_report.refused(why, place, m_AktZahl);
}

void Counter::tellRows() {
    if (!m_ending)
        m_report.finished(m_AktZahl, rowValue(Row::Hilfszahl));
}

void Counter::finish(bool counter, bool hilfszahl) {
    // A click that came during another's pause is told together with that one, once both are
    // done: the row in between is what neither click makes of it.
    m_changed[0] = m_changed[0] || counter;
    m_changed[1] = m_changed[1] || hilfszahl;
    if (m_ending || !m_open.empty())
        return;
    const auto value = [](bool changed, int value) {
        return changed ? std::optional<int>(value) : std::nullopt;
    };
    m_report.finished(value(m_changed[0], m_AktZahl),
                      value(m_changed[1], rowValue(Row::Hilfszahl)));
    m_changed = {};
}

bool Counter::Stelle_markieren(Cell cell) {
    if (m_ending)
        return false;
    m_cells.setForeColor(cell, kLitColour);
    m_report.lit(cell, m_cells.caption(cell));
    if (!m_pause.wait()) {
        // The window is going away: leave its controls alone.
        m_ending = true;
        return false;
    }
    m_cells.setForeColor(cell, kRestColour);
    return true;
}

int Counter::rowValue(Row row) const {
    int value = 0;
    for (Place place : {Place::Einer, Place::Zehner, Place::Hunderter, Place::Tausender})
        value += readCell({row, place}) * placeValue(place);
    return value;
}

int Counter::readCell(Cell cell) const {
    // Only whole-number texts are ever written, so a failed conversion cannot occur.
    return m_cells.caption(cell).toInt();
}

void Counter::writeCell(Cell cell, int value) {
    m_cells.setCaption(cell, QString::number(value));
}
