#include "TestCourse.h"

#include "Connection.h"
#include "ServerSetup.h"
#include "StoreAddress.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdexcept>

namespace {

sqlite3* openRaw(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open the test database");
    }
    sqlite3_busy_timeout(db, 2000);
    return db;
}

// The throw-away cluster the suite runs in, as pg_virtualenv announces it. The variables are
// taken out of the environment, so that the program's own connections read nothing but their
// service and password files.
struct Cluster {
    QString host;
    QString port;
    QString user;
    QString password;
};

const Cluster& cluster()
{
    static const Cluster found = [] {
        Cluster c{qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT"),
                  qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGPASSWORD")};
        if (c.port.isEmpty())
            throw std::runtime_error("OKULYK_TEST_STORE=server, but no PostgreSQL cluster is "
                                     "announced (PGPORT is unset): run the suite through "
                                     "tests/with-server.sh");
        for (const char* name : {"PGHOST", "PGPORT", "PGUSER", "PGPASSWORD", "PGDATABASE",
                                 "PGSERVICE", "PGSYSCONFDIR"})
            qunsetenv(name);
        return c;
    }();
    return found;
}

const QString kTeacherPassword = QStringLiteral("teacher-test-password");
const QString kLabPassword = QStringLiteral("lab-test-password");
const QString kTemplate = QStringLiteral("okulyk_template");

QString connInfo(const QString& database, const QString& user = {}, const QString& password = {})
{
    Cluster c = cluster();
    if (!user.isEmpty()) {
        c.user = user;
        c.password = password;
    }
    auto quoted = [](QString value) {
        value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        value.replace(QLatin1Char('\''), QStringLiteral("\\'"));
        return QLatin1Char('\'') + value + QLatin1Char('\'');
    };
    return QStringLiteral("host=%1 port=%2 user=%3 password=%4 dbname=%5")
        .arg(quoted(c.host), quoted(c.port), quoted(c.user), quoted(c.password), quoted(database));
}

// A superuser connection to one database of the cluster, closed when it goes.
class Raw {
public:
    explicit Raw(const QString& database)
        : m_conn(PQconnectdb(connInfo(database).toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK) {
            const std::string message = PQerrorMessage(m_conn);
            PQfinish(m_conn);
            throw std::runtime_error("cannot reach the test server: " + message);
        }
    }
    ~Raw() { PQfinish(m_conn); }
    Raw(const Raw&) = delete;
    Raw& operator=(const Raw&) = delete;

    // Runs the statements; throws with the server's message.
    void exec(const QString& sql) const
    {
        PGresult* result = PQexec(m_conn, sql.toUtf8().constData());
        const auto status = PQresultStatus(result);
        const std::string message = PQresultErrorMessage(result);
        PQclear(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY)
            throw std::runtime_error("test SQL failed: " + message);
    }
    // The rows of a query, each value typed as the file's reader would give it.
    QList<QVariantList> rows(const QString& sql, const QVariantList& params = {}) const
    {
        QList<QByteArray> texts;
        QList<const char*> values;
        for (const QVariant& param : params) {
            if (param.typeId() == QMetaType::QString && param.toString().contains(QChar(0)))
                throw std::runtime_error("the server cannot hold a text with NUL characters");
            texts << (param.isNull() ? QByteArray() : param.toString().toUtf8());
            values << (param.isNull() ? nullptr : texts.last().constData());
        }
        PGresult* result = PQexecParams(m_conn, sql.toUtf8().constData(), int(values.size()),
                                        nullptr, values.data(), nullptr, nullptr, 0);
        const auto status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const std::string message = PQresultErrorMessage(result);
            PQclear(result);
            throw std::runtime_error("test SQL failed: " + message);
        }
        QList<QVariantList> rows;
        for (int row = 0; row < PQntuples(result); ++row) {
            QVariantList values;
            for (int column = 0; column < PQnfields(result); ++column) {
                if (PQgetisnull(result, row, column)) {
                    values << QVariant();
                    continue;
                }
                const QString text = QString::fromUtf8(PQgetvalue(result, row, column),
                                                       PQgetlength(result, row, column));
                switch (PQftype(result, column)) {
                case 20: // int8
                case 21: // int2
                case 23: // int4
                    values << QVariant::fromValue<qint64>(text.toLongLong());
                    break;
                case 700: // float4
                case 701: // float8
                    values << text.toDouble();
                    break;
                default:
                    values << text;
                }
            }
            rows << values;
        }
        PQclear(result);
        return rows;
    }
    QStringList names(const QString& sql) const
    {
        PGresult* result = PQexec(m_conn, sql.toUtf8().constData());
        QStringList names;
        for (int column = 0; column < PQnfields(result); ++column)
            names << QString::fromUtf8(PQfname(result, column));
        PQclear(result);
        return names;
    }

private:
    PGconn* m_conn;
};

