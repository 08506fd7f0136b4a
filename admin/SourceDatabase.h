#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

// A database to migrate from, as the migration sees it: tables in order, their columns with a
// kind each, and rows handed over one at a time in stored order. The Access reader is one; the
// tests build others in memory.
enum class ColumnKind { Boolean, Integer, Real, Decimal, DateTime, Text, Blob };

struct SourceColumn {
    QString name;
    ColumnKind kind = ColumnKind::Text;
};

struct SourceTable {
    QString name;
    QList<SourceColumn> columns;
    qint64 rowCount = 0; // as the source says, for progress; the rows read are what counts
};

class SourceDatabase {
public:
    virtual ~SourceDatabase() = default;
    virtual QList<SourceTable> tables() const = 0;
    // Hands every row of the table (by its index in tables()) to the callback, first to last.
    // A value is null, a whole number (qint64), a double, a text or bytes. Throws AppError.
    virtual void readRows(int table, const std::function<void(const QVariantList& row)>& onRow) = 0;
    // What the source holds that is not migrated (linked tables, for one), a line each.
    virtual QStringList leftOut() const { return {}; }
};
