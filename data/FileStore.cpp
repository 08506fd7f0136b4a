#include "FileStore.h"

#include "AppError.h"
#include "Cursor.h"
#include "RowIdList.h"
#include "RowOrder.h"
#include "SqliteHandle.h"
#include "Statements.h"
#include "StoreStatement.h"
#include "UnicodeLike.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <algorithm>
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

QString driverErrorText(const QSqlError& error)
{
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

class FileChange : public PreparedChange {
public:
    FileChange(FileStore& store, const QString& text, const QStringList& names)
        : m_statement(store, text)
    {
        for (const QString& name : names)
            m_indexes << m_statement.parameterIndex(QLatin1Char(':') + name);
    }

    int run(const QVariantList& values) override
    {
        for (qsizetype i = 0; i < m_indexes.size(); ++i)
            m_statement.bind(m_indexes[i], values.value(i));
        return m_statement.execute();
    }
    qint64 lastInsertId() const override { return m_statement.lastInsertId(); }

private:
    StoreStatement m_statement;
    QList<int> m_indexes;
};

// The bank's row ids in row order, kept while the file provably has not changed: no other
// connection has committed anything (the data version) and this one has changed no rows (its
// change count).
struct RowIdCache : Store::DrawCache {
    QString file;
    qint64 dataVersion = -1;
    qint64 changes = -1;
    RowIdList rowIds;
};

} // namespace

FileStore::FileStore(StoreAddress address, QString connectionName)
    : Store(std::move(address)), m_connectionName(std::move(connectionName))
{
}

FileStore::~FileStore()
{
    close();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

bool FileStore::isAccessFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(32);
    return head.startsWith(QByteArray("\x00\x01\x00\x00", 4)) &&
           (head.contains("Standard Jet DB") || head.contains("Standard ACE DB"));
}

void FileStore::open()
{
    close();
    const QString file = address().path.isEmpty()
                             ? QDir::current().absoluteFilePath(QStringLiteral("db.mdb"))
                             : address().path;
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
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(QStringLiteral("file:%1?mode=%2").arg(encodedPath, mode));
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs));
    if (!db.open())
        throw openError(path, driverErrorText(db.lastError()));

    // The like() function must be registered before any statement is active.
    if (!UnicodeLike::install(db)) {
        db.close();
        throw openError(path, QStringLiteral("the text search function could not be installed"));
    }
    // SQLite opens any file lazily; reading the schema proves it is a database and not locked.
    {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
            const QString reason = driverErrorText(probe.lastError());
            probe.finish();
            probe = QSqlQuery();
            db.close();
            throw openError(path, reason);
        }
    }
    m_path = path;
}

void FileStore::close()
{
    for (StoreStatement* statement : std::as_const(m_statements))
        statement->finalize();
    m_statements.clear();
    m_path.clear();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::database(m_connectionName, false).close();
}

bool FileStore::isOpen() const
{
    return !m_path.isEmpty() && QSqlDatabase::contains(m_connectionName) &&
           QSqlDatabase::database(m_connectionName, false).isOpen();
}

sqlite3* FileStore::handle() const
{
    return isOpen() ? sqliteHandle(QSqlDatabase::database(m_connectionName, false)) : nullptr;
}

std::unique_ptr<Cursor> FileStore::select(const QString& text, const QStringList& names,
                                          const QVariantList& values)
{
    auto statement = std::make_unique<StoreStatement>(*this, text);
    for (qsizetype i = 0; i < names.size(); ++i)
        statement->bind(QLatin1Char(':') + names[i], values.value(i));
    return statement;
}

std::unique_ptr<PreparedChange> FileStore::prepareChange(const QString& text,
                                                         const QStringList& names)
{
    return std::make_unique<FileChange>(*this, text, names);
}

void FileStore::verify(const QString& text)
{
    StoreStatement statement(*this, text);
}

void FileStore::executeScript(const QString& sql)
{
    sqlite3* db = handle();
    if (!db)
        throw AppError(QStringLiteral("The database connection is not open"));
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        throw AppError(message);
    }
}

// A step that reads before it writes takes the write lock at once ("begin immediate"), so that
// it waits for another program's write instead of failing when its read lock cannot be raised.
bool FileStore::begin(Intent intent)
{
    if (inTransaction())
        return false;
    executeScript(intent == Intent::ReadThenWrite ? Statements::beginWriting.constFirst()
                                                  : QStringLiteral("begin"));
    return true;
}

void FileStore::commit()
{
    executeScript(QStringLiteral("commit"));
}

void FileStore::rollback() noexcept
{
    if (sqlite3* db = handle(); db && !sqlite3_get_autocommit(db))
        sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
}

bool FileStore::inTransaction() const
{
    sqlite3* db = handle();
    return db && !sqlite3_get_autocommit(db);
}