// SQLite's ifnull() and typeof() for the tests' own queries, so that one query reads both
// stores. Installed in test databases only.
const QString kSqliteShims = QStringLiteral(
    "create function ifnull(text, text) returns text language sql immutable as "
    "'select coalesce($1, $2)';"
    "create function ifnull(bigint, text) returns text language sql immutable as "
    "'select coalesce($1::text, $2)';"
    "create function ifnull(bigint, bigint) returns bigint language sql immutable as "
    "'select coalesce($1, $2)';"
    "create function quote(text) returns text language sql immutable as "
    "'select quote_nullable($1)';"
    "create function quote(bigint) returns text language sql immutable as "
    "'select coalesce($1::text, ''NULL'')';"
    "create function typeof(anyelement) returns text language sql immutable as $$"
    "select case when $1 is null then 'null' "
    "when pg_typeof($1) in ('integer'::regtype, 'bigint'::regtype, 'smallint'::regtype) "
    "then 'integer' when pg_typeof($1) in ('real'::regtype, 'double precision'::regtype) "
    "then 'real' when pg_typeof($1) = 'bytea'::regtype then 'blob' else 'text' end $$;");

// The roles and a template database holding the course, made once per run.
void prepareCluster()
{
    static bool prepared = false;
    if (prepared)
        return;
    Raw admin(QStringLiteral("postgres"));
    admin.exec(QStringLiteral("drop database if exists %1").arg(kTemplate));
    for (const auto& [role, password] :
         {std::pair{QStringLiteral("okulyk_teacher"), kTeacherPassword},
          std::pair{QStringLiteral("okulyk_lab"), kLabPassword}}) {
        if (admin.rows(QStringLiteral("select 1 from pg_roles where rolname = $1"), {role})
                .isEmpty())
            admin.exec(QStringLiteral("create role %1 login password '%2'").arg(role, password));
    }
    admin.exec(
        QStringLiteral("create database %1 encoding 'UTF8' template template0").arg(kTemplate));
    {
        Raw course(kTemplate);
        course.exec(ServerSetup::courseScript({}));
        course.exec(kSqliteShims);
    }
    prepared = true;
}

} // namespace

bool TestCourse::onServer()
{
    return qEnvironmentVariable("OKULYK_TEST_STORE") == QLatin1String("server");
}

QString TestCourse::charsSql(std::initializer_list<int> codes)
{
    QStringList parts;
    for (const int code : codes)
        parts << QString::number(code);
    if (!onServer())
        return QStringLiteral("char(%1)").arg(parts.join(QLatin1Char(',')));
    for (QString& part : parts)
        part = QStringLiteral("chr(%1)").arg(part);
    return QLatin1Char('(') + parts.join(QStringLiteral("||")) + QLatin1Char(')');
}

QString TestCourse::createTableSql(const QString& table, const QString& columns)
{
    if (!onServer())
        return QStringLiteral("create table %1(%2);").arg(table, columns);
    return QStringLiteral("create table %1(%2, rowid bigint generated always as identity primary "
                          "key); grant all on %1 to okulyk_teacher;")
        .arg(table, columns);
}

QString TestCourse::noSuchTable(const QString& table)
{
    return (onServer() ? QStringLiteral("relation \"%1\" does not exist.")
                       : QStringLiteral("no such table: %1."))
        .arg(table);
}

QString TestCourse::serviceName()
{
    return QStringLiteral("okulyk_test");
}

QString TestCourse::superuserConnInfo() const
{
    return connInfo(m_database);
}

QString TestCourse::roleConnInfo(Role role) const
{
    switch (role) {
    case Role::Teacher:
        return connInfo(m_database, QStringLiteral("okulyk_teacher"), kTeacherPassword);
    case Role::Lab:
        return connInfo(m_database, QStringLiteral("okulyk_lab"), kLabPassword);
    case Role::Owner:
        break;
    }
    return superuserConnInfo();
}

