#pragma once

#include <QString>

// The administrator is the user whose login is exactly RootLogin (case-sensitive, untrimmed).
inline const QString RootLogin = QStringLiteral("Chief");

inline bool isAdministrator(const QString& login)
{
    return login == RootLogin;
}
