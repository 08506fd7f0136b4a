#pragma once

#include "Question.h"

#include <QList>
#include <QString>
#include <QStringList>

// Tests on paper, for a class with more students than computers: variants of 30 questions drawn
// from the bank by the test window's own rule (each question a uniform pick of the bank's rows,
// with replacement), printable on A4 with a page of answer keys after them.
namespace PaperTest {

constexpr int kQuestions = 30;
constexpr int kMostVariants = 200;

// The bank positions (0-based, in row order) of each variant's questions. The same seed and
// bank size give the same variants on every machine.
QList<QList<int>> draw(int variants, int bankSize, quint64 seed);

// The variants as one HTML page for printing: each variant on pages of its own with a line for
// the student's name, then the answer keys. warnings receives a question whose right answer is
// not 1..5 (its key is printed as "?").
QString html(const QList<Question>& bank, const QList<QList<int>>& variants, quint64 seed,
             QStringList& warnings);

} // namespace PaperTest
