#pragma once

#include "cell.h"

#include <array>
#include <optional>
#include <vector>

class ClickReport;
class DigitCells;
class Pause;
enum class Refusal;

// The counter mechanism: AktZahl, the stepping procedures of both rows, the transfers
// between them, direct entry, and the highlight that shows every changed counter cell.
//
// Clicks arrive nested inside highlight pauses. An operation that has wrapped a place and
// still owes the carry or borrow (or a transfer that still owes its counter step) keeps what
// it owes on record; the guards of later clicks count it, so a later click is refused rather
// than an earlier one losing part of its effect, and the row never leaves 0 to 9999 on the
// way.
class Counter {
public:
    static constexpr int kMax = 9999;

    Counter(DigitCells &cells, Pause &pause, ClickReport &report);

    int AktZahl() const { return m_AktZahl; }
    bool ending() const { return m_ending; }

    void Form_Load();

    void Einer_addieren();
    void Zehner_addieren();
    void Hunderter_addieren();
    void Tausender_addieren();
    void Einer_subtrahieren();
    void Zehner_subtrahieren();
    void Hunderter_subtrahieren();
    void Tausender_subtrahieren();

    void Einer_add_addieren();
    void Zehner_add_addieren();
    void Hunderter_add_addieren();
    void Tausender_add_addieren();

    // One unit of the place from the counter into the Hilfszahl row, and back.
    void transferToHilfszahl(Place place);
    void transferToCounter(Place place);

    // Direct entry and clearing. Pending work on the row is dropped: the row shows what was
    // entered, whatever the interrupted clicks still meant to do there.
    void setRow(Row row, int value);
    void clearRow(Row row);
    // A click that changes nothing; only the report hears of it.
    void refuse(Refusal why, Place place = Place::Einer);
    // Both rows as they stand, told as at the end of a click.
    void tellRows();

    // Lights the cell red for one pause, then green again. False once the program is ending.
    bool Stelle_markieren(Cell cell);

    // Each place stepped up or down by one, as the place buttons do.
    void stepCounter(Place place, int direction);

private:
    struct Work {
        Row row;
        int owed; // what is still to be added to AktZahl by this operation
        bool dropped = false;
    };
    class OpenWork;

    std::optional<Refusal> whyNot(int delta) const;
    void finish(bool counter, bool hilfszahl);
    int rowValue(Row row) const;
    void ripple(Place place, int direction, Work &work);
    // One place of the Hilfszahl row up by one, carrying through the next place's procedure.
    void stepHilfszahl(Place place);
    // The Hilfszahl procedure of the place.
    void Hilfszahl_addieren(Place place);
    int readCell(Cell cell) const;
    void writeCell(Cell cell, int value);

    DigitCells &m_cells;
    Pause &m_pause;
    ClickReport &m_report;
    int m_AktZahl = 0;
    bool m_ending = false;
    std::vector<Work *> m_open;      // operations interrupted by a pause, outermost first
    std::array<bool, 2> m_changed{}; // the rows changed by clicks not yet reported
};
