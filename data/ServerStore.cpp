#include "ServerStore.h"

#include "AppError.h"
#include "Cursor.h"
#include "RowOrder.h"
#include "ServerDialect.h"
#include "Statements.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <libpq-fe.h>

namespace {

const QString kPermissionDenied = QStringLiteral("42501");

QString joined(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n'));
}

// An array value as the server reads it from text: "{1,2,3}".
template <typename List> QString arrayText(const List& values)
{
    QStringList items;
    for (const auto& value : values)
        items << QString::number(value);
    return QLatin1Char('{') + items.join(QLatin1Char(',')) + QLatin1Char('}');
}

bool isWholeNumber(const QMetaType& type)
{
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

class ServerCursor : public Cursor {
public:
    ServerCursor(ServerStore& store, QSqlQuery query)
        : m_store(store), m_query(std::move(query)), m_record(m_query.record())
    {
    }

    bool next() override
    {
        if (m_query.next())
            return true;
        if (m_query.lastError().isValid())
            m_store.fail(m_query.lastError());
        return false;
    }
    int columnCount() const override { return m_record.count(); }
    QStringList columnNames() const override
    {
        QStringList names;
        for (int column = 0; column < m_record.count(); ++column)
            names << m_record.fieldName(column);
        return names;
    }
    bool isIntegerColumn(int column) const override
    {
        return isWholeNumber(m_record.field(column).metaType());
    }
    QVariant value(int column) const override
    {
        const QVariant value = m_query.value(column);
        return value.isNull() ? QVariant() : value;
    }
    QString text(int column) const override
    {
        const QVariant value = m_query.value(column);
        return value.isNull() ? QString(QLatin1String("")) : value.toString();
    }

private:
    ServerStore& m_store;
    QSqlQuery m_query;
    QSqlRecord m_record;
};

class ServerChange : public PreparedChange {
public:
    ServerChange(ServerStore& store, QSqlQuery query, QStringList names)
        : m_store(store), m_query(std::move(query)), m_names(std::move(names))
    {
    }

    int run(const QVariantList& values) override
    {
        for (qsizetype i = 0; i < m_names.size(); ++i)
            m_query.bindValue(QLatin1Char(':') + m_names[i], values.value(i));
        if (!m_query.exec())
            m_store.fail(m_query.lastError());
        const int changed = m_query.numRowsAffected();
        // An insert returns its row's id.
        m_lastId = m_query.isSelect() && m_query.next() ? m_query.value(0).toLongLong() : 0;
        m_query.finish();
        return changed;
    }
    qint64 lastInsertId() const override { return m_lastId; }

private:
    ServerStore& m_store;
    QSqlQuery m_query;
    QStringList m_names;
    qint64 m_lastId = 0;
};

// A text the server cannot hold is refused before it is sent.
void requireStorable(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString && value.toString().contains(QChar(0)))
        throw AppError(QStringLiteral("Мәтінде нөлдік таңба (NUL) бар, ал сервер мұндай мәтінді "
                                      "сақтамайды. Таңбаны алып тастап, қайталаңыз"));
}

} // namespace

ServerStore::ServerStore(StoreAddress address, QString connectionName)
    : Store(std::move(address)), m_connectionName(std::move(connectionName))
{
}