void TestCourse::createServerCourse(Database database)
{
    prepareCluster();
    static int serial = 0;
    m_database =
        QStringLiteral("okulyk_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++serial);
    if (database == Database::Schema)
        Raw(QStringLiteral("postgres"))
            .exec(QStringLiteral("create database %1 template %2").arg(m_database, kTemplate));
    if (database == Database::Empty)
        Raw(QStringLiteral("postgres"))
            .exec(QStringLiteral("create database %1 encoding 'UTF8' template template0")
                      .arg(m_database));
    writeServiceFile(Role::Teacher);
    Connection::shared().setAddress(StoreAddress::server(serviceName()));
}

void TestCourse::pointTo(const QString& database)
{
    Connection::shared().close();
    writeServiceFile(Role::Teacher, database);
}

QString TestCourse::serviceFileFor(Role role) const
{
    const QString file = m_dir.filePath(QStringLiteral(".pg_service.%1.conf").arg(int(role)));
    writeServiceFile(role, {}, false, file);
    return file;
}

void TestCourse::writeServiceFile(Role role, const QString& database, bool down,
                                  const QString& file) const
{
    if (file.isEmpty())
        m_role = role;
    Cluster c = cluster();
    // The discard port: nothing listens there.
    if (down)
        c.port = QStringLiteral("9");
    const QString user = role == Role::Teacher ? QStringLiteral("okulyk_teacher")
                         : role == Role::Lab   ? QStringLiteral("okulyk_lab")
                                               : c.user;
    const QString services =
        file.isEmpty() ? m_dir.filePath(QStringLiteral(".pg_service.conf")) : file;
    QFile service(services);
    if (!service.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the test service file");
    service.write(
        QStringLiteral("[%1]\nhost=%2\nport=%3\ndbname=%4\nuser=%5\n")
            .arg(serviceName(), c.host, c.port, database.isEmpty() ? m_database : database, user)
            .toUtf8());
    service.close();
    const QString passwords = m_dir.filePath(QStringLiteral(".pgpass"));
    QFile pass(passwords);
    if (!pass.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the test password file");
    pass.write(QStringLiteral("*:*:*:okulyk_teacher:%1\n*:*:*:okulyk_lab:%2\n*:*:*:%3:%4\n")
                   .arg(kTeacherPassword, kLabPassword, c.user, c.password)
                   .toUtf8());
    pass.close();
    pass.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!file.isEmpty())
        return;
    qputenv("PGSERVICEFILE", services.toUtf8());
    qputenv("PGPASSFILE", passwords.toUtf8());
}

void TestCourse::setServerDown(bool down) const
{
    writeServiceFile(m_role, {}, down);
}

void TestCourse::useRole(Role role) const
{
    Connection::shared().close();
    writeServiceFile(role);
}

TestCourse::TestCourse(Database database) : m_previousDir(QDir::currentPath())
{
    Connection::shared().close();
    QDir::setCurrent(m_dir.path());
    if (onServer()) {
        createServerCourse(database);
        return;
    }
    if (database != Database::None) {
        sqlite3* db = nullptr;
        sqlite3_open(dbPath().toUtf8().constData(), &db);
        sqlite3_close(db);
        if (database == Database::Empty)
            return;
        QFile schema(schemaPath());
        if (!schema.open(QIODevice::ReadOnly))
            throw std::runtime_error("schema.sql not found");
        exec(QString::fromUtf8(schema.readAll()));
    }
}

TestCourse::~TestCourse()
{
    Connection::shared().close();
    QDir::setCurrent(m_previousDir);
    if (!m_database.isEmpty()) {
        Connection::shared().setAddress(StoreAddress::file());
        try {
            Raw(QStringLiteral("postgres"))
                .exec(QStringLiteral("drop database if exists %1 with (force)").arg(m_database));
        } catch (const std::exception& error) {
            qWarning("%s", error.what());
        }
    }
}

QString TestCourse::dbPath() const
{
    return m_dir.filePath(QStringLiteral("db.mdb"));
}

void TestCourse::exec(const QString& sql) const
{
    if (onServer()) {
        Raw(m_database).exec(sql);
        return;
    }
    sqlite3* db = openRaw(dbPath());
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test SQL failed: " + message);
}

QStringList TestCourse::column(const QString& sql) const
{
    if (onServer()) {
        QStringList values;
        for (const QVariantList& row : Raw(m_database).rows(sql))
            values << (row.value(0).isNull() ? QString() : row.value(0).toString());
        return values;
    }
    sqlite3* db = openRaw(dbPath());
    sqlite3_stmt* statement = nullptr;
    QStringList values;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            values << (text ? QString::fromUtf8(text) : QString());
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return values;
}

QString TestCourse::scalar(const QString& sql) const
{
    const QStringList values = column(sql);
    return values.isEmpty() ? QString() : values.constFirst();
}

namespace {

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

void bindValue(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(statement, index);
    } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
        sqlite3_bind_int64(statement, index, value.toLongLong());
    } else {
        const QString text = value.toString();
        sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * sizeof(char16_t)),
                            SQLITE_TRANSIENT);
    }
}

