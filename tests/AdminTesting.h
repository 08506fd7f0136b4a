#pragma once

#include "Commands.h"
#include "Console.h"
#include "Question.h"

#include <QStringList>

// Helpers of the okulyk-admin tests.

// Captures what the commands print.
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

inline Question question(const QString& text, std::array<QString, 5> options, int right)
{
    Question q;
    q.text = text;
    q.options = std::move(options);
    q.right = right;
    return q;
}
