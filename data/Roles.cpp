#include "Roles.h"

#include "Connection.h"
#include "Store.h"

bool administersHere(const QString& login)
{
    return isAdministrator(login) && Connection::shared().store().allowsAdministration();
}

bool administrationPossibleHere()
{
    // A store not open yet, or whose opening failed, reports its own errors when used.
    const Store& store = Connection::shared().store();
    return !store.isOpen() || store.allowsAdministration();
}
