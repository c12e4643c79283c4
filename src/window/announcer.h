#pragma once

#include "counter/digitcells.h"

#include <QtGlobal>

#include <array>

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
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QWidget *m_window;
#else
    // Orca reads a notice's name only when it comes to the notice's event, and skips that event
    // if a newer one of the same notice waits behind it. So messages that follow each other
    // within a moment, as nested clicks make them, each need a notice of their own.
    std::array<QWidget *, 8> m_notices{};
    std::size_t m_next = 0;
#endif
};
