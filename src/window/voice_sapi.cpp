#include "voice.h"

#include <QTimer>

#include <windows.h>

#include <sapi.h>
#include <sphelper.h>

namespace {

// Windows' own speech (SAPI), with a German voice if one is installed: German Windows brings
// one, others have it with the German speech pack. Qt's speech would bring Qt Multimedia along,
// for nothing but this.
class SapiVoice final : public Voice {
public:
    explicit SapiVoice(QObject *parent) : Voice(parent) {
        // Qt has the thread in COM already; asking again only counts up.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // German as spoken in Germany, Austria and Switzerland.
        for (const wchar_t *language : {L"Language=407", L"Language=c07", L"Language=807"}) {
            IEnumSpObjectTokens *found = nullptr;
            ISpObjectToken *token = nullptr;
            if (SUCCEEDED(SpEnumTokens(SPCAT_VOICES, language, nullptr, &found))) {
                if (found->Next(1, &token, nullptr) == S_OK &&
                    SUCCEEDED(CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                               reinterpret_cast<void **>(&m_voice))))
                    m_voice->SetVoice(token);
                if (token)
                    token->Release();
                found->Release();
            }
            if (m_voice)
                break;
        }
        if (!m_voice)
            QTimer::singleShot(0, this, &Voice::missing);
        // SAPI tells of a message's end through a window or an event; asking is simpler.
        m_listening.setInterval(50);
        connect(&m_listening, &QTimer::timeout, this, [this] {
            SPVOICESTATUS status{};
            if (FAILED(m_voice->GetStatus(&status, nullptr)) ||
                status.dwRunningState == SPRS_DONE) {
                m_listening.stop();
                emit spoken();
            }
        });
    }

    ~SapiVoice() override {
        if (m_voice)
            m_voice->Release();
        CoUninitialize();
    }

    void speak(const QString &text) override {
        // Plain text: SAPI would read a message as XML otherwise.
        if (m_voice && SUCCEEDED(m_voice->Speak(reinterpret_cast<LPCWSTR>(text.utf16()),
                                                SPF_ASYNC | SPF_IS_NOT_XML, nullptr)))
            m_listening.start();
        else
            QTimer::singleShot(0, this, &Voice::spoken);
    }

    void stop() override {
        m_listening.stop();
        if (m_voice)
            m_voice->Speak(nullptr, SPF_ASYNC | SPF_PURGEBEFORESPEAK, nullptr);
    }

private:
    ISpVoice *m_voice = nullptr;
    QTimer m_listening;
};

} // namespace

std::unique_ptr<Voice> Voice::german(QObject *parent) {
    return std::make_unique<SapiVoice>(parent);
}
