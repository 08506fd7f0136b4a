// okulyk-teacher: the teacher's companion in a window, over the same work as okulyk-admin.
//   okulyk-teacher [FILE]   FILE, a question file, is previewed for import at once
#include "ErrorReport.h"
#include "ImportPage.h"
#include "TeacherWindow.h"
#include "ToolkitTranslation.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("okulyk"));
    QApplication::setApplicationName(QStringLiteral("okulyk-teacher"));
    QApplication::setDesktopFileName(QStringLiteral("kz.okulyk.Teacher"));
    ErrorReport::setApplicationTitleFromPath(QApplication::applicationFilePath());
    ToolkitTranslation::install(app);

    TeacherWindow window;
    window.show();
    const QStringList arguments = QApplication::arguments().mid(1);
    if (!arguments.isEmpty() && QFileInfo(arguments.constFirst()).isFile())
        window.importPage()->preview(arguments.constFirst());
    return QApplication::exec();
}
