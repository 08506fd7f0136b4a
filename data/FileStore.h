#pragma once

#include "Store.h"

#include <QSet>

struct sqlite3;
class StoreStatement;

// The course in one SQLite file (db.mdb). Opened read-write and never created: a missing file
// is an error, not a new empty database. Statements run on the file's own handle and read and
// write texts as UTF-8.
class FileStore : public Store {
public:
    // connectionName names the driver connection, so that two stores can be open at once.
    FileStore(StoreAddress address, QString connectionName);
    ~FileStore() override;

    QString location() const override { return m_path; }
    void open() override;
    void close() override;
    bool isOpen() const override;

    std::unique_ptr<Cursor> select(const QString& text, const QStringList& names,
                                   const QVariantList& values) override;
    std::unique_ptr<PreparedChange> prepareChange(const QString& text,
                                                  const QStringList& names) override;
    void verify(const QString& text) override;
    void executeScript(const QString& sql) override;

    bool begin(Intent intent) override;
    void commit() override;
    void rollback() noexcept override;
    bool inTransaction() const override;

    QString rowOrderProblem(const QString& table) override;
    QuestionDraw drawQuestions(std::unique_ptr<DrawCache>& cache,
                               const DrawPositions& draw) override;
    int storeAttempt(const AttemptToStore& attempt, const std::function<QList<int>()>& mark,
                     const std::function<void(int)>& announce) override;

    // The SQLite handle of the open file (null while closed).
    sqlite3* handle() const;
    // Statements prepared on the handle are let go before it closes, so that it can close.
    void adopt(StoreStatement* statement) { m_statements.insert(statement); }
    void release(StoreStatement* statement) { m_statements.remove(statement); }

    // How long a statement waits for another program that holds the file.
    void setBusyTimeoutMs(int ms) { m_busyTimeoutMs = ms; }

    // Whether the file begins like a Microsoft Access (Jet or ACE) database.
    static bool isAccessFile(const QString& path);

private:
    // The first value of a statement's first row as a whole number, or -1 for no row.
    qint64 number(const QStringList& statement);
    QString m_connectionName;
    QString m_path;
    QSet<StoreStatement*> m_statements;
    int m_busyTimeoutMs = 5000;
    // Rows of Тесты this store inserted: changes that leave the bank's row ids as they were.
    qint64 m_resultRowsWritten = 0;
};
