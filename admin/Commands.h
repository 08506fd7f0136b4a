#pragma once

#include <QStringList>

class Console;

// okulyk-admin, the teacher's companion: question banks in and out of БДТест, results out as
// CSV and as a printable report, and an old Access database brought over into SQLite. Every
// command is one transaction or one file written whole; nothing is left half-written.
namespace Commands {

enum Status {
    Done = 0,
    Failed = 1,     // nothing was changed or written
    WrongUsage = 2, // the command line is wrong; nothing was done
    DoneWithWarnings =
        3,       // done, but some input was skipped or something is missing (see the messages)
    Stopped = 4, // the user cancelled (a window's Cancel); nothing was changed or written
};

// Runs the command named by the first argument (the program's own name left out).
int run(const QStringList& arguments, Console& console);

QString helpText();

} // namespace Commands
