#include "RowOrder.h"

#include "AppError.h"
#include "Connection.h"
#include "Store.h"

namespace RowOrder {

QString problem(const QString& table)
{
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    return connection.store().rowOrderProblem(table);
}

QString refusal(const QString& table, const QString& reason)
{
    return QStringLiteral("The table %1 cannot be used: %2, so its rows have no stored order and "
                          "one row's values could be paired with another's. Make it an ordinary "
                          "table")
        .arg(table, reason);
}

void require(const QString& table)
{
    const QString reason = problem(table);
    if (!reason.isEmpty())
        throw AppError(reason);
}

} // namespace RowOrder
