#include "speechqueue.h"

#include <algorithm>

SpeechQueue::SpeechQueue(std::function<void(const QString &)> speak) : m_speak(std::move(speak)) {}

void SpeechQueue::add(const QString &text, std::optional<Cell> about) {
    if (about)
        std::erase_if(m_waiting, [&](const Message &waiting) { return waiting.about == about; });
    m_waiting.push_back({text, about});
    if (!m_speaking)
        next();
}

void SpeechQueue::spoken() {
    m_speaking = false;
    next();
}

void SpeechQueue::clear() {
    m_waiting.clear();
    m_speaking = false;
}

void SpeechQueue::next() {
    if (m_waiting.empty())
        return;
    m_speaking = true;
    const QString text = m_waiting.front().text;
    m_waiting.pop_front();
    m_speak(text);
}
