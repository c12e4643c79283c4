#include "window/form1.h"
#include "window/startup.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    setUpApplication(app);
    Form1 window;
    window.show();
    return app.exec();
}
