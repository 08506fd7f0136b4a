#pragma once

#include "Migration.h"
#include "StoreAddress.h"

#include <QStringList>

class Console;

// Copies a whole course from one store to another: a db.mdb file to a lab server, a server
// course home or to a backup file, or a file to a file. The six tables are copied with their
// rows in the same order under the same row ids, and the results with any columns of their
// own; where the course keeps every answer (Ответы), the answers too, each with its result; and
// the course's settings. The server's bookkeeping (sessions, sign-in failures, the attempts it
// dealt) stays behind.
//
// The source is read in one state (one read-only transaction). A new file is written aside and
// renamed only once complete, and never over an existing file; a server course must have been
// set up (server-init) and hold no rows, and is filled in one transaction. On any failure the
// target is as it was.
namespace CourseCopy {

struct Outcome {
    QList<Migration::TableCount> tables;
    QStringList notes;    // what was not copied, and why
    QStringList problems; // what the copy lacks
};

Outcome run(const StoreAddress& source, const StoreAddress& target, Console& console);

} // namespace CourseCopy
