#pragma once

#include <QString>
#include <QStringList>

class Query;

// The values of one column of a result, in row order, read as text (null as empty text) and
// addressed by zero-based row position. Lists loaded from the same table pair up by position.
class ColumnCache {
public:
    void clear() { m_values.clear(); }
    // Appends the first column of every row of an open result, first to last.
    void appendColumn(Query& query);
    void append(const QString& value) { m_values << value; }

    int count() const { return static_cast<int>(m_values.size()); }
    bool isEmpty() const { return m_values.isEmpty(); }
    // Throws AppError "List index out of bounds (i)" for a position outside the list.
    const QString& at(int index) const;
    const QStringList& values() const { return m_values; }

private:
    QStringList m_values;
};
