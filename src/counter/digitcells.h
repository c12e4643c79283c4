#pragma once

#include "cell.h"

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
