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
// A lost connection (the server restarted, the network failed) is met by connecting again and
// resuming the signed-in session, when the action that met it had not begun a transaction;
// otherwise the action ends with a clear message, and the next one connects again.
class ServerStore : public Store {
public:
    static inline const QString kLostConnection = QStringLiteral(
        "Сервермен байланыс үзілді, әрекет орындалмады. Сервер қайта жұмыс істей бастағанда "
        "әрекетті қайталаңыз: бағдарлама серверге өзі қайта қосылады");

    static inline const QString kAborted =
        QStringLiteral("Алдыңғы қате бұл әрекетті тоқтатты; оның ештеңесі сақталмады");

    ServerStore(StoreAddress address, QString connectionName);
    ~ServerStore() override;

    QString location() const override;
    // Throws ServerUnreachable when the server does not answer.
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
                               const DrawPositions& draw) override;

    bool allowsAdministration() const override { return !m_lab; }
    bool checksSignIn() const override { return m_lab; }
    bool dealsAttempts() const override { return m_lab; }
    SignInVerdict signIn(const QString& login, const QString& password,
                         const QString& computer) override;
    int storeAttempt(const AttemptToStore& attempt, const std::function<QList<int>()>& mark,
                     const std::function<void(int)>& announce) override;

    // The driver's connection (for the server's own tools), and libpq's beneath it, or null.
    QSqlDatabase database() const;
    struct pg_conn* libpqConnection() const;

    // Used by the store's statements: a failed statement's error, thrown as the message the
    // user sees; a lost connection is closed, to be opened again by the next action
    // (ConnectionLost). A transaction the error met is rolled back at once: the server would
    // refuse anything more in it.
    [[noreturn]] void fail(const QSqlError& error);
    // Prepares a statement of the program's catalogue, as the server reads it, and binds the
    // values of its named parameters.
    QSqlQuery prepared(const QString& text, const QStringList& names, const QVariantList& values,
                       bool forwardOnly = true);

private:
    void checkSearchFolding();
    void requireLiveTransaction() const;
    QVariant scalar(const QStringList& statement, const QStringList& names = {},
                    const QVariantList& values = {});
    // Runs a statement of the server's own in one round trip, its values sent as text, and
    // returns its rows as text (null as empty): a lab computer's sign-in, attempt and submit,
    // which 30 computers make at once.
    QList<QStringList> call(const QStringList& statement, const QStringList& names,
                            const QStringList& values);
    // Several such statements, each in a transaction of its own, still in one round trip
    // (libpq's pipeline); each one's rows. The first error is thrown.
    struct Call {
        QStringList statement;
        QStringList names;
        QStringList values;
    };
    QList<QList<QStringList>> calls(const QList<Call>& calls);
    // Runs an action that begins with the server; when the connection turns out lost and no
    // transaction was open, connects again (resuming the session) and runs it once more, so
    // that a server restart between two actions goes unnoticed.
    template <typename Action> auto resumingAfterLoss(Action&& action) -> decltype(action());
    QuestionDraw dealtAttempt();

    QString m_connectionName;
    bool m_open = false;
    // Until the role is known, nothing of the administrator's is offered.
    bool m_lab = true;
    bool m_inTransaction = false;
    bool m_opening = false;
    // An error rolled the open transaction back: nothing runs until its owner ends it.
    bool m_aborted = false;
    // The signed-in session on a lab computer, resumed after the connection is opened again.
    QString m_session;
    QHash<QString, QString> m_translated;
};
