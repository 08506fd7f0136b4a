#pragma once

#include "ColumnCache.h"

#include <QList>
#include <array>
#include <functional>

// The question bank БДТест as one attempt sees it, read without loading the whole bank: one pass
// over the row ids, in the row order of every single-column statement of the table, gives the
// number of questions and the row at each position; then only the drawn rows are read. Both
// happen in one read transaction, so the count and the texts belong to one state of the bank.
namespace QuestionBank {

inline constexpr int kColumns = 7;
// Question, answers A..E, right-answer number: sparse lists as long as the bank, paired by
// position, holding the drawn rows only.
using Lists = std::array<ColumnCache, kColumns>;

// draw receives the number of questions just counted and returns the positions to read.
// Positions outside the bank are left out of the lists. Throws AppError for a store failure.
Lists load(const std::function<QList<int>(int rowCount)>& draw);

} // namespace QuestionBank
