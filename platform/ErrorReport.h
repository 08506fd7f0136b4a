#pragma once

#include <QString>
#include <exception>

namespace ErrorReport {

// Title of every message box: the program's file name without folder and extension,
// first letter upper case, the rest lower case ("okulyk" -> "Okulyk").
QString applicationTitle();
void setApplicationTitleFromPath(const QString& programPath);
QString titleFromProgramPath(const QString& programPath);

// The message as the default error box shows it: a full stop is added unless the text already
// ends in one or in a character that sorts below it (a blank, "!", a closing quote...).
QString withFullStop(const QString& message);

// The default error box: error icon, OK, the application's title.
void showError(const QString& message);
void showError(const std::exception& error);

// While it lives (start-up building the windows), a course server that cannot be reached is
// reported once: every window's data sets meet the same failure.
class WindowBuilding {
public:
    WindowBuilding();
    ~WindowBuilding();
    WindowBuilding(const WindowBuilding&) = delete;
    WindowBuilding& operator=(const WindowBuilding&) = delete;
};

// The last-resort report for an error that escaped start-up; the caller then exits with status 1.
QString fatalReportText(const std::exception& error);
void showFatal(const std::exception& error);

} // namespace ErrorReport
