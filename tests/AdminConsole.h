#pragma once

#include "Commands.h"
#include "Console.h"

#include <QStringList>

// Captures what okulyk-admin commands print, for the admin tests.
class CapturedConsole : public Console {
public:
    void out(const QString& text) override { output += text; }
    void err(const QString& text) override { messages += text; }

    QString output;
    QString messages;
};

// Runs one okulyk-admin command line in the test process.
struct AdminRun {
    int status = -1;
    QString output;
    QString messages;
};

inline AdminRun runAdmin(const QStringList& arguments)
{
    CapturedConsole console;
    const int status = Commands::run(arguments, console);
    return {status, console.output, console.messages};
}
