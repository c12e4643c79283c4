#include "voice.h"

#include <QTextToSpeech>
#include <QTimer>

namespace {

// The system's speech: speech-dispatcher on Linux, the system's voices on Windows.
class SystemVoice final : public Voice {
public:
    explicit SystemVoice(QObject *parent) : Voice(parent), m_speech(new QTextToSpeech(this)) {
        connect(m_speech, &QTextToSpeech::stateChanged, this, &SystemVoice::changed);
        // Some engines are ready at once, others tell when they are.
        changed(m_speech->state());
    }

    void speak(const QString &text) override {
        if (!m_known) {
            m_waiting = text;
        } else if (!m_german) {
            QTimer::singleShot(0, this, &Voice::spoken);
        } else {
            m_talking = true;
            m_started = false;
            m_speech->say(text);
        }
    }

    void stop() override {
        m_talking = false;
        m_waiting.clear();
        m_speech->stop();
    }

private:
    void changed(QTextToSpeech::State state) {
        if (state == QTextToSpeech::Speaking)
            m_started = m_talking;
        if (state == QTextToSpeech::Speaking || state == QTextToSpeech::Paused)
            return;
        if (!m_known) {
            m_known = true;
            // Any German will do (Germany's, Austria's, Switzerland's ...); never another language.
            for (const QLocale &locale : m_speech->availableLocales()) {
                if (locale.language() == QLocale::German) {
                    m_speech->setLocale(locale);
                    m_german = true;
                    break;
                }
            }
            if (!m_german)
                emit missing();
            if (!m_waiting.isEmpty())
                speak(std::exchange(m_waiting, QString()));
        } else if (m_talking && (m_started || state != QTextToSpeech::Ready)) {
            // Ready again once it has started (some engines say Ready as they take a text),
            // or failed: either way the message is over. The next one is given from the event
            // loop, not from inside the engine's signal.
            m_talking = false;
            QTimer::singleShot(0, this, &Voice::spoken);
        }
    }

    QTextToSpeech *m_speech;
    bool m_known = false;
    bool m_german = false;
    bool m_talking = false;
    bool m_started = false;
    QString m_waiting;
};

} // namespace

std::unique_ptr<Voice> Voice::german(QObject *parent) {
    return std::make_unique<SystemVoice>(parent);
}
