#include "ColumnCache.h"

#include "AppError.h"
#include "Query.h"

void ColumnCache::clear()
{
    m_values.clear();
    m_sparse.clear();
    m_sparseCount = -1;
}

void ColumnCache::appendColumn(Query& query)
{
    m_values << query.columnTexts(0);
}

void ColumnCache::resetSparse(int count)
{
    clear();
    m_sparseCount = qMax(0, count);
}

void ColumnCache::put(int index, const QString& value)
{
    if (!isSparse() || index < 0 || index >= m_sparseCount)
        throw AppError(QStringLiteral("List index out of bounds (%1)").arg(index));
    m_sparse.insert(index, value);
}

const QString& ColumnCache::at(int index) const
{
    if (index < 0 || index >= count())
        throw AppError(QStringLiteral("List index out of bounds (%1)").arg(index));
    if (!isSparse())
        return m_values[index];
    const auto entry = m_sparse.constFind(index);
    if (entry == m_sparse.cend())
        throw AppError(QStringLiteral("List entry %1 was not loaded").arg(index));
    return *entry;
}
