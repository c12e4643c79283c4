#pragma once

#include <QObject>

#include <memory>

// A German voice to read messages aloud with: the system's speech on the desktop, the browser's
// in a web page. Never speech in another language: without a German voice it stays silent.
class Voice : public QObject {
    Q_OBJECT

public:
    static std::unique_ptr<Voice> german(QObject *parent);

    // Says the text, or nothing where there is no German voice; spoken() follows either way.
    virtual void speak(const QString &text) = 0;
    // Stops at once; no spoken() follows for what was being said.
    virtual void stop() = 0;

signals:
    void spoken();
    // Told once, when it is clear that there is no German voice to speak with.
    void missing();

protected:
    using QObject::QObject;
};
