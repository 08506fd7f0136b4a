#include "Connection.h"
#include "CourseFolder.h"
#include "Dialogs.h"
#include "ErrorReport.h"
#include "Guard.h"
#include "MainWindow.h"
#include "Startup.h"
#include "ToolkitTranslation.h"
#include "WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>

namespace {

// The folder the program is to work in, entered; false after telling the user why it cannot be.
bool enterCourseFolder(const CourseFolder::Request& request)
{
    QString folder = request.folder;
    if (request.kind == CourseFolder::Request::Kind::Default) {
        const QString own = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                            QStringLiteral("/okulyk/course");
        folder = CourseFolder::defaultFolder(QStringLiteral(OKULYK_CONFIG_FILE), own);
        if (folder == own) {
            const QString demo = QDir::cleanPath(QApplication::applicationDirPath() +
                                                 QStringLiteral("/" OKULYK_BIN_TO_COURSE));
            if (!guarded([&] {
                    CourseFolder::ensureCopy(demo, {demo, QStringLiteral(OKULYK_INSTALLED_COURSE)},
                                             own);
                }))
                return false;
        }
    }
    if (folder.isEmpty())
        return true;
    if (!QDir::setCurrent(folder)) {
        ErrorReport::showError(QStringLiteral("Курс бумасы табылмады: %1").arg(folder));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ErrorReport::setApplicationTitleFromPath(QApplication::applicationFilePath());
    QApplication::setDesktopFileName(QStringLiteral("kz.okulyk.Okulyk"));
    // The program ends when the main window closes or sign-in is cancelled, not when the last
    // visible window goes.
    QApplication::setQuitOnLastWindowClosed(false);
    ToolkitTranslation::install(app);

    const CourseFolder::Request request = CourseFolder::parse(QApplication::arguments());
    switch (request.kind) {
    case CourseFolder::Request::Kind::Help:
        std::fputs(qPrintable(CourseFolder::usage()), stdout);
        return 0;
    case CourseFolder::Request::Kind::Invalid:
        std::fprintf(stderr, "okulyk: %s\n\n%s", qPrintable(request.error),
                     qPrintable(CourseFolder::usage()));
        return 2;
    default:
        if (!enterCourseFolder(request))
            return 1;
    }
    // The course on a lab server, when one is named; db.mdb in the folder otherwise.
    QString server = request.server;
    if (server.isEmpty() && request.kind == CourseFolder::Request::Kind::Default)
        server = CourseFolder::configuredServer(QStringLiteral(OKULYK_CONFIG_FILE));
    if (!server.isEmpty())
        Connection::shared().setAddress(StoreAddress::server(server));

    WindowRegistry windows;
    return Startup::run([&windows] { windows.createAll(); },
                        [&windows] { windows.form1()->show(); });
}
