#pragma once

class QApplication;

// Names the program and its version for the platform, and speaks German in Qt's own texts.
void setUpApplication(QApplication &app);

// Reads the command line, opens the window and runs until it is closed; the exit code.
int runNurvelo(QApplication &app);
