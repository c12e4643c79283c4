#pragma once

class QApplication;

// Names the program and its version for the platform.
void setUpApplication(QApplication &app);
