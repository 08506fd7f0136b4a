#include "Transaction.h"

#include "Connection.h"

Transaction::Transaction(Intent intent)
{
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    m_own = connection.store().begin(intent);
}

Transaction::~Transaction()
{
    if (m_own)
        Connection::shared().store().rollback();
}

void Transaction::commit()
{
    if (!m_own)
        return;
    Connection::shared().store().commit();
    m_own = false;
}
