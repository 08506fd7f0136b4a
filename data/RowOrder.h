#pragma once

#include <QString>

// Lists read from one table by separate statements pair up by position only when every one of
// them comes out in the table's stored row order, which the statements ask for with
// "order by rowid". A table without that order (a view, a virtual table, one declared WITHOUT
// ROWID, or one whose own column hides the row id) cannot be paired safely and is refused.
namespace RowOrder {

// Why the table's rows have no stored order to rely on, naming the table, or an empty text when
// they have one. A table that does not exist passes: the statements that read it report that
// themselves. Throws AppError when the store fails.
QString problem(const QString& table);

// Throws AppError with the problem, if there is one.
void require(const QString& table);

// The refusal of a table, naming it and the reason it has no stored order.
QString refusal(const QString& table, const QString& reason);

} // namespace RowOrder
