#include "pageaccessibility.h"

#include "digitcell.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QEvent>
#include <QLineEdit>
#include <QWidget>

#include <emscripten/bind.h>

using emscripten::val;

namespace {

PageAccessibility *s_page = nullptr;

// Names and messages are set as text, never parsed as HTML.
void setAttribute(val element, const char *attribute, const QString &value) {
    if (value.isEmpty())
        element.call<void>("removeAttribute", std::string(attribute));
    else
        element.call<void>("setAttribute", std::string(attribute), value.toStdString());
}

QWidget *control(const std::string &name) {
    return s_page ? s_page->parent()->findChild<QWidget *>(QString::fromStdString(name)) : nullptr;
}

void onActivate(val event) {
    PageAccessibility::activate(event["currentTarget"]["id"].as<std::string>());
}

void onCanvasFocus(val) {
    // A click or tap on the canvas takes the page's focus there, where a screen reader finds
    // nothing; it goes back to the control that has the window's.
    if (s_page)
        s_page->follow();
}

void onInput(val event) {
    const val element = event["currentTarget"];
    PageAccessibility::typed(element["id"].as<std::string>(), element["value"].as<std::string>());
}

void onKeyDown(val) {
    PageAccessibility::keyDown();
}

// What a cell says: its place and its digit, "Tausender 1"; its row is said before the row.
std::string cellText(QWidget *cell, const QString &digit) {
    return QStringLiteral("%1 %2").arg(cell->objectName().section(u'_', 1, 1), digit).toStdString();
}

} // namespace

EMSCRIPTEN_BINDINGS(nurvelo_page) {
    emscripten::function("nurveloActivate", &onActivate);
    emscripten::function("nurveloInput", &onInput);
    emscripten::function("nurveloCanvasFocus", &onCanvasFocus);
    emscripten::function("nurveloKeyDown", &onKeyDown);
}

PageAccessibility::PageAccessibility(QWidget *window) : QObject(window), m_window(window) {
    s_page = this;
    m_clock.start();
    const val screen =
        val::global("document")
            .call<val>("getElementById", std::string("qt-shadow-container"))["shadowRoot"];
    // Qt keeps every gesture on the window for itself. A child who needs it may magnify the page
    // with two fingers, as any page; one finger stays the window's, so a tap that slides a little
    // is no scroll or swipe back, and two quick taps on a button are two clicks, not a zoom.
    val gestures = val::global("document").call<val>("createElement", std::string("style"));
    gestures.set("textContent", std::string(".qt-screen div { touch-action: pinch-zoom; }"));
    screen.call<void>("append", gestures);
    // The window's own corner of the page, where Qt keeps elements for screen readers behind the
    // canvas: a key pressed on an element there reaches the window as if pressed on the canvas.
    const val page =
        screen.call<val>("getElementById", "qt-window-" + std::to_string(window->winId()));
    const val container = page.call<val>("querySelector", std::string(".qt-window-a11y-container"));
    // Qt's switch for its own bridge, which would put a second set of elements beside these.
    const val switches = container["children"];
    for (int i = 0; i < switches["length"].as<int>(); ++i)
        switches[i].set("hidden", true);

    // In the order the desktop's screen readers find them.
    for (QObject *child : window->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !widget->isWindow() && !widget->isHidden() &&
            !widget->objectName().isEmpty()) {
            add(widget);
            if (m_rowNames.contains(widget))
                container.call<void>("appendChild", m_rowNames.value(widget));
            container.call<void>("appendChild", m_elements.value(widget));
        }
    }

    // Polite, so a message waits for the one before it instead of cutting it off; a log, so
    // each is read as it is added, however quickly the next one follows.
    m_log = val::global("document").call<val>("createElement", std::string("div"));
    m_log.call<void>("setAttribute", std::string("role"), std::string("log"));
    m_log.call<void>("setAttribute", std::string("aria-live"), std::string("polite"));
    val style = m_log["style"];
    style.set("position", std::string("absolute"));
    style.set("width", std::string("1px"));
    style.set("height", std::string("1px"));
    style.set("overflow", std::string("hidden"));
    style.set("opacity", std::string("0"));
    container.call<void>("appendChild", m_log);
    // A screen reader stops speaking at every key, also what the live region has just been told:
    // a message of the last second is told again before the key reaches the window. (On the
    // desktop the message comes from the focused control, which Orca keeps.)
    container.call<void>("addEventListener", std::string("keydown"),
                         val::module_property("nurveloKeyDown"), true);
    // A long lesson would otherwise grow the page without end; only once it has fallen silent,
    // as a screen reader finds what is new in the region by where it stands.
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(2000);
    connect(&m_quiet, &QTimer::timeout, this, [this] {
        while (m_log["childElementCount"].as<int>() > 40)
            m_log["firstElementChild"].call<void>("remove");
    });

    QAccessible::installUpdateHandler(&PageAccessibility::update);
    page.call<val>("querySelector", std::string("canvas"))
        .call<void>("addEventListener", std::string("focus"),
                    val::module_property("nurveloCanvasFocus"));
    follow();
}

