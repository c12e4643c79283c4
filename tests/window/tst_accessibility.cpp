#include "window/form1.h"

#include <QAccessible>
#include <QLineEdit>
#include <QTest>

#if __has_include(<qpa/qplatformaccessibility.h>)
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#define NURVELO_CAN_SWITCH_ON_ACCESSIBILITY
#endif

// The window as a screen reader meets it: through the accessible tree, not the widget tree.
class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void everyControlCanBeToldApart();
    void digitChangesAreAnnounced_data();
    void digitChangesAreAnnounced();

private:
    std::unique_ptr<Form1> m_form;
};

namespace {

// Name changes as assistive technology receives them: "object name=spoken name".
QStringList announced;
bool recording = false;

#ifdef NURVELO_CAN_SWITCH_ON_ACCESSIBILITY
void record(QAccessibleEvent *event) {
    if (!recording || event->type() != QAccessible::NameChanged)
        return;
    QAccessibleInterface *iface = event->accessibleInterface();
    announced << event->object()->objectName() + u'=' + iface->text(QAccessible::Name);
}
#endif

void collect(QAccessibleInterface *parent, QHash<QString, QAccessibleInterface *> &found) {
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface *child = parent->child(i);
        QVERIFY(child && child->isValid());
        QCOMPARE(child->parent(), parent);
        found.insert(child->object()->objectName(), child);
        collect(child, found);
    }
}

QHash<QString, QAccessibleInterface *> accessibleTree(QWidget *window) {
    QHash<QString, QAccessibleInterface *> found;
    collect(QAccessible::queryAccessibleInterface(window), found);
    return found;
}

} // namespace

void TestAccessibility::initTestCase() {
#ifdef NURVELO_CAN_SWITCH_ON_ACCESSIBILITY
    // Nothing is sent while no screen reader listens; the platform would switch it on for one.
    QAccessible::installUpdateHandler(&record);
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    QVERIFY(QAccessible::isActive());
#endif
}

void TestAccessibility::init() {
    m_form = std::make_unique<Form1>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestAccessibility::cleanup() {
    recording = false;
    announced.clear();
    m_form.reset();
}

void TestAccessibility::controls_data() {
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    const auto row = [](const char *control, QAccessible::Role role, const char *name,
                        const char *description) {
        QTest::newRow(control) << role << QString::fromUtf8(name) << QString::fromUtf8(description);
    };
    constexpr QAccessible::Role text = QAccessible::StaticText;
    constexpr QAccessible::Role button = QAccessible::Button;
    constexpr QAccessible::Role entry = QAccessible::EditableText;

    // One of each kind; everyControlCanBeToldApart covers the rest.
    row("lbl_Zehner_Text", text, "Zehner", "Überschrift der Spalte Zehner");
    row("lbl_Einer", text, "0", "Einer des Zählers");
    row("lbl_Tausender_add", text, "0", "Tausender der Hilfszahl");
    row("cmd_Hunderter_plus", button, "Hunderter plus eins",
        "Zählt einen Hunderter zum Zähler dazu.");
    row("cmd_Zehner_minus", button, "Zehner minus eins", "Nimmt einen Zehner vom Zähler weg.");
    // The arrows have no caption: they are named by what they do.
    row("cmd_Einer_add_plus", button, "Eine Einheit Einer von der Hilfszahl in den Zähler",
        "Grüner Pfeil nach oben: nimmt der Hilfszahl einen Einer weg und zählt ihn zum Zähler "
        "dazu.");
    row("cmd_Einer_add_minus", button, "Eine Einheit Einer vom Zähler in die Hilfszahl",
        "Roter Pfeil nach unten: nimmt dem Zähler einen Einer weg und zählt ihn zur Hilfszahl "
        "dazu.");
    row("txt_Eingabe", entry, "Eingabe für den Zähler",
        "Eine Zahl mit bis zu vier Zeichen. OK setzt den Zähler auf diese Zahl.");
    row("cmd_ok", button, "OK für den Zähler", "Setzt den Zähler auf die eingegebene Zahl.");
    row("cmd_AktZahl_loeschen", button, "Zähler löschen", "Setzt den Zähler auf 0.");
    row("txt_Eingabe_add", entry, "Eingabe für die Hilfszahl",
        "Eine Zahl mit bis zu vier Zeichen. OK setzt die Hilfszahl auf diese Zahl.");
    row("cmd_ok_add", button, "OK für die Hilfszahl",
        "Setzt die Hilfszahl auf die eingegebene Zahl.");
    row("cmd_Hilfszahl_loeschen", button, "Hilfszahl löschen", "Setzt die Hilfszahl auf 0.");
}

void TestAccessibility::controls() {
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(QString, description);

    QAccessibleInterface *control = accessibleTree(m_form.get()).value(QTest::currentDataTag());
    QVERIFY2(control, "not in the accessible tree");
    QCOMPARE(control->role(), role);
    QCOMPARE(control->text(QAccessible::Name), name);
    QCOMPARE(control->text(QAccessible::Description), description);
    QVERIFY(!control->state().invisible);
}

// Two controls with the same name could not be told apart by ear.
void TestAccessibility::everyControlCanBeToldApart() {
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_form.get());
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Nurvelo"));

    const auto tree = accessibleTree(m_form.get());
    QCOMPARE(tree.size(), 34);
    QSet<QString> names;
    for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
        QAccessibleInterface *control = it.value();
        const QString name = control->text(QAccessible::Name);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(it.key()));
        QVERIFY2(!control->text(QAccessible::Description).isEmpty(), qPrintable(it.key()));
        const QAccessible::Role role = control->role();
        QVERIFY2(role == QAccessible::StaticText || role == QAccessible::Button ||
                     role == QAccessible::EditableText,
                 qPrintable(it.key()));
        if (control->state().focusable) {
            QVERIFY2(!names.contains(name), qPrintable(name));
            names.insert(name);
        }
    }
    QCOMPARE(names.size(), 22);
}

