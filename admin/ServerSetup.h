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

// The roles of the course in a database of that name: NAME_teacher and NAME_lab, so that every
// course of a server has roles of its own; okulyk_teacher and okulyk_lab for a name that is not
// a plain lower-case word.
RoleNames rolesFor(const QString& database);

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
// What a course set up by an earlier version may lack, each statement safe to run again: the
// table that keeps every answer, the settings, the results' time, and the lab's bookkeeping and
// functions (sign-in, the attempts the server deals and scores, the teacher's live view).
QString upgradeScript(const RoleNames& roles);

// Throws AppError unless the database holds none of the course's tables.
void requireEmptyDatabase();
// The name of the database the shared connection reaches.
QString courseDatabase();

// Makes the course, and the two roles with generated passwords, in one transaction; refuses,
// changing nothing, when the database already holds a course or a role of these names exists.
// host is the server's name as lab computers reach it; empty, the connection's own host is
// kept, unless it is a local socket, which is refused. title names the course in the lab's
// menu (kept in its settings). keep receives the credentials before the commit (to write them
// down): when it throws, nothing is made.
Credentials initialise(const RoleNames& roles, const QString& host, const QString& title,
                       const std::function<void(const Credentials&)>& keep);

// Writes DIR/teacher/ and DIR/lab/, each with a pg_service.conf naming the service, a pgpass
// file (mode 0600) for that role, and a menu entry that starts the program on the course
// (okulyk-SERVICE.desktop, named by the title). A folder that holds another course's files
// already keeps them: the service and the password line are added, or replaced where they name
// the same service and role. Throws AppError.
void writeConfig(const QString& dir, const QString& service, const QString& title,
                 const RoleNames& roles, const Credentials& credentials);
// The menu entry's file name for a service.
QString menuEntryName(const QString& service);

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
