#include "ServerSetup.h"

#include "AppError.h"
#include "Connection.h"
#include "CourseSettings.h"
#include "Query.h"
#include "ServerDialect.h"
#include "ServerStore.h"
#include "Statements.h"
#include "Store.h"
#include "Transaction.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <libpq-fe.h>

static void initServerResources()
{
    Q_INIT_RESOURCE(server);
}

namespace ServerSetup {

namespace {

QString scalarText(const QStringList& statement, const QVariantMap& values = {})
{
    Query query(QStringLiteral("ServerSetup"));
    query.setStatement(statement);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        query.bind(it.key(), it.value());
    query.open();
    return query.rowCount() > 0 ? query.text(0, 0) : QString();
}

// Letters and digits only, so that it can stand in a statement and in the password file as it
// is; 24 of 62 characters give some 140 bits.
QString generatedPassword()
{
    static const QString alphabet =
        QStringLiteral("ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz0123456789");
    QString password;
    for (int i = 0; i < 24; ++i)
        password += alphabet[int(QRandomGenerator::system()->bounded(qsizetype(alphabet.size())))];
    return password;
}

ServerStore& serverStore()
{
    auto* store = dynamic_cast<ServerStore*>(&Connection::shared().store());
    if (!store)
        throw AppError(QStringLiteral("This command works on a server course: name it with "
                                      "--server SERVICE"));
    return *store;
}

Address serverAddress()
{
    Address address;
    if (PGconn* connection = serverStore().libpqConnection()) {
        address.host = QString::fromUtf8(PQhost(connection));
        address.port = QString::fromUtf8(PQport(connection));
        address.database = QString::fromUtf8(PQdb(connection));
    }
    if (address.port.isEmpty())
        address.port = scalarText(Statements::Server::serverPort);
    if (address.database.isEmpty())
        address.database = scalarText(Statements::Server::currentDatabase);
    return address;
}

// A field of a password file line: ":" and "\" are escaped.
QString passFileField(QString field)
{
    field.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    field.replace(QLatin1Char(':'), QStringLiteral("\\:"));
    return field;
}

void writeFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions mode)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
        !file.setPermissions(mode) || !file.commit())
        throw AppError(
            QStringLiteral("%1: cannot write the file: %2").arg(path, file.errorString()));
}

// The file's text, or empty when there is none yet.
QString existingText(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(
            QStringLiteral("%1: cannot read the file: %2").arg(path, file.errorString()));
    return QString::fromUtf8(file.readAll());
}

// A service file with the section of this service put in: in place of one of the same name,
// else after the others. The comment lines just above a section's name belong to it; other
// services and their comments stay as they are.
QString withService(const QString& existing, const QString& service, const QString& section)
{
    QStringList kept;
    QStringList comments; // blank and comment lines not yet known to belong to a section
    bool skipping = false;
    bool replaced = false;
    for (const QString& line : existing.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) {
            comments << line;
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            skipping = trimmed == QLatin1Char('[') + service + QLatin1Char(']');
            if (skipping) {
                // The old section's own comment goes with it; a blank line before it stays.
                while (!comments.isEmpty() && !comments.constLast().trimmed().isEmpty())
                    comments.removeLast();
                if (!replaced)
                    kept << comments << section.trimmed();
                replaced = true;
                comments.clear();
                continue;
            }
        }
        if (!skipping)
            kept << comments << line;
        comments.clear();
    }
    if (!skipping)
        kept << comments;
    QString text = kept.join(QLatin1Char('\n')).trimmed();
    if (!replaced)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + section.trimmed();
    return text + QLatin1Char('\n');
}

