#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class Query;

// The values of one column of a result, in row order, read as text (null as empty text) and
// addressed by zero-based row position. Lists loaded from the same table pair up by position.
//
// A sparse list knows the length of its result but holds only the entries put into it, so a
// window that needs a few rows of a large table does not keep the texts of all the others.
class ColumnCache {
public:
    void clear();
    // Appends the first column of every row of an open result, first to last.
    void appendColumn(Query& query);
    void append(const QString& value) { m_values << value; }

    // Empties the list and makes it a sparse list of the given length.
    void resetSparse(int count);
    // Sets one entry of a sparse list.
    void put(int index, const QString& value);
    bool isSparse() const { return m_sparseCount >= 0; }

    int count() const { return isSparse() ? m_sparseCount : static_cast<int>(m_values.size()); }
    bool isEmpty() const { return count() == 0; }
    // Throws AppError "List index out of bounds (i)" for a position outside the list, and a
    // clear error for an entry of a sparse list that was never put.
    const QString& at(int index) const;
    // The entries of a list that is not sparse.
    const QStringList& values() const { return m_values; }

private:
    QStringList m_values;
    QHash<int, QString> m_sparse;
    int m_sparseCount = -1;
};
