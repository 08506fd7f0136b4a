#include "SignInCheck.h"

#include "AppError.h"
#include "Connection.h"
#include "RowOrder.h"
#include "Statements.h"
#include "Transaction.h"

#include <QSysInfo>

bool SignInCheck::serverChecks()
{
    Connection& connection = Connection::shared();
    if (!connection.address().isServer())
        return false;
    connection.ensureOpen();
    return connection.store().checksSignIn();
}

void SignInCheck::openLogins()
{
    m_loginQuery.setStatement(Statements::selectLogins);
    m_passwordQuery.setStatement(Statements::selectPasswords);
    // Opening at creation shows that the statements run; the lists are read once, in load().
    m_loginQuery.setIncremental(true);
    m_passwordQuery.setIncremental(true);
    if (serverChecks()) {
        m_loginQuery.verify();
        return;
    }
    m_refusal = RowOrder::problem(kUsersTable);
    if (!m_refusal.isEmpty())
        throw AppError(m_refusal);
    m_loginQuery.open();
}

void SignInCheck::openPasswords()
{
    if (!serverChecks())
        m_passwordQuery.open();
}

void SignInCheck::load()
{
    m_logins.clear();
    m_passwords.clear();
    if (serverChecks())
        return;
    Transaction transaction(Transaction::Intent::ReadOnly);
    m_loginQuery.reopen();
    m_passwordQuery.reopen();
    m_logins.appendColumn(m_loginQuery);
    m_passwords.appendColumn(m_passwordQuery);
    transaction.commit();
}

SignInVerdict SignInCheck::check(const QString& login, const QString& password)
{
    if (!m_refusal.isEmpty())
        throw AppError(m_refusal);
    // The server checks it, and shows the teacher the computer's name beside the login.
    if (serverChecks())
        return Connection::shared().store().signIn(login, password, QSysInfo::machineHostName());
    const int n = m_loginQuery.rowCount();
    if (n <= 0)
        return SignInVerdict::NoSuchAccount;
    // The lists pair by position; only the first row with the login counts.
    for (int i = 0; i < n; ++i) {
        if (m_logins.at(i) == login)
            return m_passwords.at(i) == password ? SignInVerdict::Accepted
                                                 : SignInVerdict::WrongPassword;
    }
    return SignInVerdict::NoSuchAccount;
}
