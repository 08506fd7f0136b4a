#pragma once

#include "ColumnCache.h"
#include "Query.h"
#include "Store.h"

// Checks a login and password the way sign-in does: the first row of Пользователи with that
// login, in stored row order, decides; logins and passwords compare exactly.
//
// Where the program may read the users table, the logins and passwords are read once, when the
// sign-in window is built, into two lists paired by position, and users added later sign in
// from the next start. On a lab computer, which never receives a password, the server checks
// each attempt itself.
class SignInCheck {
public:
    static inline const QString kUsersTable = QStringLiteral("Пользователи");
    // The most characters the sign-in window's fields take: a longer login or password could
    // never be typed there.
    static constexpr int kLongestTyped = 31;

    // The two data sets, opened as the sign-in window is built. openLogins() first refuses a
    // users table whose rows have no stored order: its logins could pair with other rows'
    // passwords. Each throws AppError.
    void openLogins();
    void openPasswords();
    // Why the users table was refused, or an empty text; every check repeats it.
    const QString& refusal() const { return m_refusal; }
    // Reads both lists, in one transaction so that they come from one state of the table.
    void load();

    // Throws AppError for a refused table or a store failure.
    SignInVerdict check(const QString& login, const QString& password);

    const ColumnCache& logins() const { return m_logins; }
    const ColumnCache& passwords() const { return m_passwords; }

private:
    bool serverChecks();

    Query m_loginQuery{QStringLiteral("ADOQuery1")};
    Query m_passwordQuery{QStringLiteral("ADOQuery2")};
    ColumnCache m_logins;
    ColumnCache m_passwords;
    QString m_refusal;
};
