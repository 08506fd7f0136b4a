#pragma once

#include "CourseTables.h"
#include "SourceDatabase.h"
#include "Statements.h"

#include <QStringList>

class Console;

// Brings a whole database over into a new SQLite file: every table with the same name, the same
// columns in the same order and the same rows in the same order (the program pairs rows by
// their order). The six tables the program needs get the course schema's column types, and
// their key column Код becomes the row id when its values allow (whole numbers, ascending in
// stored order), as in a database the program made itself; otherwise Код stays an ordinary
// column so that the rows keep their order.
//
// It all happens in one transaction on a temporary file beside the new one, renamed to the new
// name only once everything is stored: on any failure there is no new file at all.
namespace Migration {

// The new table for a source table. Course tables and their columns are matched in any letter
// case and take the schema's spelling. keyAsRowId says whether the key may become the row id.
struct TablePlan {
    QString name;
    QList<Statements::ColumnDefinition> columns;
    const CourseTables::Table* course = nullptr;
    int keyColumn = -1; // the course key column's position, if the source has it
    QStringList notes;
};
TablePlan plan(const SourceTable& table);

// Whether the column's values can be the row id: whole numbers, none missing, each above the one
// before.
bool ascendingWholeNumbers(const QList<QVariantList>& rows, int column);

// The SQLite type of a column of that kind, outside the course tables.
QString typeOf(ColumnKind kind);

struct TableCount {
    QString name;
    qint64 rows = 0;
};

struct Outcome {
    QList<TableCount> tables;
    QStringList notes;    // what changed on the way (names respelt, a key kept as a column)
    QStringList problems; // course tables or columns the new file lacks
};

// Refuses an existing target. Throws AppError; no file is then left behind. First removes the
// temporary files that earlier runs to the same target left when they were killed. label
// names the work on the progress line.
Outcome run(SourceDatabase& source, const QString& target, Console& console,
            const QString& label = QStringLiteral("migrating"));

} // namespace Migration
