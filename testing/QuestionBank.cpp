#include "QuestionBank.h"

#include "AppError.h"
#include "Connection.h"
#include "Query.h"
#include "RowOrder.h"
#include "Statements.h"
#include "Transaction.h"

namespace {

qint64 scalar(const QStringList& statement)
{
    Query query;
    query.setStatement(statement);
    query.open();
    return query.rowCount() > 0 ? query.value(0, 0).toLongLong() : -1;
}

} // namespace

// Inside a read transaction the data version is that of the snapshot being read.
QuestionBank::Stamp QuestionBank::currentStamp()
{
    return {Connection::shared().filePath(), scalar(Statements::dataVersion),
            scalar(Statements::connectionChanges)};
}

void QuestionBank::listRowIds()
{
    m_valid = false;
    m_rowIds.clear();
    RowOrder::require(QStringLiteral("БДТест"));
    Query ids(QStringLiteral("questionRowIds"));
    ids.setStatement(Statements::questionRowIds);
    ids.scan([this](const QSqlQuery& row) { m_rowIds.append(row.value(0).toLongLong()); });
}

QuestionBank::Lists QuestionBank::load(const std::function<QList<int>(int rowCount)>& draw)
{
    Transaction transaction;
    const Stamp stamp = currentStamp();
    if (!m_valid || !(stamp == m_listed)) {
        listRowIds();
        m_listed = stamp;
        m_valid = true;
    }
    const int rowCount = m_rowIds.size();

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
        row.bind(QStringLiteral("a"), m_rowIds.at(position));
        row.open();
        // Cannot happen while the stamp holds; it would mean the bank changed unnoticed.
        if (row.rowCount() != 1) {
            m_valid = false;
            throw AppError(QStringLiteral("The question bank changed while the test was being "
                                          "prepared; please try again"));
        }
        for (int column = 0; column < kColumns; ++column)
            lists[column].put(position, row.text(0, column));
    }
    row.close();
    transaction.commit();
    return lists;
}

void QuestionBank::noteOtherChanges(int rows)
{
    if (m_valid)
        m_listed.changes += rows;
}
