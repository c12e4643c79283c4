#include "startup.h"

#include "commandline.h"
#include "form1.h"
#include "version.h"
#include "zoom.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <cstdio>

void setUpApplication(QApplication &app) {
    app.setOrganizationName(QStringLiteral(NURVELO_NAME));
    app.setApplicationName(QStringLiteral(NURVELO_NAME));
    app.setApplicationVersion(QStringLiteral(NURVELO_VERSION));
    app.setDesktopFileName(QStringLiteral(NURVELO_APP_ID));
    // The window speaks German, so the menus and shortcut names Qt draws should too. The
    // Windows program and the web page carry Qt's German inside; elsewhere, where Qt's
    // translations are not installed, they stay English.
    auto *translator = new QTranslator(&app);
    const QString german = QStringLiteral("qtbase_de");
    if (translator->load(german, QStringLiteral(":/translations")) ||
        translator->load(german, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);
}

int runNurvelo(QApplication &app) {
    setUpApplication(app);
    const StartOptions options = parseCommandLine(app.arguments());
    const bool wrong = options.action == StartOptions::Error;
    if (options.action != StartOptions::Run) {
#ifdef Q_OS_WIN
        // A windowed program has no console to print to.
        QMessageBox box(wrong ? QMessageBox::Warning : QMessageBox::Information,
                        app.applicationName(), options.text);
        box.exec();
#else
        std::fputs(qPrintable(options.text + u'\n'), wrong ? stderr : stdout);
#endif
        return wrong ? 2 : 0;
    }
    Form1 window;
    window.startAt(options.zoom ? options.zoom : zoom::stored().value_or(zoom::kSmallest));
    if (options.fullScreen)
        window.setFullScreen(true);
    else
        window.show();
    return app.exec();
}
