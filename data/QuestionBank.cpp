#include "QuestionBank.h"

#include "Connection.h"

QuestionBank::QuestionBank() = default;
QuestionBank::~QuestionBank() = default;

QuestionBank::Lists QuestionBank::load(const DrawPositions& draw)
{
    m_rowIds.clear();
    m_picks.clear();
    m_dealtAttempt.clear();
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    const QuestionDraw drawn = connection.store().drawQuestions(m_cache, draw);

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
    m_picks = drawn.picks;
    m_dealtAttempt = drawn.dealtAttempt;
    return lists;
}
