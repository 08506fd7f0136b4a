#pragma once

#include <QString>

// The companion's messages in Kazakh for the window: okulyk-admin writes them in English for
// the command line and its logs, and a teacher using the window reads them here in Kazakh. A
// message is matched whole against a catalogue of the companion's message shapes; what a shape
// holds (a reason inside "FILE:LINE: skipped: REASON") is put into Kazakh the same way, and
// anything the catalogue does not know (a file name, a number, a database's own error) stays as
// it was written.
namespace KazakhMessages {

QString translate(const QString& message);

} // namespace KazakhMessages
