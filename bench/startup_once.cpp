// One start-up of the program on the course folder it is started in, ending as soon as the
// sign-in window is up: the run to count with callgrind, whose instruction counts are the same
// from run to run on a busy machine.
//   cd COURSE && valgrind --tool=callgrind startup_once

#include "MainWindow.h"
#include "Startup.h"
#include "WindowRegistry.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    WindowRegistry windows;
    return Startup::run([&windows] { windows.createAll(); },
                        [&windows] {
                            windows.form1()->show();
                            QTimer::singleShot(0, [] { QApplication::exit(0); });
                        });
}
