#include "ColumnCache.h"

#include "AppError.h"
#include "Query.h"

void ColumnCache::appendColumn(Query& query)
{
    const int rows = query.rowCount();
    m_values.reserve(m_values.size() + rows);
    for (int row = 0; row < rows; ++row)
        m_values << query.text(row, 0);
}

const QString& ColumnCache::at(int index) const
{
    if (index < 0 || index >= m_values.size())
        throw AppError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_values[index];
}
