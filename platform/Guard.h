#pragma once

#include "ErrorReport.h"

#include <exception>
#include <utility>

// Runs one event handler to its end or to its first error. An error is shown in the default
// error box and the event loop goes on; nothing escapes into Qt. Returns false after an error.
template <typename Handler> bool guarded(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception& error) {
        ErrorReport::showError(error);
    } catch (...) {
        ErrorReport::showError(QStringLiteral("Unknown error"));
    }
    return false;
}
