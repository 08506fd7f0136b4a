#pragma once

#include <QString>

// The administrator is the user whose login is exactly RootLogin (case-sensitive, untrimmed).
inline const QString RootLogin = QStringLiteral("Chief");

inline bool isAdministrator(const QString& login)
{
    return login == RootLogin;
}

// Whether the login is the administrator and may administer the course from this computer: a
// lab computer, whose credentials a student can read, shows nobody the administrator's
// controls.
bool administersHere(const QString& login);

// Whether anybody may administer the course from this computer, as far as is known: false on a
// lab computer. The administrator's windows open their data sets at start-up only where it may
// be true, since a lab computer's role may not read what they show (passwords, right answers).
bool administrationPossibleHere();
