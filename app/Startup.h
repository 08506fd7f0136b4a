#pragma once

#include <functional>

namespace Startup {

// Builds the windows, shows the main window and runs the event loop; returns the exit status.
// An error that escapes the building of the windows ends the program: the last-resort report
// is shown and the status is 1.
int run(const std::function<void()>& buildWindows, const std::function<void()>& showMain);

} // namespace Startup
