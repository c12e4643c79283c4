#pragma once

#include "counter/cell.h"

#include <QString>

#include <deque>
#include <functional>
#include <optional>

// What the program says aloud, one message after the other, each once. When clicks come faster
// than speech, a message about a cell that a newer one about the same cell follows before its
// turn is left out: it is outdated. Every other message, the last of each click among them, is
// said in turn.
class SpeechQueue {
public:
    explicit SpeechQueue(std::function<void(const QString &)> speak);

    void add(const QString &text, std::optional<Cell> about = std::nullopt);
    // The voice has finished the message it was given last.
    void spoken();
    void clear();

private:
    struct Message {
        QString text;
        std::optional<Cell> about;
    };
    void next();

    std::function<void(const QString &)> m_speak;
    std::deque<Message> m_waiting;
    bool m_speaking = false;
};
