#pragma once

#include "Cursor.h"

#include <QString>
#include <QStringList>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;
class FileStore;

// One statement run directly on a file store's SQLite handle: texts go in and come out as
// UTF-8, which Qt converts many times faster than the store's own UTF-16 translation that the
// Qt driver asks for, and no row is copied twice.
class StoreStatement : public Cursor {
public:
    // Prepares the text; throws AppError with the store's text when it cannot be prepared.
    StoreStatement(FileStore& store, const QString& text);
    ~StoreStatement() override;
    // Lets the statement go; the store does so before it closes.
    void finalize();
    StoreStatement(const StoreStatement&) = delete;
    StoreStatement& operator=(const StoreStatement&) = delete;

    // Binds a value to the named parameter (":name"); null stays null, text goes as UTF-8.
    void bind(const QString& name, const QVariant& value);
    // The same by the parameter's position (from 1), as parameterIndex gives it; 0 binds nothing.
    void bind(int index, const QVariant& value);
    int parameterIndex(const QString& name) const;
    // Runs a changing statement to its end and returns the number of rows it changed; the
    // statement is then ready to run again with new values.
    int execute();
    qint64 lastInsertId() const;

    bool next() override;
    int columnCount() const override;
    QStringList columnNames() const override;
    bool isIntegerColumn(int column) const override;
    QVariant value(int column) const override;
    QString text(int column) const override;

private:
    // Null once the store has let the statement go.
    FileStore* m_store;
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};
