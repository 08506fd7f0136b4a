#pragma once

#include "DrawRule.h"
#include "Question.h"

#include <QList>
#include <QString>
#include <QStringList>

// Tests on paper, for a class with more students than computers: variants of 30 questions drawn
// from the bank by the test window's own rule (with replacement, or 30 different questions where
// the course asks for them), printable on A4 with a page of answer keys after them.
namespace PaperTest {

constexpr int kQuestions = DrawRule::kQuestions;
constexpr int kMostVariants = 200;

// The bank positions (0-based, in row order) of each variant's questions. The same seed, bank
// size and mode give the same variants on every machine.
QList<QList<int>> draw(int variants, int bankSize, quint64 seed,
                       DrawRule::Mode mode = DrawRule::Mode::WithReplacement);

// The variants as one HTML page for printing: each variant on pages of its own with a line for
// the student's name, then the answer keys. warnings receives a question whose right answer is
// not 1..5 (its key is printed as "?").
QString html(const QList<Question>& bank, const QList<QList<int>>& variants, quint64 seed,
             QStringList& warnings);

} // namespace PaperTest
