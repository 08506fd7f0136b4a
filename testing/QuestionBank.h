#pragma once

#include "ColumnCache.h"
#include "RowIdList.h"

#include <QList>
#include <QString>
#include <array>
#include <functional>

// The question bank БДТест as one attempt sees it, read without loading the whole bank: the row
// ids, in the row order of every single-column statement of the table, give the number of
// questions and the row at each position; then only the drawn rows are read. Both happen in one
// read transaction, so the count and the texts belong to one state of the bank.
//
// Listing the ids means a pass over the whole table, so the list is kept between attempts
// (ids only, as runs of consecutive ids, no texts) for as long as the database provably has not
// changed: no other connection has committed anything and this connection has changed no rows but
// those it was told about.
class QuestionBank {
public:
    static constexpr int kColumns = 7;
    // Question, answers A..E, right-answer number: sparse lists as long as the bank, paired by
    // position, holding the drawn rows only.
    using Lists = std::array<ColumnCache, kColumns>;

    // draw receives the number of questions just counted and returns the positions to read.
    // Positions outside the bank are left out of the lists. Throws AppError for a store failure.
    Lists load(const std::function<QList<int>(int rowCount)>& draw);

    // The caller has just changed this many rows of other tables over the shared connection;
    // the ids listed stay valid.
    void noteOtherChanges(int rows);

private:
    void listRowIds();

    struct Stamp {
        QString file;
        qint64 dataVersion = -1;
        qint64 changes = -1;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp currentStamp();

    Stamp m_listed;
    bool m_valid = false;
    RowIdList m_rowIds;
};
