#include "DrawRule.h"

#include <QRandomGenerator>
#include <QSet>
#include <numeric>

namespace DrawRule {

QList<int> draw(int bankSize, Mode mode, QRandomGenerator& random, int count)
{
    QList<int> positions;
    positions.reserve(count);
    if (bankSize <= 0)
        return QList<int>(count, 0);
    if (mode == Mode::WithReplacement) {
        for (int q = 0; q < count; ++q)
            positions << int(random.bounded(bankSize));
        return positions;
    }
    if (bankSize >= count) {
        // A pick already taken is drawn again: every set of distinct positions is equally likely,
        // and the bank (up to millions of rows) is never listed.
        QSet<int> taken;
        while (positions.size() < count) {
            const int pick = int(random.bounded(bankSize));
            if (!taken.contains(pick)) {
                taken.insert(pick);
                positions << pick;
            }
        }
        return positions;
    }
    // Rounds of the whole bank, each shuffled (Fisher-Yates), until count positions are dealt.
    QList<int> round(bankSize);
    while (positions.size() < count) {
        std::iota(round.begin(), round.end(), 0);
        for (int i = bankSize - 1; i > 0; --i)
            std::swap(round[i], round[int(random.bounded(i + 1))]);
        positions << round.mid(0, count - positions.size());
    }
    return positions;
}

} // namespace DrawRule
