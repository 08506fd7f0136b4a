#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The rows of one running statement, read first to last. Each store has its own: the file
// store's reads the database handle directly, the server store's wraps the driver's result.
class Cursor {
public:
    virtual ~Cursor() = default;

    // Moves to the next row; false after the last. Throws AppError when the store fails.
    virtual bool next() = 0;
    virtual int columnCount() const = 0;
    virtual QStringList columnNames() const = 0;
    // Whether the column holds whole numbers by its declared type (grids align and check them).
    virtual bool isIntegerColumn(int column) const = 0;
    // A value of the current row: integer, real, text, bytes, or null.
    virtual QVariant value(int column) const = 0;
    // A value of the current row as text, null as the empty text.
    virtual QString text(int column) const = 0;
};
