#pragma once

#include "counter/digitcells.h"
#include "speechqueue.h"

#include <QtGlobal>

#include <array>
#include <memory>

class QWidget;
class Voice;

// Tells a screen reader what each click did. Screen readers speak a changed name only for the
// control that has the focus, so the digit cells alone would change in silence. While reading
// aloud (Vorlesen) the program also says it itself, for children who use no screen reader.
class Announcer final : public ClickReport {
public:
    explicit Announcer(QWidget *window);
    ~Announcer();

    // A message about a cell may be left out of what is read aloud once a newer one about the
    // same cell follows before its turn.
    void say(const QString &text, std::optional<Cell> about = std::nullopt);

    bool readingAloud() const { return m_reading; }
    void setReadingAloud(bool on);

    void lit(Cell cell, const QString &caption) override;
    void finished(std::optional<int> counter, std::optional<int> hilfszahl) override;
    void refused(Refusal why, Place place, int counter) override;

private:
    void tell(const QString &text);

    QWidget *m_window;
    std::unique_ptr<Voice> m_voice;
    SpeechQueue m_speech;
    bool m_reading = false;
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    // Orca reads a notice's name only when it comes to the notice's event, and skips that event
    // if a newer one of the same notice waits behind it. So messages that follow each other
    // within a moment, as nested clicks make them, each need a notice of their own.
    std::array<QWidget *, 8> m_notices{};
    std::size_t m_next = 0;
#endif
};
