#pragma once

class QApplication;
class QCoreApplication;

// Names the program and its version for the platform, and speaks German in Qt's own texts.
void setUpApplication(QCoreApplication &app);

// Reads the command line, opens the window and runs until it is closed; the exit code.
int runNurvelo(QApplication &app);

// The program as started from the command line. Without a display (a terminal over ssh, say)
// it still answers --help, --version and a wrong option, which need no window.
int startNurvelo(int argc, char *argv[]);
