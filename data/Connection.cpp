#include "Connection.h"

#include "AppError.h"
#include "Query.h"
#include "SqliteHandle.h"
#include "StoreStatement.h"
#include "UnicodeLike.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <sqlite3.h>

namespace {

bool hasWriteBits(const QString& path)
{
    // The file's own mode bits: WriteUser would say yes to root for any file.
    const auto permissions = QFile::permissions(path);
    return permissions &
           (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

AppError openError(const QString& path, const QString& reason)
{
    return AppError(QStringLiteral("Cannot open the database \"%1\": %2").arg(path, reason));
}

} // namespace

bool Connection::isAccessFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(32);
    return head.startsWith(QByteArray("\x00\x01\x00\x00", 4)) &&
           (head.contains("Standard Jet DB") || head.contains("Standard ACE DB"));
}

Connection& Connection::shared()
{
    static Connection connection;
    return connection;
}

void Connection::open()
{
    open(QDir::current().absoluteFilePath(kFileName));
}

void Connection::open(const QString& file)
{
    close();
    const QString path = QFileInfo(file).absoluteFilePath();
    const QFileInfo info(path);
    if (!info.exists())
        throw openError(path, QStringLiteral("the file does not exist"));
    if (!info.isFile())
        throw openError(path, QStringLiteral("it is not a file"));
    if (isAccessFile(path))
        throw openError(path,
                        QStringLiteral("it is a Microsoft Access database; this program reads "
                                       "SQLite databases only. Convert it with the command "
                                       "\"okulyk-admin migrate %1 new.mdb\", then replace %1 "
                                       "with new.mdb")
                            .arg(info.fileName()));

    // A file without write permission is opened read-only, so that changes fail with a clear
    // error instead of being written (root ignores the permission bits otherwise).
    const QString mode = hasWriteBits(path) ? QStringLiteral("rw") : QStringLiteral("ro");
    // A URI, so that a missing file is an error instead of a new empty database.
    const QString encodedPath = QString::fromUtf8(
        QUrl::fromLocalFile(path).toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority));
    QSqlDatabase db = QSqlDatabase::contains(kName)
                          ? QSqlDatabase::database(kName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kName);
    db.setDatabaseName(QStringLiteral("file:%1?mode=%2").arg(encodedPath, mode));
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs));
    if (!db.open())
        throw openError(path, storeErrorText(db.lastError()));

    // The like() function must be registered before any statement is active.
    if (!UnicodeLike::install(db)) {
        db.close();
        throw openError(path, QStringLiteral("the text search function could not be installed"));
    }
    // SQLite opens any file lazily; reading the schema proves it is a database and not locked.
    {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
            const QString reason = storeErrorText(probe.lastError());
            probe.finish();
            probe = QSqlQuery();
            db.close();
            throw openError(path, reason);
        }
    }
    m_path = path;
    ++m_generation;
}

void Connection::ensureOpen()
{
    if (!isOpen())
        open();
}

bool Connection::isOpen() const
{
    return !m_path.isEmpty() && QSqlDatabase::contains(kName) &&
           QSqlDatabase::database(kName, false).isOpen();
}

bool Connection::inTransaction() const
{
    sqlite3* handle = isOpen() ? sqliteHandle(database()) : nullptr;
    return handle && !sqlite3_get_autocommit(handle);
}

void Connection::close()
{
    for (StoreStatement* statement : std::as_const(m_statements))
        statement->finalize();
    m_statements.clear();
    m_path.clear();
    if (QSqlDatabase::contains(kName))
        QSqlDatabase::database(kName, false).close();
}

sqlite3* Connection::handle() const
{
    return isOpen() ? sqliteHandle(database()) : nullptr;
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(kName, false);
}