ServerStore::~ServerStore()
{
    close();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

QString ServerStore::location() const
{
    return address().text();
}

QSqlDatabase ServerStore::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

PGconn* ServerStore::libpqConnection() const
{
    // The driver hands its libpq connection over under the struct's own name.
    const QVariant handle = database().driver()->handle();
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

void ServerStore::open()
{
    close();
    const QString service = address().service;
    static const QRegularExpression serviceName(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    if (!serviceName.match(service).hasMatch())
        throw AppError(QStringLiteral("Сервер қызметінің атауы дұрыс емес: \"%1\" (тек латын "
                                      "әріптері, цифрлар, _ . -)")
                           .arg(service));
    if (!QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    QSqlDatabase db = database();
    if (!db.isValid())
        throw AppError(QStringLiteral("Серверге қосылу мүмкін емес: PostgreSQL драйвері "
                                      "орнатылмаған (Debian пакеті libqt6sql6-psql)"));
    // Everything else comes from the service file and the password file. The server's notices
    // ("already exists, skipping") are not the user's concern.
    db.setConnectOptions(QStringLiteral("service=%1;connect_timeout=5;application_name=okulyk;"
                                        "options=-cclient_min_messages=warning")
                             .arg(service));
    if (!db.open())
        throw ServerUnreachable(
            QStringLiteral("Курс серверіне қосылу мүмкін емес (%1): %2. Тексеріңіз: сервер "
                           "компьютері қосулы ма және онда PostgreSQL жұмыс істей ме, бұл "
                           "компьютер желіге қосылған ба, pg_service.conf файлындағы «%3» "
                           "қызметінің адресі дұрыс па")
                .arg(location(), ServerDialect::errorText(db.lastError()), service));
    m_open = true;
    m_opening = true;
    const auto opened = qScopeGuard([this] { m_opening = false; });
    try {
        checkSearchFolding();
        m_lab = !scalar(Statements::Server::mayReadPasswords).toBool();
        // A session that has expired meanwhile is forgotten: the server then asks to sign in
        // again at the next attempt.
        if (!m_session.isEmpty() &&
            call(Statements::Server::resumeSession, {QStringLiteral("a")}, {m_session})
                    .value(0)
                    .value(0) != QLatin1String("t"))
            m_session.clear();
    } catch (...) {
        close();
        throw;
    }
}

// A database made with the C locale folds only ASCII letters: a search for "дәріс" would miss
// "Дәріс". The program refuses it rather than search wrongly.
void ServerStore::checkSearchFolding()
{
    const QString encoding = scalar(Statements::Server::databaseEncoding).toString();
    if (encoding != QLatin1String("UTF8"))
        throw AppError(
            QStringLiteral("Сервердегі дерекқор %1 кодталуымен жасалған, ал бағдарлама тек UTF8 "
                           "дерекқорымен жұмыс істейді. Дерекқорды UTF8 кодталуымен жасап, курсты "
                           "okulyk-admin server-init және copy-course командаларымен көшіріңіз")
                .arg(encoding));
    auto collations = select(joined(Statements::Server::searchedCollations), {}, {});
    QStringList names;
    while (collations->next())
        names << ServerDialect::quotedName(collations->text(0)) + QLatin1Char('.') +
                     ServerDialect::quotedName(collations->text(1));
    collations.reset();
    for (const QString& name : std::as_const(names)) {
        if (!scalar(Statements::Server::foldsKazakh(name)).toBool())
            throw AppError(
                QStringLiteral("Сервердегі курс дерекқорында іздеу қазақ және орыс әріптерінің "
                               "бас және кіші түрін ажыратады (%1 салыстыруы тек латын әріптерін "
                               "біріктіреді; дерекқор C локалімен жасалған болуы мүмкін): "
                               "«Дәріс» сөзі «дәріс» деп ізделгенде табылмас еді. Курсты "
                               "okulyk-admin server-init жасаған дерекқорға copy-course "
                               "командасымен көшіріңіз")
                    .arg(name));
    }
}

void ServerStore::close()
{
    m_open = false;
    m_inTransaction = false;
    m_aborted = false;
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase db = database();
        if (db.isOpen())
            db.close();
    }
}

bool ServerStore::isOpen() const
{
    return m_open && database().isOpen();
}

void ServerStore::fail(const QSqlError& error)
{
    if (ServerDialect::isConnectionLost(error) || !database().isOpen()) {
        close();
        throw ConnectionLost(kLostConnection);
    }
    // The statement's own resources are freed as the error unwinds, which the server refuses
    // inside a failed transaction: it is rolled back at once, and nothing more runs in it until
    // its owner ends it.
    if (m_inTransaction && !m_aborted) {
        m_aborted = true;
        if (isOpen()) {
            QSqlQuery query(database());
            query.exec(QStringLiteral("rollback"));
        }
    }
    const QString text = ServerDialect::errorText(error);
    if (error.nativeErrorCode() == kPermissionDenied)
        throw AppError(m_lab ? QStringLiteral("Бұл компьютерге бұған рұқсат берілмеген (%1). "
                                              "Курсты мұғалімнің компьютерінде өзгертіңіз")
                                   .arg(text)
                             : QStringLiteral("Бұл рөлге бұған рұқсат берілмеген (%1). Мұны "
                                              "сервердегі дерекқордың иесі (postgres) істей алады")
                                   .arg(text));
    throw AppError(text);
}

void ServerStore::requireLiveTransaction() const
{
    if (m_aborted)
        throw AppError(kAborted);
}

QSqlQuery ServerStore::prepared(const QString& text, const QStringList& names,
                                const QVariantList& values, bool forwardOnly)
{
    if (!isOpen())
        throw AppError(QStringLiteral("The database connection is not open"));
    requireLiveTransaction();
    auto translated = m_translated.constFind(text);
    if (translated == m_translated.constEnd())
        translated = m_translated.insert(text, ServerDialect::translate(text));
    QSqlQuery query(database());
    // A forward-only result is read a row at a time, and the driver learns the count of rows a
    // change touched only at its end: changes are read whole.
    query.setForwardOnly(forwardOnly);
    if (!query.prepare(*translated))
        fail(query.lastError());
    for (qsizetype i = 0; i < names.size(); ++i) {
        requireStorable(values.value(i));
        query.bindValue(QLatin1Char(':') + names[i], values.value(i));
    }
    return query;
}

template <typename Action>
auto ServerStore::resumingAfterLoss(Action&& action) -> decltype(action())
{
    // Inside a transaction the work before it is gone too; while opening, the opening itself
    // is what failed.
    if (m_inTransaction || m_opening)
        return action();
    try {
        return action();
    } catch (const ConnectionLost&) {
        try {
            open();
        } catch (const AppError&) {
            throw ConnectionLost(kLostConnection);
        }
    }
    return action();
}

std::unique_ptr<Cursor> ServerStore::select(const QString& text, const QStringList& names,
                                            const QVariantList& values)
{
    return resumingAfterLoss([&]() -> std::unique_ptr<Cursor> {
        QSqlQuery query = prepared(text, names, values);
        if (!query.exec())
            fail(query.lastError());
        return std::make_unique<ServerCursor>(*this, std::move(query));
    });
}

QList<QStringList> ServerStore::call(const QStringList& statement, const QStringList& names,
                                     const QStringList& values)
{
    return calls({{statement, names, values}}).value(0);
}

namespace {

// A statement of the catalogue as libpq takes it: ":a1" and the like become the positional
// "$1" of the names' order.
QByteArray positional(const QStringList& statement, const QStringList& names)
{
    static const QRegularExpression parameter(QStringLiteral(":([A-Za-z_][A-Za-z0-9_]*)"));
    QString text = statement.join(QLatin1Char('\n'));
    QRegularExpressionMatch match;
    qsizetype from = 0;
    while ((match = parameter.match(text, from)).hasMatch()) {
        const QString number = QStringLiteral("$%1").arg(names.indexOf(match.captured(1)) + 1);
        text.replace(match.capturedStart(), match.capturedLength(), number);
        from = match.capturedStart() + number.size();
    }
    return text.toUtf8();
}

// What one statement of a pipeline gave: its rows, or its error.
struct Answer {
    bool answered = false;
    QString state;
    QString message;
    QList<QStringList> rows;
};

void read(PGresult* result, Answer& answer)
{
    answer.answered = true;
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        answer.state = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
        answer.message = QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
        if (answer.message.isEmpty())
            answer.message = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
        return;
    }
    for (int row = 0; row < PQntuples(result); ++row) {
        QStringList texts;
        for (int column = 0; column < PQnfields(result); ++column)
            texts << QString::fromUtf8(PQgetvalue(result, row, column),
                                       PQgetlength(result, row, column));
        answer.rows << texts;
    }
}

} // namespace

QList<QList<QStringList>> ServerStore::calls(const QList<Call>& calls)
{
    return resumingAfterLoss([&] {
        if (!isOpen())
            throw AppError(QStringLiteral("The database connection is not open"));
        requireLiveTransaction();
        PGconn* connection = libpqConnection();
        if (!connection)
            throw AppError(QStringLiteral("The server's driver gives no connection to call"));
        const auto lost = [this, connection] {
            fail(QSqlError(QString::fromUtf8(PQerrorMessage(connection)).trimmed(), {},
                           QSqlError::ConnectionError));
        };
        if (PQenterPipelineMode(connection) != 1)
            lost();
        // Each statement, then a point where its transaction ends, all sent at once.
        for (const Call& call : calls) {
            const QByteArray text = positional(call.statement, call.names);
            QList<QByteArray> bytes;
            for (const QString& value : call.values) {
                requireStorable(value);
                bytes << value.toUtf8();
            }
            std::vector<const char*> values;
            for (const QByteArray& value : std::as_const(bytes))
                values.push_back(value.constData());
            if (PQsendQueryParams(connection, text.constData(), int(values.size()), nullptr,
                                  values.data(), nullptr, nullptr, 0) != 1 ||
                PQpipelineSync(connection) != 1) {
                PQexitPipelineMode(connection);
                lost();
            }
        }
        // Each statement's results, an empty one after them, then its end point.
        QList<Answer> answers(calls.size());
        qsizetype index = 0;
        int empty = 0;
        while (index < calls.size() && empty < 2) {
            PGresult* result = PQgetResult(connection);
            if (!result) {
                ++empty;
                continue;
            }
            empty = 0;
            if (PQresultStatus(result) == PGRES_PIPELINE_SYNC)
                ++index;
            else if (!answers[index].answered)
                read(result, answers[index]);
            PQclear(result);
        }
        if (index < calls.size() || PQexitPipelineMode(connection) != 1)
            lost();
        QList<QList<QStringList>> rows;
        for (const Answer& answer : std::as_const(answers)) {
            if (!answer.state.isEmpty() || !answer.answered)
                fail(QSqlError(answer.message, answer.message,
                               PQstatus(connection) != CONNECTION_OK ? QSqlError::ConnectionError
                                                                     : QSqlError::StatementError,
                               answer.state));
            rows << answer.rows;
        }
        return rows;
    });
}

QVariant ServerStore::scalar(const QStringList& statement, const QStringList& names,
                             const QVariantList& values)
{
    auto cursor = select(joined(statement), names, values);
    return cursor->next() ? cursor->value(0) : QVariant();
}

namespace {

// Checks each value before it is bound, so that a text the server cannot hold is refused with
// a clear message instead of a broken statement.
class CheckedChange : public PreparedChange {
public:
    explicit CheckedChange(std::unique_ptr<PreparedChange> change) : m_change(std::move(change)) {}
    int run(const QVariantList& values) override
    {
        for (const QVariant& value : values)
            requireStorable(value);
        return m_change->run(values);
    }
    qint64 lastInsertId() const override { return m_change->lastInsertId(); }

private:
    std::unique_ptr<PreparedChange> m_change;
};

} // namespace

std::unique_ptr<PreparedChange> ServerStore::prepareChange(const QString& text,
                                                           const QStringList& names)
{
    return std::make_unique<CheckedChange>(std::make_unique<ServerChange>(
        *this, resumingAfterLoss([&] { return prepared(text, {}, {}, false); }), names));
}

void ServerStore::verify(const QString& text)
{
    resumingAfterLoss([&] { prepared(text, {}, {}); });
}

void ServerStore::executeScript(const QString& sql)
{
    if (!isOpen())
        throw AppError(QStringLiteral("The database connection is not open"));
    requireLiveTransaction();
    QSqlQuery query(database());
    if (!query.exec(sql))
        fail(query.lastError());
}

bool ServerStore::begin(Intent intent)
{
    if (m_inTransaction)
        return false;
    resumingAfterLoss([&] {
        executeScript(intent == Intent::ReadOnly ? Statements::Server::beginReading
                                                 : Statements::Server::beginWriting);
    });
    m_inTransaction = true;
    return true;
}

void ServerStore::commit()
{
    const bool aborted = m_aborted || !m_inTransaction;
    m_inTransaction = false;
    m_aborted = false;
    // An error ended the transaction already, and rolled it back.
    if (aborted)
        throw AppError(kAborted);
    executeScript(QStringLiteral("commit"));
}

void ServerStore::rollback() noexcept
{
    const bool rolledBack = m_aborted;
    m_aborted = false;
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    if (!rolledBack && isOpen()) {
        QSqlQuery query(database());
        query.exec(QStringLiteral("rollback"));
    }
}

QString ServerStore::rowOrderProblem(const QString& table)
{
    auto kind = select(joined(Statements::Server::tableRowId), {QStringLiteral("a")}, {table});
    if (!kind->next())
        return {};
    const QString relation = kind->text(0);
    if (relation == QLatin1String("v") || relation == QLatin1String("m"))
        return RowOrder::refusal(table, QStringLiteral("it is a view"));
    if (relation != QLatin1String("r") && relation != QLatin1String("p"))
        return RowOrder::refusal(table, QStringLiteral("it is not an ordinary table"));
    if (!kind->value(1).toBool())
        return RowOrder::refusal(table, QStringLiteral("it has no column \"rowid\""));
    if (!kind->value(2).toBool())
        return RowOrder::refusal(table, QStringLiteral("its column \"rowid\" is not unique (it "
                                                       "needs a primary key of its own)"));
    return {};
}

// Only the drawn rows come from the server: the bank's size, then the rows at the drawn
// positions of its row order, found by the server. A lab computer, which may not read the right
// answers, is dealt its attempt by the server instead.
QuestionDraw ServerStore::drawQuestions(std::unique_ptr<DrawCache>&, const DrawPositions& draw)
{
    if (m_lab)
        return dealtAttempt();
    OwnTransaction transaction(*this, Intent::ReadOnly);
    RowOrder::require(QStringLiteral("БДТест"));
    QuestionDraw result;
    result.rowCount = scalar(Statements::Server::countQuestions).toInt();
    result.picks = draw(result.rowCount, drawMode(Statements::Server::settingsTablePresent));
    QList<int> positions;
    for (const int position : std::as_const(result.picks)) {
        if (position >= 0 && position < result.rowCount && !positions.contains(position))
            positions << position;
    }
    if (!positions.isEmpty()) {
        auto rows = select(joined(Statements::Server::questionsAt), {QStringLiteral("a")},
                           {arrayText(positions)});
        while (rows->next()) {
            QuestionDraw::Row row;
            row.rowId = rows->value(1).toLongLong();
            for (int column = 0; column < QuestionDraw::kColumns; ++column)
                row.texts[column] = rows->text(column + 2);
            result.rows.append({rows->value(0).toInt(), row});
        }
    }
    transaction.commit();
    return result;
}

// The attempt the server deals: a row per question number, the same row under several numbers
// where it was drawn so.
QuestionDraw ServerStore::dealtAttempt()
{
    QuestionDraw result;
    result.rightAnswers = false;
    for (const QStringList& dealt : call(Statements::Server::dealAttempt, {}, {})) {
        result.dealtAttempt = dealt.value(0);
        const int position = dealt.value(2).toInt();
        result.rowCount = dealt.value(4).toInt();
        result.picks << position;
        if (std::any_of(result.rows.cbegin(), result.rows.cend(),
                        [position](const auto& row) { return row.first == position; }))
            continue;
        QuestionDraw::Row row;
        row.rowId = dealt.value(3).toLongLong();
        for (int column = 0; column < QuestionDraw::kColumns - 1; ++column)
            row.texts[column] = dealt.value(5 + column);
        result.rows.append({position, row});
    }
    return result;
}

// The sign-in, then its verdict in a transaction of its own, in one round trip: the server
// gives a verdict only once a failure is counted for good.
SignInVerdict ServerStore::signIn(const QString& login, const QString& password,
                                  const QString& computer)
{
    const QList<QStringList> verdict =
        calls({{Statements::Server::signIn,
                {QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3")},
                {login, password, computer}},
               {Statements::Server::signInVerdict, {}, {}}})
            .value(1);
    if (verdict.isEmpty())
        throw AppError(QStringLiteral("The server did not answer the sign-in"));
    const QString outcome = verdict[0].value(0);
    if (outcome == QLatin1String("accepted")) {
        m_session = verdict[0].value(1);
        return SignInVerdict::Accepted;
    }
    return outcome == QLatin1String("wrong") ? SignInVerdict::WrongPassword
                                             : SignInVerdict::NoSuchAccount;
}

int ServerStore::storeAttempt(const AttemptToStore& attempt,
                              const std::function<QList<int>()>& mark,
                              const std::function<void(int)>& announce)
{
    if (m_lab) {
        // The server scores the attempt it dealt and keeps its answers: this computer sends
        // the attempt's name and the answers, and never sees a right answer. The score comes
        // in a transaction of its own, once the result is stored for good; both in one round
        // trip.
        const QStringList name = {QStringLiteral("a1")};
        const QList<QStringList> score =
            calls({{Statements::Server::submitAttempt,
                    {QStringLiteral("a1"), QStringLiteral("a2")},
                    {attempt.attemptId, arrayText(attempt.answers)}},
                   {Statements::Server::attemptScore, name, {attempt.attemptId}}})
                .value(1);
        const int right = score.value(0).value(0).toInt();
        announce(right);
        return right;
    }
    const QList<int> marks = mark();
    const int right = int(std::count(marks.cbegin(), marks.cend(), 1));
    announce(right);
    OwnTransaction transaction(*this, Intent::ReadThenWrite);
    auto once = prepareChange(joined(Statements::Server::markAttempt),
                              {QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3")});
    if (once->run({attempt.attemptId, attempt.login, right}) == 1) {
        // One time for the result and its answers; a course set up before results carried
        // their time stores them without it.
        const qint64 storedAt = QDateTime::currentSecsSinceEpoch();
        std::unique_ptr<PreparedChange> insert;
        if (scalar(Statements::Server::resultsTimePresent).toInt() > 0) {
            insert =
                prepareChange(joined(Statements::insertTimedTestResult),
                              {QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3")});
            insert->run({attempt.login, right, storedAt});
        } else {
            insert = prepareChange(joined(Statements::insertTestResult),
                                   {QStringLiteral("a1"), QStringLiteral("a2")});
            insert->run({attempt.login, right});
        }
        // A course set up before answers were kept stores the row of results alone.
        if (scalar(Statements::Server::answersTablePresent).toBool())
            writeAnswers(insert->lastInsertId(), attempt, marks, storedAt);
    }
    transaction.commit();
    return right;
}
