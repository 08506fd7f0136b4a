#include "RowIdList.h"

#include <algorithm>

void RowIdList::clear()
{
    m_runs.clear();
    m_size = 0;
}

void RowIdList::append(qint64 id)
{
    if (!m_runs.empty()) {
        Run& last = m_runs.back();
        if (id == last.id + last.length) {
            ++last.length;
            ++m_size;
            return;
        }
    }
    m_runs.push_back({m_size, id, 1});
    ++m_size;
}

qint64 RowIdList::at(int position) const
{
    // The last run that starts at or before the position.
    auto run = std::upper_bound(m_runs.begin(), m_runs.end(), position,
                                [](int value, const Run& r) { return value < r.first; });
    --run;
    return run->id + (position - run->first);
}