PageAccessibility::~PageAccessibility() {
    QAccessible::installUpdateHandler(nullptr);
    for (const val &element : std::as_const(m_elements))
        element.call<void>("remove");
    for (const val &element : std::as_const(m_rowNames))
        element.call<void>("remove");
    m_log.call<void>("remove");
    s_page = nullptr;
}

void PageAccessibility::add(QWidget *control) {
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    const QAccessible::Role role = accessible->role();
    const bool button = role == QAccessible::Button;
    const bool entry = role == QAccessible::EditableText;
    val element = val::global("document")
                      .call<val>("createElement", std::string(button  ? "button"
                                                              : entry ? "input"
                                                                      : "div"));
    element.set("id", control->objectName().toStdString());
    if (button || entry) {
        setAttribute(element, "aria-label", accessible->text(QAccessible::Name));
        element.call<void>("addEventListener", std::string(button ? "click" : "input"),
                           val::module_property(button ? "nurveloActivate" : "nurveloInput"));
    } else if (qobject_cast<DigitCell *>(control)) {
        element.set("textContent", cellText(control, accessible->text(QAccessible::Name)));
        // Each row's name before its cells, over the ground left of them, so that it is read as
        // part of the row's line.
        if (control->objectName().startsWith(QLatin1String("lbl_Tausender"))) {
            val name = val::global("document").call<val>("createElement", std::string("div"));
            name.set("textContent",
                     std::string(control->objectName().endsWith(u"_add") ? "Hilfszahl" : "Zähler"));
            m_rowNames.insert(control, name);
        }
    } else {
        // A label's name is its text, as the desktop's screen readers read it; the headings are
        // said with each cell, and would be a line of their own.
        element.set("textContent", accessible->text(QAccessible::Name).toStdString());
        setAttribute(element, "aria-hidden", QStringLiteral("true"));
    }
    if (button)
        element.set("type", std::string("button"));
    if (auto *box = qobject_cast<QLineEdit *>(control)) {
        element.set("type", std::string("text"));
        element.set("maxLength", box->maxLength());
        element.set("value", box->text().toStdString());
        // A tablet's whole keyboard: a number may carry a minus or an E, which no number pad
        // has; nothing corrected, capitalised or offered from earlier entries; and the Enter key
        // that presses nothing in the window closes the keyboard.
        for (const auto &[attribute, value] : {std::pair{"inputmode", "text"},
                                               {"enterkeyhint", "done"},
                                               {"autocapitalize", "off"},
                                               {"autocorrect", "off"},
                                               {"autocomplete", "off"},
                                               {"spellcheck", "false"}})
            element.call<void>("setAttribute", std::string(attribute), std::string(value));
        // The text as the box has it once it has changed; the accessibility events that tell of
        // a change may come before the box holds it.
        connect(box, &QLineEdit::textChanged, this, [element](const QString &text) mutable {
            element.set("value", text.toStdString());
        });
    }
    // A line's first description would be read with it, and a cell's says what the line does.
    if (!qobject_cast<DigitCell *>(control))
        setAttribute(element, "aria-description", accessible->text(QAccessible::Description));
    m_elements.insert(control, element);
    place(control);
    control->installEventFilter(this);
}