QString FileStore::rowOrderProblem(const QString& table)
{
    {
        auto kind =
            select(Statements::tableKind.join(QLatin1Char('\n')), {QStringLiteral("a")}, {table});
        while (kind->next()) {
            const QString type = kind->text(0);
            if (type == QLatin1String("view"))
                return RowOrder::refusal(table, QStringLiteral("it is a view"));
            if (type != QLatin1String("table"))
                return RowOrder::refusal(table, QStringLiteral("it is a %1 table").arg(type));
            if (kind->text(1) != QLatin1String("0"))
                return RowOrder::refusal(table, QStringLiteral("it is declared WITHOUT ROWID"));
        }
    }
    auto columns =
        select(Statements::tableColumns.join(QLatin1Char('\n')), {QStringLiteral("a")}, {table});
    while (columns->next()) {
        // The statements say "rowid"; a column of that name would be ordered by instead.
        const QString name = columns->text(0);
        if (name.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0)
            return RowOrder::refusal(
                table, QStringLiteral("its column \"%1\" hides the row id").arg(name));
    }
    return {};
}

// Listing the ids means a pass over the whole table, so they are kept between attempts for as
// long as the file has not changed; then only the drawn rows are read.
QuestionDraw FileStore::drawQuestions(std::unique_ptr<DrawCache>& cache, const DrawPositions& draw)
{
    // One state of the bank for the count and every drawn row.
    OwnTransaction transaction(*this, Intent::ReadOnly);
    auto* ids = dynamic_cast<RowIdCache*>(cache.get());
    if (!ids) {
        cache = std::make_unique<RowIdCache>();
        ids = static_cast<RowIdCache*>(cache.get());
    }
    // Inside a read transaction the data version is that of the snapshot being read.
    const qint64 version = number(Statements::dataVersion);
    // Results this store wrote itself change no question.
    const qint64 changes = number(Statements::connectionChanges) - m_resultRowsWritten;
    if (ids->file != m_path || ids->dataVersion != version || ids->changes != changes) {
        ids->file.clear();
        ids->rowIds.clear();
        const QString problem = rowOrderProblem(QStringLiteral("БДТест"));
        if (!problem.isEmpty())
            throw AppError(problem);
        auto list = select(Statements::questionRowIds.join(QLatin1Char('\n')), {}, {});
        while (list->next())
            ids->rowIds.append(list->value(0).toLongLong());
        ids->file = m_path;
        ids->dataVersion = version;
        ids->changes = changes;
    }

    QuestionDraw result;
    result.rowCount = ids->rowIds.size();
    result.picks = draw(result.rowCount, drawMode(Statements::settingsTablePresent));
    const QString byId = Statements::questionById.join(QLatin1Char('\n'));
    QList<int> done;
    for (const int position : std::as_const(result.picks)) {
        if (position < 0 || position >= result.rowCount || done.contains(position))
            continue;
        done << position;
        QuestionDraw::Row row;
        row.rowId = ids->rowIds.at(position);
        auto cursor = select(byId, {QStringLiteral("a")}, {row.rowId});
        // Cannot happen while the stamp holds; it would mean the bank changed unnoticed.
        if (!cursor->next()) {
            ids->file.clear();
            throw AppError(QStringLiteral("The question bank changed while the test was being "
                                          "prepared; please try again"));
        }
        for (int column = 0; column < QuestionDraw::kColumns; ++column)
            row.texts[column] = cursor->text(column);
        result.rows.append({position, row});
    }
    transaction.commit();
    return result;
}

qint64 FileStore::number(const QStringList& statement)
{
    auto cursor = select(statement.join(QLatin1Char('\n')), {}, {});
    return cursor->next() ? cursor->value(0).toLongLong() : qint64(-1);
}

int FileStore::storeAttempt(const AttemptToStore& attempt, const std::function<QList<int>()>& mark,
                            const std::function<void(int)>& announce)
{
    const QList<int> marks = mark();
    const int right = int(std::count(marks.cbegin(), marks.cend(), 1));
    announce(right);
    OwnTransaction transaction(*this, Intent::ReadThenWrite);
    // One time for the result and its answers, so that a period never splits an attempt. A
    // course made before results carried their time stores them without it.
    const qint64 storedAt = QDateTime::currentSecsSinceEpoch();
    std::unique_ptr<PreparedChange> insert;
    if (number(Statements::resultsTimePresent) > 0) {
        insert = prepareChange(Statements::insertTimedTestResult.join(QLatin1Char('\n')),
                               {QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3")});
        m_resultRowsWritten += insert->run({attempt.login, right, storedAt});
    } else {
        insert = prepareChange(Statements::insertTestResult.join(QLatin1Char('\n')),
                               {QStringLiteral("a1"), QStringLiteral("a2")});
        m_resultRowsWritten += insert->run({attempt.login, right});
    }
    // A course made before answers were kept stores the row of results alone.
    if (number(Statements::answersTablePresent) > 0)
        m_resultRowsWritten += writeAnswers(insert->lastInsertId(), attempt, marks, storedAt);
    transaction.commit();
    return right;
}
