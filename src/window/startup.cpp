#include "startup.h"

#include "version.h"

#include <QApplication>

void setUpApplication(QApplication &app) {
    app.setApplicationName(QStringLiteral(NURVELO_NAME));
    app.setApplicationVersion(QStringLiteral(NURVELO_VERSION));
    app.setDesktopFileName(QStringLiteral(NURVELO_APP_ID));
}
