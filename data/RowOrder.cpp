#include "RowOrder.h"

#include "AppError.h"
#include "Query.h"
#include "Statements.h"

namespace {

QString refusal(const QString& table, const QString& reason)
{
    return QStringLiteral("The table %1 cannot be used: %2, so its rows have no stored order and "
                          "one row's values could be paired with another's. Make it an ordinary "
                          "table")
        .arg(table, reason);
}

} // namespace

namespace RowOrder {

QString problem(const QString& table)
{
    Query kind(QStringLiteral("tableKind"));
    kind.setStatement(Statements::tableKind);
    kind.bind(QStringLiteral("a"), table);
    kind.open();
    for (int row = 0; row < kind.rowCount(); ++row) {
        const QString type = kind.text(row, 0);
        if (type == QLatin1String("view"))
            return refusal(table, QStringLiteral("it is a view"));
        if (type != QLatin1String("table"))
            return refusal(table, QStringLiteral("it is a %1 table").arg(type));
        if (kind.text(row, 1) != QLatin1String("0"))
            return refusal(table, QStringLiteral("it is declared WITHOUT ROWID"));
    }

    Query columns(QStringLiteral("tableColumns"));
    columns.setStatement(Statements::tableColumns);
    columns.bind(QStringLiteral("a"), table);
    columns.open();
    for (int row = 0; row < columns.rowCount(); ++row) {
        // The statements say "rowid"; a column of that name would be ordered by instead.
        const QString name = columns.text(row, 0);
        if (name.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0)
            return refusal(table, QStringLiteral("its column \"%1\" hides the row id").arg(name));
    }
    return {};
}

void require(const QString& table)
{
    const QString reason = problem(table);
    if (!reason.isEmpty())
        throw AppError(reason);
}

} // namespace RowOrder
