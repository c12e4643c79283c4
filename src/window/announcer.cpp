#include "announcer.h"

#include <QAccessibleWidget>
#include <QStringList>
#include <QWidget>

namespace {

// Shown and hidden again for every message; screen readers read a notification out as it
// appears, wherever the focus is.
class Notice : public QWidget {
public:
    using QWidget::QWidget;
};

class AccessibleNotice : public QAccessibleWidget {
public:
    explicit AccessibleNotice(QWidget *notice)
        : QAccessibleWidget(notice, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? widget()->accessibleName() : QString();
    }
};

QAccessibleInterface *noticeFactory(const QString &, QObject *object) {
    if (auto *notice = dynamic_cast<Notice *>(object))
        return new AccessibleNotice(notice);
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget *window) : m_notice(new Notice(window)) {
    static const bool installed = (QAccessible::installFactory(noticeFactory), true);
    Q_UNUSED(installed);
    m_notice->setFocusPolicy(Qt::NoFocus);
    m_notice->setGeometry(0, 0, 0, 0);
    m_notice->hide();
}

void Announcer::say(const QString &text) {
    m_notice->hide();
    m_notice->setAccessibleName(text);
    m_notice->show();
}

void Announcer::lit(Cell cell, const QString &caption) {
    say(QStringLiteral("%1%2 %3").arg(cell.row == Row::Hilfszahl ? QStringLiteral("Hilfszahl ")
                                                                 : QString(),
                                      QString::fromLatin1(placeName(cell.place)), caption));
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