// A password file with this line: in place of one for the same host, port, database and role.
QString withPassword(const QString& existing, const QString& line)
{
    const QString key = line.section(QLatin1Char(':'), 0, 3);
    QStringList lines;
    bool replaced = false;
    for (const QString& old : existing.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (old.section(QLatin1Char(':'), 0, 3) == key) {
            if (!replaced)
                lines << line;
            replaced = true;
        } else {
            lines << old;
        }
    }
    if (!replaced)
        lines << line;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// A text as a value of a menu entry: one line, its backslashes escaped.
QString desktopValue(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text.simplified();
}

void writeRoleConfig(const QString& dir, const QString& service, const QString& title,
                     const QString& role, const QString& password, const Address& address,
                     const QString& note)
{
    if (!QDir().mkpath(dir))
        throw AppError(QStringLiteral("%1: cannot make the folder").arg(dir));
    QString section = QStringLiteral("# %1: %2\n[%3]\n").arg(desktopValue(title), note, service);
    if (!address.host.isEmpty())
        section += QStringLiteral("host=%1\n").arg(address.host);
    section +=
        QStringLiteral("port=%1\ndbname=%2\nuser=%3\n").arg(address.port, address.database, role);
    const QString services = dir + QStringLiteral("/pg_service.conf");
    writeFile(services, withService(existingText(services), service, section).toUtf8(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                  QFileDevice::ReadOther);
    const QString line =
        QStringList{passFileField(address.host.isEmpty() ? QStringLiteral("*") : address.host),
                    passFileField(address.port), passFileField(address.database),
                    passFileField(role), passFileField(password)}
            .join(QLatin1Char(':'));
    const QString passwords = dir + QStringLiteral("/pgpass");
    writeFile(passwords, withPassword(existingText(passwords), line).toUtf8(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString entry =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nGenericName=Электронды "
                       "оқулық\nComment=%1: компьютер сыныбының серверіндегі курс\n"
                       "Exec=okulyk --server %2\nIcon=kz.okulyk.Okulyk\nTerminal=false\n"
                       "Categories=Education;\nStartupWMClass=okulyk\n")
            .arg(desktopValue(title), service);
    writeFile(dir + QLatin1Char('/') + menuEntryName(service), entry.toUtf8(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                  QFileDevice::ReadOther);
}

} // namespace

namespace {

QString script(const QString& name, const RoleNames& roles)
{
    initServerResources();
    QFile file(QStringLiteral(":/okulyk/server/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(
            QStringLiteral("The server script %1 is missing from the program").arg(name));
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("{teacher}"), ServerDialect::quotedName(roles.teacher));
    text.replace(QStringLiteral("{lab}"), ServerDialect::quotedName(roles.lab));
    return text;
}

} // namespace

QString courseScript(const RoleNames& roles)
{
    return script(QStringLiteral("course.sql"), roles) + QLatin1Char('\n') + upgradeScript(roles);
}

QString upgradeScript(const RoleNames& roles)
{
    return script(QStringLiteral("answers.sql"), roles) + QLatin1Char('\n') +
           script(QStringLiteral("lab.sql"), roles);
}

void requireEmptyDatabase()
{
    if (scalarText(Statements::Server::courseTablesPresent).toInt() > 0)
        throw AppError(QStringLiteral("The database already holds a course (%1); nothing was "
                                      "changed. Set a lab up in an empty database")
                           .arg(Connection::shared().location()));
}

QString courseDatabase()
{
    return scalarText(Statements::Server::currentDatabase);
}

RoleNames rolesFor(const QString& database)
{
    static const QRegularExpression plain(QStringLiteral("^[a-z][a-z0-9_]{0,49}$"));
    if (!plain.match(database).hasMatch())
        return {};
    return {database + QStringLiteral("_teacher"), database + QStringLiteral("_lab")};
}

QString menuEntryName(const QString& service)
{
    return QStringLiteral("okulyk-%1.desktop").arg(service);
}

Credentials initialise(const RoleNames& roles, const QString& host, const QString& title,
                       const std::function<void(const Credentials&)>& keep)
{
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    serverStore();
    if (roles.teacher == roles.lab)
        throw AppError(QStringLiteral("The teacher's role and the lab role need two names"));
    Credentials credentials;
    credentials.address = serverAddress();
    if (!host.isEmpty())
        credentials.address.host = host;
    else if (credentials.address.host.isEmpty() ||
             credentials.address.host.startsWith(QLatin1Char('/')))
        throw AppError(QStringLiteral("The service reaches the server through a local socket "
                                      "(%1), which lab computers cannot; nothing was changed. "
                                      "Give the server's network name with --host NAME")
                           .arg(credentials.address.host));
    Transaction transaction(Transaction::Intent::ReadThenWrite);
    requireEmptyDatabase();
    if (scalarText(Statements::Server::rolesPresent,
                   {{QStringLiteral("a1"), roles.teacher}, {QStringLiteral("a2"), roles.lab}})
            .toInt() > 0)
        throw AppError(QStringLiteral("A role named %1 or %2 already exists on this server (a "
                                      "course of another database?); nothing was changed. "
                                      "Name other roles with --teacher-role and --lab-role")
                           .arg(roles.teacher, roles.lab));
    credentials.teacherPassword = generatedPassword();
    credentials.labPassword = generatedPassword();
    Store& store = connection.store();
    store.executeScript(
        QStringLiteral("create role %1 login password '%2'")
            .arg(ServerDialect::quotedName(roles.teacher), credentials.teacherPassword));
    store.executeScript(QStringLiteral("create role %1 login password '%2'")
                            .arg(ServerDialect::quotedName(roles.lab), credentials.labPassword));
    store.executeScript(courseScript(roles));
    if (!title.trimmed().isEmpty())
        CourseSettings::write(CourseSettings::kTitle, title);
    if (keep)
        keep(credentials);
    transaction.commit();
    return credentials;
}

void writeConfig(const QString& dir, const QString& service, const QString& title,
                 const RoleNames& roles, const Credentials& credentials)
{
    writeRoleConfig(dir + QStringLiteral("/teacher"), service, title, roles.teacher,
                    credentials.teacherPassword, credentials.address,
                    QStringLiteral("the teacher's computer, every right on the course"));
    writeRoleConfig(dir + QStringLiteral("/lab"), service, title, roles.lab,
                    credentials.labPassword, credentials.address,
                    QStringLiteral("lab computers, sign-in and scoring done by the server"));
}

namespace {

// A libpq connection for the few statements that run outside any database of the course.
class Maintenance {
public:
    explicit Maintenance(const QString& connInfo)
        : m_conn(PQconnectdb(connInfo.toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw AppError(QStringLiteral("Cannot reach the server: %1")
                               .arg(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()));
    }
    ~Maintenance() { PQfinish(m_conn); }
    Maintenance(const Maintenance&) = delete;
    Maintenance& operator=(const Maintenance&) = delete;

    // Runs a statement with text parameters; returns the number of rows, or throws.
    int run(const QString& sql, const QStringList& parameters = {}) const
    {
        QList<QByteArray> bytes;
        std::vector<const char*> values;
        for (const QString& parameter : parameters)
            bytes << parameter.toUtf8();
        for (const QByteArray& value : std::as_const(bytes))
            values.push_back(value.constData());
        PGresult* result = PQexecParams(m_conn, sql.toUtf8().constData(), int(values.size()),
                                        nullptr, values.data(), nullptr, nullptr, 0);
        const auto status = PQresultStatus(result);
        const int rows = PQntuples(result);
        const QString error =
            QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
        PQclear(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw AppError(QStringLiteral("The server refused: %1").arg(error));
        return rows;
    }

private:
    PGconn* m_conn;
};

} // namespace

LocalDatabase::LocalDatabase(const QString& service, const QString& database)
{
    if (!m_dir.isValid())
        throw AppError(QStringLiteral("Cannot make a temporary folder"));
    const QString file = m_dir.filePath(QStringLiteral("pg_service.conf"));
    writeFile(file, QStringLiteral("[%1]\ndbname=%2\n").arg(service, database).toUtf8(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_hadServiceFile = qEnvironmentVariableIsSet("PGSERVICEFILE");
    m_previousServiceFile = qgetenv("PGSERVICEFILE");
    qputenv("PGSERVICEFILE", QFile::encodeName(file));

    try {
        // The maintenance database every cluster has, to make the course's database in.
        const Maintenance server(
            QStringLiteral("service=%1 dbname=postgres options=-cclient_min_messages=warning")
                .arg(service));
        if (server.run(QStringLiteral("select 1 from pg_database where datname = $1"), {database}) >
            0)
            return;
        // UTF-8 whatever the cluster's default; the searched titles fold letters by their own
        // collation, whatever the locale.
        server.run(QStringLiteral("create database %1 encoding 'UTF8' locale 'C.UTF-8' "
                                  "template template0")
                       .arg(ServerDialect::quotedName(database)));
        m_made = true;
    } catch (...) {
        restoreServiceFile();
        throw;
    }
}

LocalDatabase::~LocalDatabase()
{
    restoreServiceFile();
}

void LocalDatabase::restoreServiceFile()
{
    if (m_hadServiceFile)
        qputenv("PGSERVICEFILE", m_previousServiceFile);
    else
        qunsetenv("PGSERVICEFILE");
}

} // namespace ServerSetup
