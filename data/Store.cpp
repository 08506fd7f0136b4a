#include "Store.h"

#include "AppError.h"

SignInVerdict Store::signIn(const QString&, const QString&)
{
    throw AppError(QStringLiteral("This database does not check sign-in itself"));
}
