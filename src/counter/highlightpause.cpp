#include "highlightpause.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

HighlightPause::HighlightPause(std::chrono::nanoseconds length) : m_length(length) {}

bool HighlightPause::wait() {
    const QDeadlineTimer deadline(m_length, Qt::PreciseTimer);
    QEventLoop loop;
    m_running.append(&loop);
    // A timer may fire a little early, and a nested pause keeps this loop from returning
    // until it is over; the deadline decides, never the timer alone.
    while (!m_stopped && !deadline.hasExpired()) {
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(
            std::chrono::nanoseconds(deadline.remainingTimeNSecs()));
        QTimer::singleShot(remaining, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    m_running.removeOne(&loop);
    return !m_stopped;
}

void HighlightPause::stop() {
    m_stopped = true;
    for (QEventLoop *loop : std::as_const(m_running))
        loop->quit();
}
