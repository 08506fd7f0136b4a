#include "ErrorReport.h"
#include "MainWindow.h"
#include "Startup.h"
#include "WindowRegistry.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ErrorReport::setApplicationTitleFromPath(QApplication::applicationFilePath());
    // The program ends when the main window closes or sign-in is cancelled, not when the last
    // visible window goes.
    QApplication::setQuitOnLastWindowClosed(false);

    WindowRegistry windows;
    return Startup::run([&windows] { windows.createAll(); },
                        [&windows] { windows.form1()->show(); });
}
