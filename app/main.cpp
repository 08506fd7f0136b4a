#include "ErrorReport.h"
#include "MainWindow.h"
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
    try {
        windows.createAll();
    } catch (const std::exception& error) {
        ErrorReport::showFatal(error);
        return 1;
    }
    windows.form1()->show();
    return QApplication::exec();
}
