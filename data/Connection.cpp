#include "Connection.h"

#include "AppError.h"
#include "FileStore.h"
#include "FileSystem.h"
#include "ServerStore.h"

Connection::Connection() = default;
Connection::~Connection() = default;

// Never destroyed: the driver's registry of connections is gone by the time static objects
// are, and the process ends with the connection anyway.
Connection& Connection::shared()
{
    static Connection* connection = new Connection;
    return *connection;
}

bool Connection::isAccessFile(const QString& path)
{
    return FileStore::isAccessFile(path);
}

void Connection::setAddress(const StoreAddress& address)
{
    m_address = address;
    if (m_store && !(m_store->address() == address))
        m_store.reset();
}

Store& Connection::store()
{
    return m_store ? *m_store : storeAt(m_address);
}

Store& Connection::storeAt(const StoreAddress& address)
{
    if (m_store && m_store->address() == address)
        return *m_store;
    m_store.reset();
    if (address.isServer()) {
        m_store = std::make_unique<ServerStore>(address, kName);
    } else {
        auto file = std::make_unique<FileStore>(address, kName);
        file->setBusyTimeoutMs(m_busyTimeoutMs);
        m_store = std::move(file);
    }
    return *m_store;
}

void Connection::open()
{
    if (m_holdFailedOpen && !m_heldFailure.isEmpty())
        throw ServerUnreachable(m_heldFailure);
    try {
        storeAt(m_address).open();
    } catch (const ServerUnreachable& error) {
        if (m_holdFailedOpen)
            m_heldFailure = error.message();
        throw;
    }
    ++m_generation;
}

void Connection::holdFailedOpen(bool hold)
{
    m_holdFailedOpen = hold;
    m_heldFailure.clear();
}

void Connection::open(const QString& path)
{
    storeAt(StoreAddress::file(path)).open();
    ++m_generation;
}

void Connection::ensureOpen()
{
    if (!isOpen())
        open();
}

bool Connection::onServer() const
{
    return m_store ? m_store->address().isServer() : m_address.isServer();
}

bool Connection::isOpen() const
{
    return m_store && m_store->isOpen();
}

void Connection::close()
{
    if (m_store)
        m_store->close();
}

bool Connection::inTransaction() const
{
    return m_store && m_store->isOpen() && m_store->inTransaction();
}

QString Connection::networkFileSystem() const
{
    if (!isOpen() || m_store->address().isServer())
        return {};
    return FileSystem::networkName(m_store->location());
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(kName, false);
}

QString Connection::location() const
{
    return m_store ? m_store->location() : QString();
}

quint64 Connection::generation() const
{
    return m_generation;
}

void Connection::setBusyTimeoutMs(int ms)
{
    m_busyTimeoutMs = ms;
    if (auto* file = dynamic_cast<FileStore*>(m_store.get()))
        file->setBusyTimeoutMs(ms);
}
