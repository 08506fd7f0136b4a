#pragma once

#include "Store.h"

#include <QHash>
#include <QSqlDatabase>

class QSqlError;
class QSqlQuery;

// The course in a database on a PostgreSQL server, reached through Qt's QPSQL driver by a libpq
// service name: the service file (PGSERVICEFILE, ~/.pg_service.conf, the system one) says where,
// and the password file (PGPASSFILE, ~/.pgpass) holds the password; the program stores none.
//
// The same program runs on the teacher's computer, whose role may do everything, and on lab
// computers, whose role may read titles, questions without their right answers and logins
// without passwords, and write nothing directly: there the server checks sign-in and scores
// attempts itself (SECURITY DEFINER functions), and the administrator's controls stay hidden.
//
// A lost connection (the server restarted, the network failed) ends the action that met it
// with a clear message; the next action connects again and resumes the signed-in session.
class ServerStore : public Store {
public:
    static inline const QString kLostConnection = QStringLiteral(
        "Сервермен байланыс үзілді, әрекет орындалмады. Сервер қайта жұмыс істей бастағанда "
        "әрекетті қайталаңыз: бағдарлама серверге өзі қайта қосылады");

    ServerStore(StoreAddress address, QString connectionName);
    ~ServerStore() override;

    QString location() const override;
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
    bool inTransaction() const override { return m_inTransaction; }

    QString rowOrderProblem(const QString& table) override;
    QuestionDraw drawQuestions(std::unique_ptr<DrawCache>& cache,
                               const std::function<QList<int>(int rowCount)>& draw) override;

    bool allowsAdministration() const override { return !m_lab; }
    bool checksSignIn() const override { return m_lab; }
    SignInVerdict signIn(const QString& login, const QString& password) override;
    int storeAttempt(const AttemptToStore& attempt, const std::function<QList<int>()>& mark,
                     const std::function<void(int)>& announce) override;

    // The driver's connection (for the server's own tools).
    QSqlDatabase database() const;

    // Used by the store's statements: a failed statement's error, thrown as the message the
    // user sees; a lost connection is closed, to be opened again by the next action.
    [[noreturn]] void fail(const QSqlError& error);
    // Prepares a statement of the program's catalogue, as the server reads it, and binds the
    // values of its named parameters.
    QSqlQuery prepared(const QString& text, const QStringList& names, const QVariantList& values,
                       bool forwardOnly = true);

private:
    void checkSearchFolding();
    QVariant scalar(const QStringList& statement, const QStringList& names = {},
                    const QVariantList& values = {});

    QString m_connectionName;
    bool m_open = false;
    // Until the role is known, nothing of the administrator's is offered.
    bool m_lab = true;
    bool m_inTransaction = false;
    // The signed-in session on a lab computer, resumed after the connection is opened again.
    QString m_session;
    QHash<QString, QString> m_translated;
};
