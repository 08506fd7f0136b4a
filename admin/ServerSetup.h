#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>

// Setting up a course on a PostgreSQL server for a computer lab: the tables, the functions that
// check sign-in and score attempts for lab computers, and the two roles, the teacher's (every
// right on the course) and the lab's (reads what a test needs, writes nothing directly).
// Works on the shared connection, which must reach the database as its owner or a superuser.
namespace ServerSetup {

struct RoleNames {
    QString teacher = QStringLiteral("okulyk_teacher");
    QString lab = QStringLiteral("okulyk_lab");
};

// Where lab computers and the teacher's reach the server, as the connection reached it.
struct Address {
    QString host;
    QString port;
    QString database;
};

struct Credentials {
    Address address;
    QString teacherPassword;
    QString labPassword;
};

// The course's tables, functions and rights, for roles of these names.
QString courseScript(const RoleNames& roles);
// The part that keeps every answer: the table Ответы and the scoring function that fills it.
QString answersScript(const RoleNames& roles);

// Throws AppError unless the database holds none of the course's tables.
void requireEmptyDatabase();

// Makes the course, and the two roles with generated passwords, in one transaction; refuses,
// changing nothing, when the database already holds a course or a role of these names exists.
// host is the server's name as lab computers reach it; empty, the connection's own host is
// kept, unless it is a local socket, which is refused. keep receives the credentials before
// the commit (to write them down): when it throws, nothing is made.
Credentials initialise(const RoleNames& roles, const QString& host,
                       const std::function<void(const Credentials&)>& keep);

// Writes DIR/teacher/ and DIR/lab/, each with a pg_service.conf naming the service and a pgpass
// file (mode 0600) for that role. Throws AppError.
void writeConfig(const QString& dir, const QString& service, const RoleNames& roles,
                 const Credentials& credentials);

// On the server itself, before any service file names the course: while it lives, the service
// name reaches the database of that name as the user running the program (through the local
// socket, unless PGHOST and the like say otherwise). The database is made, UTF-8, when the
// server has none of that name. Throws AppError.
class LocalDatabase {
public:
    LocalDatabase(const QString& service, const QString& database);
    ~LocalDatabase();
    LocalDatabase(const LocalDatabase&) = delete;
    LocalDatabase& operator=(const LocalDatabase&) = delete;

    // Whether this made the database.
    bool made() const { return m_made; }

private:
    void restoreServiceFile();

    QTemporaryDir m_dir;
    QByteArray m_previousServiceFile;
    bool m_hadServiceFile = false;
    bool m_made = false;
};

} // namespace ServerSetup
