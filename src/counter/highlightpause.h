#pragma once

#include "digitcells.h"

#include <QList>

#include <chrono>

class QEventLoop;

// The pause of a highlight: waits in a local event loop, so clicks, typing and repaints go on
// meanwhile and the wait itself costs no CPU. Time is measured on the monotonic clock, so
// midnight or a change of the system time neither stretches nor shortens a pause.
class HighlightPause final : public Pause {
public:
    static constexpr std::chrono::milliseconds kLength{400};

    explicit HighlightPause(std::chrono::nanoseconds length = kLength);

    bool wait() override;

    // The program is ending: every running pause returns at once, and so does every later one.
    void stop();
    bool stopped() const { return m_stopped; }

private:
    std::chrono::nanoseconds m_length;
    bool m_stopped = false;
    QList<QEventLoop *> m_running;
};
