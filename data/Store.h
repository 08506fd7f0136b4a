#pragma once

#include "DrawRule.h"
#include "StoreAddress.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>

class Cursor;

// A changing statement prepared once and run many times with new values.
class PreparedChange {
public:
    virtual ~PreparedChange() = default;
    // Runs with the values of the parameters in the order they were named when it was prepared;
    // returns the number of rows changed. Throws AppError.
    virtual int run(const QVariantList& values) = 0;
    // The row id of the row the last run inserted.
    virtual qint64 lastInsertId() const = 0;
};

// The questions of one attempt: how many the bank holds, the position of the bank's row order
// drawn under each question number, and for each drawn position that row's id and texts: the
// question, answers A..E and, where this computer may read it, the right-answer number. Where
// the server dealt the attempt (a lab computer), it names it; it then scores it too.
struct QuestionDraw {
    static constexpr int kColumns = 7;
    struct Row {
        qint64 rowId = 0;
        std::array<QString, kColumns> texts;
    };
    int rowCount = 0;
    bool rightAnswers = true;
    QList<int> picks;
    QList<QPair<int, Row>> rows; // position, row
    QString dealtAttempt;
};

// The draw of an attempt's positions from a bank of rowCount questions, by the course's mode.
using DrawPositions = std::function<QList<int>(int rowCount, DrawRule::Mode mode)>;

// What one submitted attempt is stored as.
struct AttemptToStore {
    // Names the attempt, so that pressing "Тест тапсыру" again after a failure whose outcome
    // is unknown stores it once; on a lab computer, the name the server dealt it under.
    QString attemptId;
    QString login;
    // The bank row under each question number and the answer chosen for it (1..5).
    QList<qint64> rowIds;
    QList<int> answers;
};

// How sign-in went.
enum class SignInVerdict { Accepted, NoSuchAccount, WrongPassword };

// One database the program works on, behind which the file and the server differ: how
// statements run, how transactions and row order work, and the few operations that a server
// does on its own side for a computer that may not read everything (a lab computer).
// Every operation throws AppError with the store's own text, or with a clear message of the
// program's.
class Store {
public:
    enum class Intent { Read, ReadOnly, ReadThenWrite };

    explicit Store(StoreAddress address) : m_address(std::move(address)) {}
    virtual ~Store() = default;
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    const StoreAddress& address() const { return m_address; }
    // The absolute path of the file, or "server:NAME"; empty while a file store is closed.
    virtual QString location() const = 0;

    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Runs a statement that returns rows; the values are those of the named parameters, in order.
    virtual std::unique_ptr<Cursor> select(const QString& text, const QStringList& names,
                                           const QVariantList& values) = 0;
    virtual std::unique_ptr<PreparedChange> prepareChange(const QString& text,
                                                          const QStringList& names) = 0;
    // Throws when the statement names a table or column the database does not have; runs
    // nothing and needs no right to read.
    virtual void verify(const QString& text) = 0;
    // Runs statements that take no parameters (schema changes), unprepared.
    virtual void executeScript(const QString& sql) = 0;

    // Begins a transaction; false when one is open already (its end is someone else's).
    virtual bool begin(Intent intent) = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;
    virtual bool inTransaction() const = 0;

    // Why a table's rows have no stored order to pair lists by, or an empty text.
    virtual QString rowOrderProblem(const QString& table) = 0;

    // The bank's size and the rows at the positions draw() returns for that size and the
    // course's mode, from one state of the bank; on a lab computer the server draws them
    // instead. cache holds what the store keeps between attempts.
    struct DrawCache;
    virtual QuestionDraw drawQuestions(std::unique_ptr<DrawCache>& cache,
                                       const DrawPositions& draw) = 0;

    // Whether users, questions and materials may be changed from this computer, and results
    // edited: false on a lab computer, whose credentials a student can read.
    virtual bool allowsAdministration() const { return true; }
    // Whether the server checks sign-in itself (a lab computer never receives passwords), and
    // deals each attempt itself (a lab computer never learns the right answers).
    virtual bool checksSignIn() const { return false; }
    virtual bool dealsAttempts() const { return false; }
    // computer: this computer's name, which the teacher sees beside the login.
    virtual SignInVerdict signIn(const QString& login, const QString& password,
                                 const QString& computer = {});
    // Stores a submitted attempt: its row of results and, where the course has the answers
    // table, the answer to each question, all or nothing. mark() marks each question by the
    // program's rule (1 right, 0 wrong) and announce() tells the user the score; where the
    // server scores, it does so and mark() is not called. Returns the score.
    virtual int storeAttempt(const AttemptToStore& attempt, const std::function<QList<int>()>& mark,
                             const std::function<void(int)>& announce) = 0;

protected:
    // Writes the answer rows of an attempt whose row of results has that id, stored at that time
    // (seconds since 1970-01-01 UTC); returns the rows written.
    int writeAnswers(qint64 resultId, const AttemptToStore& attempt, const QList<int>& marks,
                     qint64 storedAt);
    // How the course draws an attempt, from its settings (the table Настройки, which a course
    // made by an earlier version lacks: it draws with replacement); tablePresent counts the
    // table in this store's dialect.
    DrawRule::Mode drawMode(const QStringList& tablePresent);

private:
    StoreAddress m_address;
};

// What a store keeps between two attempts' draws (the file store: the bank's row ids while the
// file is unchanged).
struct Store::DrawCache {
    virtual ~DrawCache() = default;
};

// Rolls back a transaction this code began, unless it was committed; leaves one that was open
// already to its owner.
class OwnTransaction {
public:
    OwnTransaction(Store& store, Store::Intent intent) : m_store(store), m_own(store.begin(intent))
    {
    }
    ~OwnTransaction()
    {
        if (m_own)
            m_store.rollback();
    }
    OwnTransaction(const OwnTransaction&) = delete;
    OwnTransaction& operator=(const OwnTransaction&) = delete;
    void commit()
    {
        if (m_own)
            m_store.commit();
        m_own = false;
    }

private:
    Store& m_store;
    bool m_own;
};
