#pragma once

#include <QStringList>

// What the program was asked to do when it was started.
struct StartOptions {
    enum Action { Run, Help, Version, Error };
    Action action = Run;
    int zoom = 0; // percent; 0 keeps the zoom of last time
    bool fullScreen = false;
    bool readAloud = false;
    QString text; // the help, the version, or what was wrong
};

// Qt's own options (-style and so on) are gone from arguments by the time this reads them.
StartOptions parseCommandLine(const QStringList &arguments);
