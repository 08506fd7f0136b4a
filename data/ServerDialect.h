#pragma once

#include <QString>

class QSqlError;

// The few places where a statement of the program's catalogue reads differently on the
// PostgreSQL server, and the server's error texts as the program shows them.
namespace ServerDialect {

// The statement as the server runs it:
// - "Like :a" becomes "ILIKE :a ESCAPE ''": the server's LIKE folds no letter case and takes a
//   backslash as an escape, the program's folds every letter and has no escape;
// - "collate binary" (exact comparison) becomes the server's "C" collation;
// - an insert returns the new row's id, which the server gives no other way.
QString translate(const QString& text);

// The first line of the server's message, without its severity ("ERROR:  ").
QString errorText(const QSqlError& error);

// Whether the error means the connection to the server is gone (a restart, a network fault).
bool isConnectionLost(const QSqlError& error);

// A name quoted as an identifier ("Лекции", "a""b").
QString quotedName(const QString& name);

} // namespace ServerDialect
