#include "Roles.h"

#include "Connection.h"
#include "Store.h"

bool administersHere(const QString& login)
{
    return isAdministrator(login) && Connection::shared().store().allowsAdministration();
}
