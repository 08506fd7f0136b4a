#include "ErrorReport.h"

#include "AppError.h"
#include "Dialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace {

QString g_title;

QString demangledName(const std::exception& error)
{
    const char* raw = typeid(error).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(raw, nullptr, nullptr, &status),
                                                std::free);
    return QString::fromLatin1(status == 0 && name ? name.get() : raw);
}

QString messageOf(const std::exception& error)
{
    if (const auto* app = dynamic_cast<const AppError*>(&error))
        return app->message();
    return QString::fromLocal8Bit(error.what());
}

} // namespace

namespace ErrorReport {

QString titleFromProgramPath(const QString& programPath)
{
    const QString base = QFileInfo(programPath).completeBaseName();
    if (base.isEmpty())
        return base;
    return base.left(1).toUpper() + base.mid(1).toLower();
}

void setApplicationTitleFromPath(const QString& programPath)
{
    g_title = titleFromProgramPath(programPath);
}

QString applicationTitle()
{
    if (g_title.isEmpty())
        g_title = titleFromProgramPath(QCoreApplication::applicationFilePath());
    return g_title;
}

QString withFullStop(const QString& message)
{
    if (message.isEmpty() || message.back() <= QLatin1Char('.'))
        return message;
    return message + QLatin1Char('.');
}

void showError(const QString& message)
{
    Dialogs::error(withFullStop(message));
}

namespace {

// While the windows are built, an unreachable server is reported once, not by every window.
bool buildingWindows = false;
bool unreachableShown = false;

} // namespace

void showError(const std::exception& error)
{
    if (buildingWindows && dynamic_cast<const ServerUnreachable*>(&error)) {
        if (unreachableShown)
            return;
        unreachableShown = true;
    }
    showError(messageOf(error));
}

WindowBuilding::WindowBuilding()
{
    buildingWindows = true;
    unreachableShown = false;
}

WindowBuilding::~WindowBuilding()
{
    buildingWindows = false;
}

QString fatalReportText(const std::exception& error)
{
    QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    quintptr offset = 0;
    if (const auto* app = dynamic_cast<const AppError*>(&error);
        app && !app->moduleName().isEmpty()) {
        module = app->moduleName();
        offset = app->moduleOffset();
    }
    return QStringLiteral("Exception %1 in module %2 at %3.\n%4\n")
        .arg(demangledName(error), module,
             QStringLiteral("%1").arg(offset & 0xFFFFFFFFu, 8, 16, QLatin1Char('0')).toUpper(),
             withFullStop(messageOf(error)));
}

void showFatal(const std::exception& error)
{
    Dialogs::fatal(QStringLiteral("Application Error"), fatalReportText(error));
}

} // namespace ErrorReport
