#pragma once

#include "Question.h"

#include <functional>

// The question bank БДТест as the companion reads and writes it, over the shared connection.
namespace QuestionStore {

// Appends the questions after the rows already there, in order, in one transaction; progress
// receives the number stored so far. Throws AppError; the bank is then exactly as it was.
void append(const QList<Question>& questions, const std::function<void(qint64)>& progress = {});

// Every question in row order; line is the row's position (1-based). A right answer that is not
// a whole number 1..5 comes back as 0. progress receives the number read so far. Throws AppError.
QList<Question> readAll(const std::function<void(qint64)>& progress = {});

} // namespace QuestionStore
