#pragma once

#include <QtGlobal>
#include <vector>

// The row ids of a table in row order, kept as runs of consecutive ids: a bank of a million
// questions that has seen few deletions holds a handful of runs instead of a million ids.
// Ids must be appended in ascending order, as "order by rowid" gives them.
class RowIdList {
public:
    void clear();
    void append(qint64 id);

    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // The id at a zero-based position, 0 <= position < size().
    qint64 at(int position) const;
    // Number of runs held (for tests and measurements).
    int runs() const { return static_cast<int>(m_runs.size()); }

private:
    struct Run {
        int first; // position of the run's first id
        qint64 id; // the run's first id
        int length;
    };
    std::vector<Run> m_runs;
    int m_size = 0;
};
