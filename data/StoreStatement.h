#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

// One statement run directly on the shared connection's SQLite handle: texts go in and come out
// as UTF-8, which Qt converts many times faster than the store's own UTF-16 translation that
// the Qt driver asks for, and no row is copied twice. The rest of the program meets it through
// Query only.
class StoreStatement {
public:
    // Prepares the text; throws AppError with the store's text when it cannot be prepared.
    StoreStatement(sqlite3* db, const QString& text);
    ~StoreStatement();
    // Lets the statement go; the connection does so before it closes.
    void finalize();
    StoreStatement(const StoreStatement&) = delete;
    StoreStatement& operator=(const StoreStatement&) = delete;

    // Binds a value to the named parameter (":name"); null stays null, text goes as UTF-8.
    void bind(const QString& name, const QVariant& value);
    // The same by the parameter's position (from 1), as parameterIndex gives it; 0 binds nothing.
    void bind(int index, const QVariant& value);
    int parameterIndex(const QString& name) const;
    // The next row, true while there is one; throws AppError when the store fails.
    bool next();
    // Runs a changing statement to its end and returns the number of rows it changed; the
    // statement is then ready to run again with new values.
    int execute();
    qint64 lastInsertId() const;
    QStringList columnNames() const;
    int columnCount() const;
    // A value of the current row: integer, real, text, bytes, or null.
    QVariant value(int column) const;
    // A value of the current row as text, null as the empty text.
    QString text(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};