void PageAccessibility::place(QWidget *control) {
    // Exactly over the control, so that a screen reader's touch finds it and its frame of focus
    // falls around what is drawn; invisible, and the pointer goes through to the canvas. A row's
    // name from the window's edge to its first cell.
    const auto put = [](val element, QRect at) {
        val style = element["style"];
        const auto px = [](int value) { return std::to_string(value) + "px"; };
        style.set("position", std::string("absolute"));
        style.set("left", px(at.x()));
        style.set("top", px(at.y()));
        style.set("width", px(at.width()));
        style.set("height", px(at.height()));
        style.set("margin", std::string("0"));
        style.set("padding", std::string("0"));
        style.set("border", std::string("none"));
        style.set("opacity", std::string("0"));
    };
    const QRect at = control->geometry();
    put(m_elements.value(control), at);
    if (m_rowNames.contains(control))
        put(m_rowNames.value(control), QRect(0, at.y(), at.x(), at.height()));
}

bool PageAccessibility::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        place(static_cast<QWidget *>(watched));
    return false;
}

void PageAccessibility::update(QAccessibleEvent *event) {
    if (!s_page)
        return;
    if (event->type() == QAccessible::Announcement)
        return s_page->say(static_cast<QAccessibleAnnouncementEvent *>(event)->message());
    auto *widget = qobject_cast<QWidget *>(event->object());
    const auto found = s_page->m_elements.constFind(widget);
    if (found == s_page->m_elements.cend())
        return;
    val element = *found;
    QAccessibleInterface *accessible = event->accessibleInterface();
    switch (event->type()) {
    case QAccessible::Focus:
        s_page->follow();
        break;
    case QAccessible::NameChanged:
        if (qobject_cast<DigitCell *>(widget))
            element.set("textContent", cellText(widget, accessible->text(QAccessible::Name)));
        else if (element["tagName"].as<std::string>() == "DIV")
            element.set("textContent", accessible->text(QAccessible::Name).toStdString());
        else
            setAttribute(element, "aria-label", accessible->text(QAccessible::Name));
        break;
    case QAccessible::DescriptionChanged:
        setAttribute(element, "aria-description", accessible->text(QAccessible::Description));
        break;
    default:
        break;
    }
}

void PageAccessibility::follow() {
    // Where the page's focus is, a screen reader reads, and keys go: from there they reach the
    // window as they would from the canvas.
    const auto found = m_elements.constFind(m_window->focusWidget());
    if (found == m_elements.cend())
        return;
    val options = val::object();
    options.set("preventScroll", true);
    found->call<void>("focus", options);
}

void PageAccessibility::say(const QString &message, qint64 when) {
    val line = val::global("document").call<val>("createElement", std::string("p"));
    line.set("textContent", message.toStdString());
    if (when >= 0)
        line.call<void>("setAttribute", std::string("data-again"), std::string(""));
    m_log.call<void>("appendChild", line);
    // Told again while keys keep coming, but only within a second of the first time.
    m_recent.emplace_back(when >= 0 ? when : m_clock.elapsed(), message);
    m_quiet.start();
}

void PageAccessibility::keyDown() {
    if (!s_page)
        return;
    auto &recent = s_page->m_recent;
    while (!recent.empty() && s_page->m_clock.elapsed() - recent.front().first > 1000)
        recent.pop_front();
    for (const auto &[when, message] : std::exchange(recent, {}))
        s_page->say(message, when);
}

void PageAccessibility::activate(const std::string &name) {
    // Clicked at once and once per activation, as a mouse click does; Qt's own press action
    // clicks a tenth of a second later, merging two quick ones.
    if (auto *button = qobject_cast<QAbstractButton *>(control(name)))
        button->click();
}

void PageAccessibility::typed(const std::string &name, const std::string &text) {
    // Text the window did not take from the keys (a tablet's keyboard, pasting, a screen
    // reader's own typing) lands in the element; the entry box takes it from there.
    if (auto *box = qobject_cast<QLineEdit *>(control(name))) {
        box->setText(QString::fromStdString(text));
        if (box->text().toStdString() != text)
            s_page->m_elements.value(box).set("value", box->text().toStdString());
    }
}
