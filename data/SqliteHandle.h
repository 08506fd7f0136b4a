#pragma once

class QSqlDatabase;
struct sqlite3;

// The SQLite connection under a Qt connection, for what Qt does not offer (functions of the
// program's own, the transaction state); null when the driver is not SQLite or is closed.
sqlite3* sqliteHandle(const QSqlDatabase& db);
