#pragma once

#include "cell.h"

#include <optional>

class QString;

// The eight digit cells. Their captions are the only storage of the digits, so the counter
// mechanism reads and writes them through this interface rather than keeping copies.
class DigitCells {
public:
    virtual QString caption(Cell cell) const = 0;
    virtual void setCaption(Cell cell, const QString &text) = 0;
    virtual void setForeColor(Cell cell, unsigned colour) = 0;

protected:
    ~DigitCells() = default;
};

// The wait inside a highlight. The window waits 0.4 s in the event loop; tests wait not at
// all, or run a click "during" the wait.
class Pause {
public:
    // Returns false once the program is ending: nothing may be written after that.
    virtual bool wait() = 0;

protected:
    ~Pause() = default;
};

// Why a click changed nothing.
enum class Refusal {
    Limit,         // the counter would leave 0 to 9999
    Owed,          // it would not, but an interrupted click still owes a carry, borrow or unit
    NothingToMove, // the Hilfszahl cell holds no unit to give
    TooBig,        // the typed number lies outside what an entry can hold
    TooSmall,
};

// Told what every click does, for those who follow the lesson without seeing the cells.
class ClickReport {
public:
    // A cell has just changed and is lit.
    virtual void lit(Cell cell, const QString &caption) = 0;
    // A click has run to its end; the rows it changed, with their values now.
    virtual void finished(std::optional<int> counter, std::optional<int> hilfszahl) = 0;
    virtual void refused(Refusal why, Place place, int counter) = 0;

protected:
    ~ClickReport() = default;
};
