#include "voice.h"

#include <QTimer>

#include <emscripten.h>
#include <emscripten/bind.h>

// The browser's speech: a German voice of its own if it has one. Browsers load their voices after
// the page, so the first question may find none yet.
// clang-format off
EM_JS(bool, chooseGermanVoice, (), {
    var voices = globalThis.speechSynthesis ? speechSynthesis.getVoices() : [];
    Module.nurveloVoice = voices.find(function(voice) {
        return voice.lang.substring(0, 2).toLowerCase() == "de";
    });
    return !!Module.nurveloVoice;
});

EM_JS(void, sayInPage, (const char *text, int number), {
    var utterance = new SpeechSynthesisUtterance(UTF8ToString(text));
    utterance.lang = "de-DE";
    utterance.voice = Module.nurveloVoice;
    utterance.onend = utterance.onerror = function() { Module.nurveloSpoken(number); };
    speechSynthesis.speak(utterance);
});
// clang-format on

EM_JS(void, stopInPage, (), { speechSynthesis.cancel(); });

namespace {

class PageVoice final : public Voice {
public:
    explicit PageVoice(QObject *parent) : Voice(parent) {
        s_voice = this;
        // Asked again a moment later, when the browser has had time to load its voices.
        m_german = chooseGermanVoice();
        if (!m_german)
            QTimer::singleShot(1500, this, [this] {
                m_german = chooseGermanVoice();
                m_known = true;
                if (!m_german)
                    emit missing();
                if (!m_waiting.isEmpty())
                    speak(std::exchange(m_waiting, QString()));
            });
        m_known = m_german;
    }
    ~PageVoice() override { s_voice = nullptr; }

    void speak(const QString &text) override {
        if (!m_known)
            m_waiting = text;
        else if (!m_german)
            QTimer::singleShot(0, this, &Voice::spoken);
        else
            sayInPage(text.toUtf8().constData(), ++m_number);
    }

    void stop() override {
        // The browser ends what it was saying with an error, which belongs to no message now.
        ++m_number;
        m_waiting.clear();
        stopInPage();
    }

    static void ended(int number) {
        if (s_voice && number == s_voice->m_number)
            emit s_voice->spoken();
    }

private:
    static inline PageVoice *s_voice = nullptr;
    bool m_german = false;
    bool m_known = false;
    int m_number = 0;
    QString m_waiting;
};

} // namespace

EMSCRIPTEN_BINDINGS(nurvelo_voice) {
    emscripten::function("nurveloSpoken", &PageVoice::ended);
}

std::unique_ptr<Voice> Voice::german(QObject *parent) {
    return std::make_unique<PageVoice>(parent);
}
