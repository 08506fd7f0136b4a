#pragma once

#include "Query.h"

#include <QString>

// The changes user administration makes to the users table, all through one work query. A
// login is compared with RootLogin exactly, whatever collation the table gives its login
// column, so no change removes the administrator's row unless it means to.
//
// Each operation throws AppError when the store fails; the table is then unchanged.
class UserAccounts {
public:
    enum class Removal { Done, AdministratorKept };

    // Adds a row; empty texts are stored as empty texts, never as nulls. No check is made for an
    // existing login.
    void add(const QString& login, const QString& password, const QString& group);

    // Removes every row with this login and password. When the store's comparison would take
    // the administrator's row with them (a login differing from RootLogin only in letter case,
    // on a column that ignores it), nothing is removed and AdministratorKept is returned.
    Removal remove(const QString& login, const QString& password);

    // Replaces the administrator's rows that have the old password by one row with the new
    // password and an empty group. Returns false, changing nothing, when no such row exists.
    // The delete and the insert are stored together or not at all.
    bool changeAdministratorPassword(const QString& oldPassword, const QString& newPassword);

private:
    int execRemove(const QString& login, const QString& password);
    int administratorRows();

    Query m_work{QStringLiteral("ADOQuery1")};
};
