#pragma once

#include <QSet>
#include <QSqlDatabase>
#include <QString>

// The one shared connection to "db.mdb" in the current folder (ADOConnection1). It is opened
// read-write and never creates the file. After a failed open, the next data set or statement
// opens it again, resolving the file against the current folder at that moment.
class Connection {
public:
    static inline const QString kFileName = QStringLiteral("db.mdb");
    static inline const QString kName = QStringLiteral("ADOConnection1");

    static Connection& shared();

    // Throws AppError with a clear message when the file is missing, is not a database the
    // program can read, or is locked past the busy timeout.
    void open();
    // Opens the given file instead, with the same rules (the teacher's companion names its
    // database on the command line).
    void open(const QString& path);
    void ensureOpen();
    bool isOpen() const;
    void close();
    // Whether a transaction is open on the connection, whoever began it.
    bool inTransaction() const;

    QSqlDatabase database() const;
    // The SQLite handle of the open connection (null while closed), for statements that read
    // and write UTF-8 directly.
    struct sqlite3* handle() const;
    // Statements prepared on the handle are let go before it closes, so that it can close.
    void adopt(class StoreStatement* statement) { m_statements.insert(statement); }
    void release(class StoreStatement* statement) { m_statements.remove(statement); }
    // Whether the file begins like a Microsoft Access (Jet or ACE) database.
    static bool isAccessFile(const QString& path);
    // The absolute path of the open database file (empty while closed).
    QString filePath() const { return m_path; }
    // Counts the opens, so that a statement prepared on an earlier opening is prepared again.
    quint64 generation() const { return m_generation; }

    // How long a statement waits for another program that holds the file.
    void setBusyTimeoutMs(int ms) { m_busyTimeoutMs = ms; }
    int busyTimeoutMs() const { return m_busyTimeoutMs; }

private:
    Connection() = default;

    QString m_path;
    quint64 m_generation = 0;
    QSet<class StoreStatement*> m_statements;
    int m_busyTimeoutMs = 5000;
};
