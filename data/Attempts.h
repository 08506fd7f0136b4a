#pragma once

#include "Store.h"

#include <functional>

// Stores a submitted attempt as one row of Тесты. score() scores it by the program's rule and
// announce() tells the user the score; on a computer that may not read the right answers the
// server scores it instead and score() is not called. Returns the score; throws AppError, and
// then nothing is stored.
int storeAttempt(const AttemptToStore& attempt, const std::function<int()>& score,
                 const std::function<void(int)>& announce);
