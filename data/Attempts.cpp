#include "Attempts.h"

#include "Connection.h"

int storeAttempt(const AttemptToStore& attempt, const std::function<QList<int>()>& mark,
                 const std::function<void(int)>& announce)
{
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    return connection.store().storeAttempt(attempt, mark, announce);
}
