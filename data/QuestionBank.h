#pragma once

#include "ColumnCache.h"
#include "Store.h"

#include <QHash>
#include <QList>
#include <array>
#include <functional>
#include <memory>

// The question bank БДТест as one attempt sees it, read without loading the whole bank: the
// number of questions in the row order of every single-column statement of the table, the
// positions drawn for the attempt, and the texts of the drawn rows only, all from one state of
// the bank. On a lab computer the server draws the attempt and names it. What the store keeps
// between attempts to do this quickly (the file's row ids while it is unchanged) stays here.
class QuestionBank {
public:
    static constexpr int kColumns = QuestionDraw::kColumns;
    // Question, answers A..E, right-answer number: sparse lists as long as the bank, paired by
    // position, holding the drawn rows only. Where this computer may not read the right
    // answers, the last list holds none.
    using Lists = std::array<ColumnCache, kColumns>;

    QuestionBank();
    ~QuestionBank();

    // draw receives the number of questions just counted and the course's mode, and returns
    // the positions to read, one per question number. Positions outside the bank are left out
    // of the lists. Throws AppError for a store failure; the last load is then forgotten.
    Lists load(const DrawPositions& draw);

    // The position drawn under each question number by the last load.
    const QList<int>& picks() const { return m_picks; }
    // The name the server dealt the last load's attempt under, or empty where this computer
    // draws its own attempts.
    const QString& dealtAttempt() const { return m_dealtAttempt; }
    // The bank row at a position the last load read, or 0.
    qint64 rowIdAt(int position) const { return m_rowIds.value(position); }

private:
    std::unique_ptr<Store::DrawCache> m_cache;
    QHash<int, qint64> m_rowIds;
    QList<int> m_picks;
    QString m_dealtAttempt;
};
