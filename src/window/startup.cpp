#include "startup.h"

#include "commandline.h"
#include "form1.h"
#ifdef Q_OS_WASM
#include "pageaccessibility.h"
#endif
#include "version.h"
#include "zoom.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>
#include <QSettings>
#include <QTranslator>

#include <cstdio>

void setUpApplication(QCoreApplication &app) {
    app.setOrganizationName(QStringLiteral(NURVELO_NAME));
    app.setApplicationName(QStringLiteral(NURVELO_NAME));
    app.setApplicationVersion(QStringLiteral(NURVELO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(NURVELO_APP_ID));
    // The window speaks German, so the menus, shortcut names and help Qt writes should too. Qt's
    // German is built into the program: a machine need not have Qt's translations installed.
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_de"), QStringLiteral(":/translations")))
        app.installTranslator(translator);
}

namespace {

// The help, the version or what was wrong, and the exit code.
int answer(const StartOptions &options) {
    const bool wrong = options.action == StartOptions::Error;
#ifdef Q_OS_WIN
    // A windowed program has no console to print to.
    QMessageBox box(wrong ? QMessageBox::Warning : QMessageBox::Information,
                    QCoreApplication::applicationName(), options.text);
    box.exec();
#else
    std::fputs(qPrintable(options.text + u'\n'), wrong ? stderr : stdout);
#endif
    return wrong ? 2 : 0;
}

// Only Linux chooses between window systems, and aborts without one.
#if defined(Q_OS_LINUX) && !defined(Q_OS_ANDROID) && !defined(Q_OS_WASM)
bool platformArgument(int argc, char *argv[]) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return true;
    return false;
}

// Whether the window system Qt is about to connect to is there. Asked only where Qt would
// otherwise abort: on X11 or Wayland with neither named, unless a platform is chosen.
bool displayNamed(int argc, char *argv[]) {
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    return qEnvironmentVariable("XDG_SESSION_TYPE") == u"wayland" || platformArgument(argc, argv);
}

// On GNOME's Wayland session the window goes through Xwayland, unless a platform is chosen: GNOME
// moves an X11 window that grows past the screen's edge back onto it, which a Wayland program
// cannot do for itself, and gives it GNOME's own title bar with its buttons.
void preferXwaylandOnGnome(int argc, char *argv[]) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY") ||
        qEnvironmentVariable("XDG_SESSION_TYPE") != u"wayland" ||
        !qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':').contains(u"GNOME") ||
        platformArgument(argc, argv))
        return;
    qputenv("QT_QPA_PLATFORM", "xcb");
}
#else
bool displayNamed(int, char *[]) {
    return true;
}

void preferXwaylandOnGnome(int, char *[]) {}
#endif

} // namespace

int startNurvelo(int argc, char *argv[]) {
#ifdef Q_OS_WASM
    // Qt's input method would keep the page's focus on an unnamed text field of its own; the
    // page's elements for each control take the keys instead (PageAccessibility).
    qputenv("QT_IM_MODULE", "none");
#endif
    if (displayNamed(argc, argv)) {
        preferXwaylandOnGnome(argc, argv);
        QApplication app(argc, argv);
        return runNurvelo(app);
    }
    QCoreApplication app(argc, argv);
    setUpApplication(app);
    const StartOptions options = parseCommandLine(app.arguments());
    if (options.action != StartOptions::Run)
        return answer(options);
    std::fputs(qPrintable(app.applicationName() + QStringLiteral(": kein Bildschirm gefunden; das "
                                                                 "Fenster braucht einen.\n")),
               stderr);
    return 1;
}

int runNurvelo(QApplication &app) {
    setUpApplication(app);
    const StartOptions options = parseCommandLine(app.arguments());
    if (options.action != StartOptions::Run)
        return answer(options);
#ifdef Q_OS_WASM
    for (const char *weight : {"Regular", "Bold"})
        QFontDatabase::addApplicationFont(
            QStringLiteral(":/fonts/LiberationSans-%1.ttf").arg(weight));
#endif
#ifdef Q_OS_WASM
    // In a browser a wait inside a handler suspends the whole call, and only one call can be
    // suspended at a time: a handler run straight from a click would lose its rest when a second
    // click came during its pause. Run from the event queue, the second click nests in the first.
    Form1 window(Qt::QueuedConnection);
    // The page is the window's screen: the window always fills it, and its size is the browser's.
    window.fillScreenForGood();
    // The page makes the window active while its controls are still hidden, and Qt then gives
    // the focus to the control after the one that asked for it.
    window.findChild<QWidget *>(QStringLiteral("txt_Eingabe"))->setFocus();
    new PageAccessibility(&window);
    window.setReadingAloud(options.readAloud);
#else
    Form1 window;
    window.startAt(options.zoom ? options.zoom : zoom::stored().value_or(zoom::kSmallest));
    window.setReadingAloud(options.readAloud ||
                           QSettings().value(QStringLiteral("vorlesen")).toBool());
    if (options.fullScreen)
        window.setFullScreen(true);
    else
        window.show();
#endif
    return app.exec();
}
