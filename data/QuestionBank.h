#pragma once

#include "ColumnCache.h"
#include "Store.h"

#include <QHash>
#include <QList>
#include <array>
#include <functional>
#include <memory>

// The question bank БДТест as one attempt sees it, read without loading the whole bank: the
// number of questions in the row order of every single-column statement of the table, and the
// texts of the drawn rows only, both from one state of the bank. What the store keeps between
// attempts to do this quickly (the file's row ids while it is unchanged) stays here.
class QuestionBank {
public:
    static constexpr int kColumns = QuestionDraw::kColumns;
    // Question, answers A..E, right-answer number: sparse lists as long as the bank, paired by
    // position, holding the drawn rows only. Where this computer may not read the right
    // answers, the last list holds none.
    using Lists = std::array<ColumnCache, kColumns>;

    QuestionBank();
    ~QuestionBank();

    // draw receives the number of questions just counted and returns the positions to read.
    // Positions outside the bank are left out of the lists. Throws AppError for a store failure.
    Lists load(const std::function<QList<int>(int rowCount)>& draw);

    // The bank row at a position the last load read, or 0.
    qint64 rowIdAt(int position) const { return m_rowIds.value(position); }

private:
    std::unique_ptr<Store::DrawCache> m_cache;
    QHash<int, qint64> m_rowIds;
};
