#include "Transaction.h"

#include "AppError.h"
#include "Connection.h"
#include "Query.h"

#include <QSqlError>

Transaction::Transaction()
{
    Connection::shared().ensureOpen();
    // False when a transaction is already open on the connection: its end is someone else's.
    m_own = Connection::shared().database().transaction();
}

Transaction::~Transaction()
{
    if (m_own)
        Connection::shared().database().rollback();
}

void Transaction::commit()
{
    if (!m_own)
        return;
    QSqlDatabase db = Connection::shared().database();
    if (!db.commit()) {
        throw AppError(storeErrorText(db.lastError()));
    }
    m_own = false;
}
