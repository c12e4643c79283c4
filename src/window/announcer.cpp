#include "announcer.h"

#include "voice.h"

#include <QAccessible>
#include <QStringList>
#include <QToolTip>
#include <QWidget>

Announcer::~Announcer() = default;

void Announcer::say(const QString &text, std::optional<Cell> about) {
    tell(text);
    if (m_reading)
        m_speech.add(text, about);
}

void Announcer::setReadingAloud(bool on) {
    if (on == m_reading)
        return;
    if (!on) {
        // What is still waiting goes unsaid, and so does the rest of what is being said.
        m_speech.clear();
        m_voice->stop();
        say(QStringLiteral("Vorlesen aus"));
        m_reading = false;
        return;
    }
    if (!m_voice) {
        m_voice = Voice::german(m_window);
        QObject::connect(m_voice.get(), &Voice::spoken, m_window, [this] { m_speech.spoken(); });
        QObject::connect(m_voice.get(), &Voice::missing, m_window, [this] {
            const QString hint = QStringLiteral("Vorlesen geht hier nicht: Auf diesem Gerät ist "
                                                "keine deutsche Stimme eingerichtet.");
            tell(hint);
            // As rich text, so that it wraps on a narrow screen.
            QToolTip::showText(m_window->mapToGlobal(m_window->rect().center()),
                               QStringLiteral("<p>%1</p>").arg(hint), m_window, {}, 8000);
        });
    }
    m_reading = true;
    say(QStringLiteral("Vorlesen an"));
}

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)

#include <QAccessibleAnnouncementEvent>

Announcer::Announcer(QWidget *window)
    : m_window(window), m_speech([this](const QString &text) { m_voice->speak(text); }) {}

void Announcer::tell(const QString &text) {
    // Orca drops an announcement that comes from the same object soon after another one, unless
    // that object has the focus; so they come from the control that has it.
    QWidget *focused = m_window->focusWidget();
    QAccessibleAnnouncementEvent event(focused ? focused : m_window, text);
    QAccessible::updateAccessibility(&event);
}

#else

#include <QAccessibleWidget>

namespace {

// Before Qt 6.8 there are no announcements, but screen readers read out a notification as it
// appears, wherever the focus is. A notice has no size, so the window never shows it.
class Notice : public QWidget {
public:
    using QWidget::QWidget;
};

QAccessibleInterface *noticeFactory(const QString &, QObject *object) {
    if (auto *notice = dynamic_cast<Notice *>(object))
        return new QAccessibleWidget(notice, QAccessible::Notification);
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget *window)
    : m_window(window), m_speech([this](const QString &text) { m_voice->speak(text); }) {
    // Qt asks the factories only once per object, so this comes before the first notice.
    static const bool installed = (QAccessible::installFactory(noticeFactory), true);
    Q_UNUSED(installed);
    for (QWidget *&notice : m_notices) {
        notice = new Notice(window);
        notice->setGeometry(0, 0, 0, 0);
        notice->hide();
    }
}

void Announcer::tell(const QString &text) {
    // Only the appearing is read out, so a notice still showing an older message must go first.
    QWidget *notice = m_notices[m_next];
    m_next = (m_next + 1) % m_notices.size();
    notice->hide();
    notice->setAccessibleName(text);
    notice->show();
}

#endif

void Announcer::lit(Cell cell, const QString &caption) {
    say(QStringLiteral("%1%2 %3").arg(cell.row == Row::Hilfszahl ? QStringLiteral("Hilfszahl ")
                                                                 : QString(),
                                      QString::fromLatin1(placeName(cell.place)), caption),
        cell);
}

void Announcer::finished(std::optional<int> counter, std::optional<int> hilfszahl) {
    QStringList rows;
    if (counter)
        rows << QStringLiteral("Zähler %1").arg(*counter);
    if (hilfszahl)
        rows << QStringLiteral("Hilfszahl %1").arg(*hilfszahl);
    say(rows.join(QStringLiteral(", ")));
}

void Announcer::refused(Refusal why, Place place, int counter) {
    QString reason;
    switch (why) {
    case Refusal::Limit:
        reason = QStringLiteral("Zähler bleibt %1").arg(counter);
        break;
    case Refusal::Owed:
        reason = QStringLiteral("Übertrag läuft noch");
        break;
    case Refusal::NothingToMove:
        reason =
            QStringLiteral("keine %1 in der Hilfszahl").arg(QString::fromLatin1(placeName(place)));
        break;
    case Refusal::TooBig:
        reason = QStringLiteral("Zahl zu groß");
        break;
    case Refusal::TooSmall:
        reason = QStringLiteral("Zahl zu klein");
        break;
    }
    say(QStringLiteral("Geht nicht, ") + reason);
}