QVariant columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    default: {
        const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
        return QString::fromUtf16(text, sqlite3_column_bytes16(statement, column) / 2);
    }
    }
}

} // namespace

void TestCourse::insert(const QString& table, const QStringList& columns,
                        const QVariantList& values) const
{
    QStringList names;
    QStringList marks;
    for (const QString& column : columns) {
        names << quotedName(column);
        marks << QStringLiteral("?");
    }
    const QString sql =
        QStringLiteral("insert into %1(%2) values(%3)")
            .arg(quotedName(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    if (onServer()) {
        QStringList numbered;
        for (int i = 1; i <= columns.size(); ++i)
            numbered << QStringLiteral("$%1").arg(i);
        Raw(m_database)
            .rows(QStringLiteral("insert into %1(%2) values(%3)")
                      .arg(quotedName(table), names.join(QLatin1Char(',')),
                           numbered.join(QLatin1Char(','))),
                  values);
        return;
    }
    sqlite3* db = openRaw(dbPath());
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr);
    for (int i = 0; rc == SQLITE_OK && i < values.size(); ++i)
        bindValue(statement, i + 1, values[i]);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement) == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
    const std::string message = sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test insert failed: " + message);
}

QList<QVariantList> TestCourse::rows(const QString& table) const
{
    if (onServer()) {
        // The program's columns, without the server's own row id at the end.
        const Raw raw(m_database);
        const QString sql =
            QStringLiteral("select * from %1 order by rowid").arg(quotedName(table));
        const bool rowId = raw.names(sql).endsWith(QStringLiteral("rowid"));
        QList<QVariantList> result = raw.rows(sql);
        if (rowId) {
            for (QVariantList& row : result)
                row.removeLast();
        }
        return result;
    }
    sqlite3* db = openRaw(dbPath());
    sqlite3_stmt* statement = nullptr;
    QList<QVariantList> result;
    const QString sql = QStringLiteral("select * from %1 order by rowid").arg(quotedName(table));
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        sqlite3_prepare_v2(
            db, QStringLiteral("select * from %1").arg(quotedName(table)).toUtf8().constData(), -1,
            &statement, nullptr);
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        QVariantList row;
        for (int column = 0; column < sqlite3_column_count(statement); ++column)
            row << columnValue(statement, column);
        result << row;
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

QMap<QString, QList<QVariantList>> TestCourse::contents() const
{
    QMap<QString, QList<QVariantList>> tables;
    const QStringList names = column(
        onServer() ? QStringLiteral("select tablename from pg_tables where schemaname = 'public' "
                                    "and tablename not like 'okulyk%'")
                   : QStringLiteral("select name from sqlite_master where type='table' and name "
                                    "not like 'sqlite%'"));
    for (const QString& name : names)
        tables.insert(name, rows(name));
    return tables;
}

void TestCourse::seedDemo() const
{
    QFile seed(QFileInfo(schemaPath()).dir().filePath(QStringLiteral("seed.sql")));
    if (!seed.open(QIODevice::ReadOnly))
        throw std::runtime_error("seed.sql not found");
    exec(QString::fromUtf8(seed.readAll()));
}

QString TestCourse::schemaPath()
{
    return QStringLiteral(OKULYK_SCHEMA);
}

QString TestCourse::testDataDir()
{
    return QStringLiteral(OKULYK_TESTDATA);
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void pasteText(QWidget* widget, const QString& text)
{
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(widget, Qt::Key_Delete);
        return;
    }
    QApplication::clipboard()->setText(text);
    QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
}

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(content), content.size());
}