void TestAccessibility::digitChangesAreAnnounced_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("counter entry")
        << ""
        << "txt_Eingabe"
        << "4711"
        << "cmd_ok"
        << QStringList{"lbl_Tausender=4", "lbl_Hunderter=7", "lbl_Zehner=1", "lbl_Einer=1"};
    // A cell that keeps its digit stays quiet.
    QTest::newRow("only the units change") << ""
                                           << "txt_Eingabe"
                                           << "7"
                                           << "cmd_ok" << QStringList{"lbl_Einer=7"};
    QTest::newRow("lower places change") << "4711"
                                         << "txt_Eingabe"
                                         << "4700"
                                         << "cmd_ok" << QStringList{"lbl_Zehner=0", "lbl_Einer=0"};
    QTest::newRow("Hilfszahl below zero")
        << ""
        << "txt_Eingabe_add"
        << "-5"
        << "cmd_ok_add"
        << QStringList{"lbl_Tausender_add=-1", "lbl_Hunderter_add=9", "lbl_Zehner_add=9",
                       "lbl_Einer_add=5"};
    QTest::newRow("clearing") << "4711"
                              << ""
                              << ""
                              << "cmd_AktZahl_loeschen"
                              << QStringList{"lbl_Tausender=0", "lbl_Hunderter=0", "lbl_Zehner=0",
                                             "lbl_Einer=0"};
    QTest::newRow("clearing a clear row") << ""
                                          << ""
                                          << ""
                                          << "cmd_Hilfszahl_loeschen" << QStringList{};
}

// Through the window's own click handlers; entries and clearing write without a highlight pause.
void TestAccessibility::digitChangesAreAnnounced() {
#ifndef NURVELO_CAN_SWITCH_ON_ACCESSIBILITY
    QSKIP("switching accessibility on needs Qt's private headers (qt6-base-private-dev)");
#endif
    QFETCH(QString, before);
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(QStringList, expected);

    const auto click = [this](const QString &name) {
        QTest::mouseClick(m_form->findChild<QWidget *>(name), Qt::LeftButton);
    };
    if (!before.isEmpty()) {
        m_form->findChild<QLineEdit *>(QStringLiteral("txt_Eingabe"))->setText(before);
        click(QStringLiteral("cmd_ok"));
    }
    if (!box.isEmpty())
        m_form->findChild<QLineEdit *>(box)->setText(typed);

    recording = true;
    click(button);
    recording = false;

    announced.sort();
    expected.sort();
    QCOMPARE(announced, expected);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
