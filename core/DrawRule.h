#pragma once

#include <QList>

class QRandomGenerator;

// How an attempt's 30 questions are drawn from a bank of n questions, as positions 0..n-1 of the
// bank's row order. The test window, paper variants and the lab server all draw by this rule;
// the server's own copy of it (okulyk_draw_positions) follows it line for line.
namespace DrawRule {

constexpr int kQuestions = 30;

enum class Mode {
    // Each question a uniform pick of the bank, with replacement: a question may come up under
    // several numbers.
    WithReplacement,
    // "30 different questions": uniform without replacement while the bank has enough; a
    // smaller bank gives every question once, in random order, before any comes again.
    Different,
};

// count positions in 0..bankSize-1; an empty bank gives position 0 everywhere. The same
// generator state gives the same positions on every machine.
QList<int> draw(int bankSize, Mode mode, QRandomGenerator& random, int count = kQuestions);

} // namespace DrawRule
