#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

// A scratch course folder for one test: a temporary folder made current, holding db.mdb built
// from the course schema (unless told otherwise). The shared connection is closed on both ends,
// so each test opens its own file.
//
// Run with OKULYK_TEST_STORE=server inside a throw-away PostgreSQL cluster (pg_virtualenv), the
// course is a fresh database on that server instead, made like server-init makes one, and the
// program reaches it by a service name as the teacher's role; the folder still holds the rest.
class TestCourse {
public:
    // Schema: the course's tables, empty. Empty: a database without tables. None: no database
    // (no db.mdb; on the server, a service naming a database that does not exist).
    enum class Database { Schema, Empty, None };
    explicit TestCourse(Database database = Database::Schema);
    ~TestCourse();

    // Whether the suite runs against the server (then each course is a server database).
    static bool onServer();
    // The service name the program reaches a server course by.
    static QString serviceName();
    // The teacher's and the lab computers' roles, and the database's owner (a superuser).
    enum class Role { Teacher, Lab, Owner };
    // On the server: the role the program connects as from now on (the connection is closed).
    void useRole(Role role) const;
    // On the server: the conninfo of a superuser connection to this course's database, and of
    // one as a role, as any SQL client on a lab computer could make it.
    QString superuserConnInfo() const;
    QString roleConnInfo(Role role) const;
    QString databaseName() const { return m_database; }
    // On the server: the program's service names this database of the cluster from now on (the
    // connection is closed).
    void pointTo(const QString& database);
    // On the server: the program's service names a port nobody listens on, as if the server were
    // down, or the cluster again; the role stays. The connection is left as it is.
    void setServerDown(bool down) const;
    // On the server: a service file of its own that names this course as the role, for another
    // program (PGSERVICEFILE); the password file is the program's.
    QString serviceFileFor(Role role) const;

    // SQL both stores read: the text of these character codes ("char(13,10)" on the file), and
    // a new table with these columns ("Вопрос TEXT, ...") in which the program may pair rows
    // (on the server: with its row id column, and the teacher's rights on it).
    static QString charsSql(std::initializer_list<int> codes);
    static QString createTableSql(const QString& table, const QString& columns);
    // The store's error for a table that is missing, as the error box shows it.
    static QString noSuchTable(const QString& table);

    QString dir() const { return m_dir.path(); }
    QString dbPath() const;

    // Runs SQL on the file through a connection of its own (not the program's).
    void exec(const QString& sql) const;
    // The first column of every row, as text (null as empty), through that own connection.
    QStringList column(const QString& sql) const;
    QString scalar(const QString& sql) const;

    // Inserts one row with the values bound as they are (texts with NULs, 1 MB texts, nulls as
    // invalid variants), through that own connection.
    void insert(const QString& table, const QStringList& columns, const QVariantList& values) const;
    // A table's rows in rowid order, each value exact: null as an invalid variant, an integer as
    // qint64, a text with every character (NULs included).
    QList<QVariantList> rows(const QString& table) const;
    // Every table's rows, keyed by table name: compared before and after an action, it shows
    // that no table but the intended one changed.
    QMap<QString, QList<QVariantList>> contents() const;

    // Adds the demo course's rows (its logins, questions and results) from the seed script.
    void seedDemo() const;

    static QString schemaPath();
    static QString testDataDir();

private:
    void createServerCourse(Database database);
    void writeServiceFile(Role role, const QString& database = {}, bool down = false,
                          const QString& file = {}) const;

    QTemporaryDir m_dir;
    QString m_previousDir;
    QString m_database;
    mutable Role m_role = Role::Teacher;
};

// Skips a test function that is about the database file itself when the suite runs on the
// server, saying so.
#define SKIP_ON_SERVER(reason)                                                                     \
    do {                                                                                           \
        if (TestCourse::onServer())                                                                \
            QSKIP("the file store only: " reason);                                                 \
    } while (false)

// Sends text into a widget one key event per character (QTest::keyClicks handles ASCII only).
class QWidget;
void typeText(QWidget* widget, const QString& text);
// Replaces a field's text the way a user pastes it: select all, then Ctrl+V from the clipboard.
// Control characters (line breaks, tabs, NULs) and very long texts arrive this way.
void pasteText(QWidget* widget, const QString& text);

// Writes a file with exactly these bytes, making its folder first; the test fails if it cannot.
void writeFile(const QString& path, const QByteArray& content);
