#pragma once

#include "counter/cell.h"

class Counter;
class QString;

// Where the entry handlers find what the user typed.
class EntryBoxes {
public:
    virtual QString entryText(Row row) const = 0;

protected:
    ~EntryBoxes() = default;
};

// The click handlers of the twenty push buttons.
class Commands {
public:
    Commands(Counter &counter, const EntryBoxes &boxes);

    void cmd_AktZahl_loeschen_Click();
    void cmd_Einer_add_minus_Click();
    void cmd_Einer_add_plus_Click();
    void cmd_Einer_minus_Click();
    void cmd_Einer_plus_Click();
    void cmd_Hilfszahl_loeschen_Click();
    void cmd_Hunderter_add_minus_Click();
    void cmd_Hunderter_add_plus_Click();
    void cmd_Hunderter_minus_Click();
    void cmd_Hunderter_plus_Click();
    void cmd_ok_add_Click();
    void cmd_ok_Click();
    void cmd_Tausender_add_minus_Click();
    void cmd_Tausender_add_plus_Click();
    void cmd_Tausender_minus_Click();
    void cmd_Tausender_plus_Click();
    void cmd_Zehner_add_minus_Click();
    void cmd_Zehner_add_plus_Click();
    void cmd_Zehner_minus_Click();
    void cmd_Zehner_plus_Click();

    // Every push button's handler by the button's name, so that the window wires each button to
    // its own handler by name; null for a name that is no button's.
    using Handler = void (Commands::*)();
    static Handler handler(const QString &name);

private:
    void enter(Row row);

    Counter &m_counter;
    const EntryBoxes &m_boxes;
};
