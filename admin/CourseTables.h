#pragma once

#include <QList>
#include <QString>

// The six tables the program needs, with the columns and types of the course schema: the
// migration gives a migrated table of one of these names these types, so that the program
// reads it as it reads a database it made itself. A test checks them against the schema.
namespace CourseTables {

struct Column {
    QString name;
    QString type;
    bool key = false; // the row id (INTEGER PRIMARY KEY); not a column the program needs
};

struct Table {
    QString name;
    QList<Column> columns;
    // An index on the key column, as the schema has (empty when it has none).
    QString keyIndex;
};

const QList<Table>& all();

// The table of that name, in any letter case (the names were case-blind in Access), or null.
const Table* find(const QString& name);

} // namespace CourseTables
