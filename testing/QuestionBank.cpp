#include "QuestionBank.h"

#include "AppError.h"
#include "Query.h"
#include "Statements.h"
#include "Transaction.h"

#include <vector>

namespace QuestionBank {

Lists load(const std::function<QList<int>(int rowCount)>& draw)
{
    Transaction transaction;

    std::vector<qint64> rowIds;
    Query ids(QStringLiteral("questionRowIds"));
    ids.setStatement(Statements::questionRowIds);
    ids.scan([&rowIds](const QSqlQuery& row) { rowIds.push_back(row.value(0).toLongLong()); });
    const int rowCount = static_cast<int>(rowIds.size());

    const QList<int> positions = draw(rowCount);
    Lists lists;
    for (ColumnCache& list : lists)
        list.resetSparse(rowCount);

    Query row(QStringLiteral("questionById"));
    row.setStatement(Statements::questionById);
    QList<int> done;
    for (const int position : positions) {
        if (position < 0 || position >= rowCount || done.contains(position))
            continue;
        done << position;
        row.bind(QStringLiteral("a"), rowIds[static_cast<size_t>(position)]);
        row.open();
        // Cannot happen inside the read transaction; it would mean a bank changed under us.
        if (row.rowCount() != 1)
            throw AppError(QStringLiteral("The question bank changed while the test was being "
                                          "prepared; please try again"));
        for (int column = 0; column < kColumns; ++column)
            lists[column].put(position, row.text(0, column));
    }
    row.close();
    transaction.commit();
    return lists;
}

} // namespace QuestionBank
