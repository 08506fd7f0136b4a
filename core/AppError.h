#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the program. Anything that fails throws it; every event handler is run
// through guarded(), which shows the message in the default error box and lets the loop go on.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& message);

    QString message() const { return m_message; }
    // Where the error was raised: the module's file name and the offset inside it, for the
    // last-resort report.
    QString moduleName() const { return m_module; }
    quintptr moduleOffset() const { return m_offset; }

private:
    QString m_message;
    QString m_module;
    quintptr m_offset = 0;
};

// The connection to the course's server was lost and is closed (the server restarted, the
// network failed): the action may be tried again, and the next one connects anew.
class ConnectionLost : public AppError {
public:
    using AppError::AppError;
};

// The course's server cannot be reached at all. Start-up reports it once, not once per window.
class ServerUnreachable : public AppError {
public:
    using AppError::AppError;
};
