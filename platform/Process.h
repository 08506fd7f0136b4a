#pragma once

#include <functional>

namespace Process {

// Ends the program with the given status: the event loop stops at once when it runs,
// otherwise the process exits.
void terminate(int status);

// Test seam: while set, terminate() calls the hook instead of ending anything.
void setTerminateHook(std::function<void(int)> hook);

} // namespace Process
