#pragma once

#include "commands/commands.h"
#include "counter/digitcells.h"

#include <QWidget>

#include <array>
#include <memory>

class Counter;
class DigitCell;
class HighlightPause;
class QLineEdit;

// The program's window: the counter row, the Hilfszahl row, their buttons and entry boxes.
class Form1 : public QWidget, private DigitCells, private EntryBoxes {
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    const Counter &counter() const { return *m_counter; }

    // Sizes on the window are given in twips, 15 to a device-independent pixel.
    static int twips(int value) { return (value * 2 + 15) / 30; }
    static QRect twipsRect(int left, int top, int width, int height);
    static QFont classicFont(qreal pointSize, bool bold);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void createControls();

    QString caption(Cell cell) const override;
    void setCaption(Cell cell, const QString &text) override;
    void setForeColor(Cell cell, unsigned colour) override;
    QString entryText(Row row) const override;

    DigitCell *cell(Cell cell) const;

    std::unique_ptr<HighlightPause> m_pause;
    std::unique_ptr<Counter> m_counter;
    Commands m_commands;
    std::array<std::array<DigitCell *, 4>, 2> m_digits{};
    std::array<QLineEdit *, 2> m_entries{};
};
