#pragma once

#include "counter/digitcells.h"

class QWidget;

// Tells a screen reader what each click did. Screen readers speak a changed name only for the
// control that has the focus, so the digit cells alone would change in silence.
class Announcer final : public ClickReport {
public:
    explicit Announcer(QWidget *window);

    void say(const QString &text);

    void lit(Cell cell, const QString &caption) override;
    void finished(std::optional<int> counter, std::optional<int> hilfszahl) override;
    void refused(Refusal why, Place place, int counter) override;

private:
    QWidget *m_notice;
};
