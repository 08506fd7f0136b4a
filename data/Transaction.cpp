#include "Transaction.h"

#include "AppError.h"
#include "Connection.h"
#include "Query.h"
#include "Statements.h"

#include <QSqlError>

Transaction::Transaction(Intent intent)
{
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    if (intent == Intent::Read) {
        // False when a transaction is already open on the connection: its end is someone else's.
        m_own = connection.database().transaction();
        return;
    }
    if (connection.inTransaction())
        return;
    Query begin(QStringLiteral("Transaction"));
    begin.setStatement(Statements::beginWriting);
    begin.execSql();
    m_own = true;
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
