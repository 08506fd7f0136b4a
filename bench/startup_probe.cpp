// The program's own start-up on the course folder it is started in, as okulyk does it, telling
// the start-up race when the sign-in window is first painted.

#include "ErrorReport.h"
#include "MainWindow.h"
#include "ReadySignal.h"
#include "SignInWindow.h"
#include "Startup.h"
#include "WindowRegistry.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ErrorReport::setApplicationTitleFromPath(QApplication::applicationFilePath());
    QApplication::setQuitOnLastWindowClosed(false);
    WindowRegistry windows;
    return Startup::run(
        [&windows] {
            windows.createAll();
            ReadySignal::watch(windows.form3());
        },
        [&windows] { windows.form1()->show(); });
}
