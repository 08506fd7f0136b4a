#pragma once

#include "Store.h"

#include <functional>

// Stores a submitted attempt as one row of Тесты and, where the course has the table Ответы, a
// row there for each of its questions, all or nothing. mark() marks each question by the
// program's rule (1 right, 0 wrong) and announce() tells the user the score; on a computer that
// may not read the right answers the server marks it instead and mark() is not called. Returns
// the score; throws AppError, and then nothing is stored.
int storeAttempt(const AttemptToStore& attempt, const std::function<QList<int>()>& mark,
                 const std::function<void(int)>& announce);
