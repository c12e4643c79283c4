#pragma once

// A counter mechanism on plain strings instead of labels, with a pause that takes no time and
// can run clicks "during" any pause.

#include "commands/commands.h"
#include "counter/counter.h"
#include "counter/digitcells.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

template <typename T> auto &at(T &rows, Cell cell) {
    return rows[static_cast<int>(cell.row)][static_cast<int>(cell.place)];
}

class Board final : public DigitCells, public Pause, public EntryBoxes, public ClickReport {
public:
    Board() {
        for (auto &row : captions)
            row.fill(QStringLiteral("0"));
        for (auto &row : colours)
            row.fill(kRestColour);
    }

    // Both rows set as by direct entry, and clicks scheduled for later pauses.
    void start(int counterValue, int hilfszahlValue, const QString &script = {}) {
        counter.setRow(Row::Counter, counterValue);
        counter.setRow(Row::Hilfszahl, hilfszahlValue);
        clickDuring(script);
    }

    // "8 9 9 9": the row from the thousands to the units.
    QString row(Row r) const {
        const auto &cells = captions[static_cast<int>(r)];
        return QStringList{cells[3], cells[2], cells[1], cells[0]}.join(u' ');
    }

    // A button by its name; "cmd_ok=4711" types the text into the entry box first.
    void click(const QString &what) {
        const QString name = what.section(u'=', 0, 0);
        if (what.contains(u'=')) {
            entries[name == QLatin1String("cmd_ok_add") ? 1 : 0] = what.section(u'=', 1);
        }
        const auto handler = handlers().value(name);
        Q_ASSERT_X(handler, "Board::click", qPrintable(name));
        (commands.*handler)();
    }

    // Clicks given as "1:cmd_Tausender_plus;3:cmd_Einer_plus|cmd_Zehner_plus" run during those
    // pauses, in that order.
    void clickDuring(const QString &script) {
        for (const QString &item : script.split(u';', Qt::SkipEmptyParts))
            during.insert(item.section(u':', 0, 0).toInt(), item.section(u':', 1));
    }

    static QString cellName(Cell cell) {
        static const char *names[] = {"Einer", "Zehner", "Hunderter", "Tausender"};
        return QString::fromLatin1(names[static_cast<int>(cell.place)]) +
               (cell.row == Row::Hilfszahl ? QStringLiteral("_add") : QString());
    }

    QString caption(Cell cell) const override { return at(captions, cell); }
    void setCaption(Cell cell, const QString &text) override {
        if (closed)
            ++writesAfterClose;
        at(captions, cell) = text;
    }
    void setForeColor(Cell cell, unsigned colour) override {
        if (closed)
            ++writesAfterClose;
        at(colours, cell) = colour;
        if (colour == kLitColour)
            lighted << cellName(cell);
    }
    QString entryText(Row r) const override { return entries[static_cast<int>(r)]; }

    void lit(Cell, const QString &) override {}
    void finished(std::optional<int>, std::optional<int>) override { ++finishes; }
    void refused(Refusal, Place, int) override { ++refusals; }

    bool wait() override {
        const int number = ++pauses;
        if (onPause)
            onPause(number);
        for (const QString &click : during.take(number).split(u'|', Qt::SkipEmptyParts))
            this->click(click);
        if (number == closeAtPause)
            closed = true;
        return !closed;
    }

    std::array<std::array<QString, 4>, 2> captions;
    std::array<std::array<unsigned, 4>, 2> colours;
    std::array<QString, 2> entries;
    QStringList lighted;
    QMap<int, QString> during;
    std::function<void(int)> onPause;
    int pauses = 0;
    int finishes = 0;
    int refusals = 0;
    int closeAtPause = 0;
    bool closed = false;
    int writesAfterClose = 0;

    Counter counter{*this, *this, *this};
    Commands commands{counter, *this};

private:
    using Handler = void (Commands::*)();
    static const QMap<QString, Handler> &handlers() {
        static const QMap<QString, Handler> table{
            {"cmd_AktZahl_loeschen", &Commands::cmd_AktZahl_loeschen_Click},
            {"cmd_Hilfszahl_loeschen", &Commands::cmd_Hilfszahl_loeschen_Click},
            {"cmd_ok", &Commands::cmd_ok_Click},
            {"cmd_ok_add", &Commands::cmd_ok_add_Click},
            {"cmd_Einer_plus", &Commands::cmd_Einer_plus_Click},
            {"cmd_Zehner_plus", &Commands::cmd_Zehner_plus_Click},
            {"cmd_Hunderter_plus", &Commands::cmd_Hunderter_plus_Click},
            {"cmd_Tausender_plus", &Commands::cmd_Tausender_plus_Click},
            {"cmd_Einer_minus", &Commands::cmd_Einer_minus_Click},
            {"cmd_Zehner_minus", &Commands::cmd_Zehner_minus_Click},
            {"cmd_Hunderter_minus", &Commands::cmd_Hunderter_minus_Click},
            {"cmd_Tausender_minus", &Commands::cmd_Tausender_minus_Click},
            {"cmd_Einer_add_plus", &Commands::cmd_Einer_add_plus_Click},
            {"cmd_Zehner_add_plus", &Commands::cmd_Zehner_add_plus_Click},
            {"cmd_Hunderter_add_plus", &Commands::cmd_Hunderter_add_plus_Click},
            {"cmd_Tausender_add_plus", &Commands::cmd_Tausender_add_plus_Click},
            {"cmd_Einer_add_minus", &Commands::cmd_Einer_add_minus_Click},
            {"cmd_Zehner_add_minus", &Commands::cmd_Zehner_add_minus_Click},
            {"cmd_Hunderter_add_minus", &Commands::cmd_Hunderter_add_minus_Click},
            {"cmd_Tausender_add_minus", &Commands::cmd_Tausender_add_minus_Click},
        };
        return table;
    }
};
