#pragma once

#include "StoreAddress.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>

class Store;

// The one shared connection of the program (ADOConnection1): to "db.mdb" in the current folder
// by default, or to the course on a server. A file is opened read-write and never created.
// After a failed open, or a server connection that was lost, the next data set or statement
// opens it again (a file resolved against the folder current at that moment).
class Connection {
public:
    static inline const QString kFileName = QStringLiteral("db.mdb");
    static inline const QString kName = QStringLiteral("ADOConnection1");

    static Connection& shared();

    // Where open() opens from now on; closes what is open.
    void setAddress(const StoreAddress& address);
    const StoreAddress& address() const { return m_address; }

    // Throws AppError with a clear message when the file is missing, is not a database the
    // program can read, or is locked past the busy timeout, or the server cannot be reached.
    void open();
    // Opens the given file instead, with the same rules (the teacher's companion names its
    // database on the command line); open() goes back to the address set.
    void open(const QString& path);
    void ensureOpen();
    bool isOpen() const;
    void close();
    // Whether a transaction is open on the connection, whoever began it.
    bool inTransaction() const;

    // The store of the current address (made on first use); open or not.
    Store& store();
    // Whether the store in use (the one opened last) is a server's, whose statements differ.
    bool onServer() const;
    QSqlDatabase database() const;
    // The absolute path of the open database file, or "server:NAME" (empty while a file is
    // closed).
    QString location() const;
    // Whether the file begins like a Microsoft Access (Jet or ACE) database.
    static bool isAccessFile(const QString& path);
    // The network file system ("NFS", "SMB/CIFS") the open database file lies on, or an empty
    // text (a local file, or a server).
    QString networkFileSystem() const;
    // Counts the opens, so that a statement prepared on an earlier opening is prepared again.
    quint64 generation() const;

    // While held (start-up building every window), a server that could not be reached is not
    // tried again: each later use fails at once with the same ServerUnreachable, instead of
    // waiting out a connection timeout per window. Released, the next use tries again.
    void holdFailedOpen(bool hold);

    // How long a statement waits for another program that holds the file.
    void setBusyTimeoutMs(int ms);
    int busyTimeoutMs() const { return m_busyTimeoutMs; }

private:
    Connection();
    ~Connection();
    Store& storeAt(const StoreAddress& address);

    StoreAddress m_address;
    std::unique_ptr<Store> m_store;
    quint64 m_generation = 0;
    int m_busyTimeoutMs = 5000;
    bool m_holdFailedOpen = false;
    QString m_heldFailure;
};
