#include "QuestionBank.h"

#include "Connection.h"
#include "Transaction.h"

QuestionBank::QuestionBank() = default;
QuestionBank::~QuestionBank() = default;

QuestionBank::Lists QuestionBank::load(const std::function<QList<int>(int rowCount)>& draw)
{
    m_rowIds.clear();
    Transaction transaction(Transaction::Intent::ReadOnly);
    const QuestionDraw drawn = Connection::shared().store().drawQuestions(m_cache, draw);
    transaction.commit();

    Lists lists;
    for (ColumnCache& list : lists)
        list.resetSparse(drawn.rowCount);
    for (const auto& [position, row] : drawn.rows) {
        for (int column = 0; column < kColumns; ++column) {
            if (column < kColumns - 1 || drawn.rightAnswers)
                lists[column].put(position, row.texts[column]);
        }
        m_rowIds.insert(position, row.rowId);
    }
    return lists;
}
