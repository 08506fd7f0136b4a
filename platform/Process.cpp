#include "Process.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdlib>

namespace {
std::function<void(int)> g_hook;
}

namespace Process {

void terminate(int status)
{
    if (g_hook) {
        g_hook(status);
        return;
    }
    if (QCoreApplication::instance() && QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(status);
        return;
    }
    std::exit(status);
}

void setTerminateHook(std::function<void(int)> hook)
{
    g_hook = std::move(hook);
}

} // namespace Process
