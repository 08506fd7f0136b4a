#include "UserAccounts.h"

#include "AppError.h"
#include "Roles.h"
#include "Statements.h"
#include "Transaction.h"

void UserAccounts::add(const QString& login, const QString& password, const QString& group)
{
    m_work.setStatement(Statements::addUser);
    m_work.bind(QStringLiteral("a1"), login);
    m_work.bind(QStringLiteral("a2"), password);
    m_work.bind(QStringLiteral("a3"), group);
    m_work.execSql();
}

int UserAccounts::execRemove(const QString& login, const QString& password)
{
    m_work.setStatement(Statements::removeUser);
    m_work.bind(QStringLiteral("a1"), login);
    m_work.bind(QStringLiteral("a2"), password);
    return m_work.execSql();
}

int UserAccounts::administratorRows()
{
    m_work.setStatement(Statements::exactLoginRows);
    m_work.bind(QStringLiteral("a"), RootLogin);
    m_work.open();
    const int rows = m_work.text(0, 0).toInt();
    m_work.close();
    return rows;
}

// The delete runs as written and is undone when it took an administrator's row: the count of
// those rows before and after tells, whatever the column's collation or the table's triggers.
UserAccounts::Removal UserAccounts::remove(const QString& login, const QString& password)
{
    Transaction transaction(Transaction::Intent::ReadThenWrite);
    const int before = administratorRows();
    execRemove(login, password);
    if (administratorRows() < before)
        return Removal::AdministratorKept;
    transaction.commit();
    return Removal::Done;
}

// Whether the old password was right is learnt from the delete itself, not from a count of the
// grid, which a filter on another login would leave unchanged.
bool UserAccounts::changeAdministratorPassword(const QString& oldPassword,
                                               const QString& newPassword)
{
    Transaction transaction(Transaction::Intent::ReadThenWrite);
    const int before = administratorRows();
    const int removed = execRemove(RootLogin, oldPassword);
    if (removed == 0)
        return false;
    // On a login column that ignores letter case the delete may also have taken rows such as
    // "chief" that share the old password; those belong to other users and are put back.
    const int administratorsRemoved = before - administratorRows();
    if (administratorsRemoved == 0)
        return false;
    if (removed != administratorsRemoved)
        throw AppError(
            QStringLiteral(
                "The administrator's password was not changed: the users table compares logins "
                "without regard to letter case, and other users whose login differs from \"%1\" "
                "only in letter case have the same password, so their rows would be deleted too")
                .arg(RootLogin));
    add(RootLogin, newPassword, QString());
    transaction.commit();
    return true;
}
