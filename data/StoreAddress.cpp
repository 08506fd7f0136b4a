#include "StoreAddress.h"

namespace {

const QString kServerPrefix = QStringLiteral("server:");

} // namespace

StoreAddress StoreAddress::parse(const QString& text)
{
    if (text.startsWith(kServerPrefix))
        return server(text.mid(kServerPrefix.size()));
    return file(text);
}

QString StoreAddress::text() const
{
    return isServer() ? kServerPrefix + service : path;
}
