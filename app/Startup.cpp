#include "Startup.h"

#include "ErrorReport.h"

#include <QApplication>

namespace Startup {

int run(const std::function<void()>& buildWindows, const std::function<void()>& showMain)
{
    try {
        buildWindows();
    } catch (const std::exception& error) {
        ErrorReport::showFatal(error);
        return 1;
    }
    showMain();
    return QApplication::exec();
}

} // namespace Startup
