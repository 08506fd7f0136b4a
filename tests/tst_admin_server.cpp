// okulyk-admin with a course on the lab server: the commands on a server course, setting a lab
// up in an empty database, and whole courses copied between a server and db.mdb files. Runs
// only inside a throw-away cluster (with-server.sh).

#include "AdminTesting.h"
#include "Attempts.h"
#include "Connection.h"
#include "Progress.h"
#include "QuestionBank.h"
#include "Store.h"
#include "TestCourse.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QTest>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const QString kService = TestCourse::serviceName();
const QString kServer = QStringLiteral("server:") + TestCourse::serviceName();

QString sample(const QString& name)
{
    return TestCourse::testDataDir() + QStringLiteral("/admin/") + name;
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// The first column of every row of a query on a db.mdb file, as text.
QStringList fileColumn(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    QStringList values;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            values << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    } else {
        values << QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return values;
}

// A course with what a copy must keep exactly: texts with quotes, percent signs, line breaks
// and Kazakh letters, nulls, gaps in the row ids left by deleted rows, and a column of the
// results' own.
void fillCourse(const TestCourse& course)
{
    course.exec(QStringLiteral(
        "insert into Пользователи(Логин,Пароль,Группа) values('Chief','root',''),"
        "('Әсел','1''2%3',null),('x','y','ІТ-21'),('Нұрлан','p','ІТ-21');"
        "delete from Пользователи where Логин = 'x';"
        "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) values"
        "('Ғарыш \"кемесі\"' || chr(10) || 'екінші жол','а','ә','б',null,'',"
        "'2'),('gone','1','2','3','4','5','1'),('Қай?','100%','_','\\','''','ү','5');"
        "delete from БДТест where Вопрос = 'gone';"
        "alter table Тесты add column Баға text;"
        "insert into Тесты(Пользователь,Верно,Баға) values('Әсел',27,'өте жақсы'),"
        "('Нұрлан',null,null),('ghost',3,'');"
        "insert into Ответы(ТестИд,Номер,ВопросИд,Ответ,Верно) select t.rowid, n, 3, n % 5 + 1, "
        "n % 2 from Тесты t, generate_series(1, 30) n order by t.rowid, n;"
        "insert into Лекции(НазваниеЛекции,АдресЛекции) values('Кіріспе','/srv/okulyk/1.docx');"
        "insert into Видео(НазваниеВидео,АдресВидео) values('Бейне',null);"
        "insert into Настройки(Имя,Значение) values('different_questions','1');"));
}

QStringList rowIds(const TestCourse& course, const QString& table)
{
    return course.column(QStringLiteral("select rowid from %1 order by rowid").arg(table));
}

// Reaches the course with a service and password file as server-init wrote them for one side;
// whether that side may administer.
bool administersWith(const QString& dir, const QString& service)
{
    Connection::shared().setAddress(StoreAddress::server(service));
    qputenv("PGSERVICEFILE", (dir + QStringLiteral("/pg_service.conf")).toUtf8());
    qputenv("PGPASSFILE", (dir + QStringLiteral("/pgpass")).toUtf8());
    Connection::shared().open();
    const bool administers = Connection::shared().store().allowsAdministration();
    Connection::shared().close();
    return administers;
}

} // namespace

class AdminServerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { Progress::setDelayMs(1000); }

    void commandsWorkOnAServerCourse();
    void serverInitSetsALabUpOnce();
    void serverInitOnTheServerItself();
    void labRoleCommandsRefuse();
    void courseCopiesToAFileAndBackExactly();
    void teacherBringsACourseIn();
    void copyRefusesACourseThatHoldsRows();
    void upgradeAddsTheAnswersTable();
};

void AdminServerTest::initTestCase()
{
    QVERIFY2(TestCourse::onServer(), "this suite runs on a server only: tests/with-server.sh");
}

void AdminServerTest::commandsWorkOnAServerCourse()
{
    TestCourse course;
    const AdminRun imported =
        runAdmin({"import-questions", sample("gift-questions.txt"), "--server", kService});
    QCOMPARE(imported.status, int(Commands::DoneWithWarnings)); // the GIFT sample has refusals
    QVERIFY2(imported.output.contains(kServer), qPrintable(imported.output));
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from БДТест")), QStringLiteral("4"));

    // The bank written out imports back to the same rows.
    const AdminRun exported =
        runAdmin({"export-questions", "bank.txt", "--format", "aiken", "--server", kService});
    QCOMPARE(exported.status, int(Commands::Done));
    const QList<QVariantList> bank = course.rows(QStringLiteral("БДТест"));
    course.exec(QStringLiteral("delete from БДТест"));
    QCOMPARE(runAdmin({"import-questions", "bank.txt", "--server", kService}).status,
             int(Commands::Done));
    QCOMPARE(course.rows(QStringLiteral("БДТест")), bank);

    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль,Группа) values"
                               "('Әсел','1','ІТ-21');"
                               "insert into Тесты(Пользователь,Верно) values('Әсел',24)"));
    QCOMPARE(runAdmin({"export-results", "results.csv", "--server", kService}).status,
             int(Commands::Done));
    QFile csv(QStringLiteral("results.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(csv.readAll()).contains(QStringLiteral("Әсел,ІТ-21,24,30,80")));
    QCOMPARE(runAdmin({"report", "report.html", "--server", kService}).status, int(Commands::Done));
    // Every kept answer, a row each, under its attempt's login and group.
    course.exec(QStringLiteral("insert into Ответы(ТестИд,Номер,ВопросИд,Ответ,Верно) select "
                               "t.rowid, 1, q.rowid, 2, 0 from Тесты t, БДТест q order by "
                               "q.rowid limit 1"));
    QCOMPARE(runAdmin({"export-results", "answers.csv", "--answers", "--server", kService}).status,
             int(Commands::Done));
    QFile answers(QStringLiteral("answers.csv"));
    QVERIFY(answers.open(QIODevice::ReadOnly));
    const QString firstAnswer =
        QString::fromUtf8(answers.readAll()).split(QStringLiteral("\r\n")).value(1);
    QCOMPARE(firstAnswer.section(u',', 0, 3),
             QStringLiteral("Әсел,ІТ-21,%1,1")
                 .arg(course.scalar(QStringLiteral("select rowid from Тесты"))));

    // One course at a time; and a lab computer's role may not change the bank.
    QCOMPARE(runAdmin({"report", "r.html", "--db", "db.mdb", "--server", kService}).status,
             int(Commands::WrongUsage));
    course.useRole(TestCourse::Role::Lab);
    const AdminRun lab =
        runAdmin({"import-questions", sample("gift-questions.txt"), "--server", kService});
    QCOMPARE(lab.status, int(Commands::Failed));
    QCOMPARE(course.rows(QStringLiteral("БДТест")), bank);
}

void AdminServerTest::serverInitSetsALabUpOnce()
{
    TestCourse course(TestCourse::Database::Empty);
    course.useRole(TestCourse::Role::Owner);
    const QStringList setUp = {"server-init",    "--server",   kService,
                               "--write-config", "lab-setup",  "--teacher-role",
                               "school_teacher", "--lab-role", "school_lab"};
    // Nothing of the server's own notices ("already exists, skipping") reaches the terminal.
    QTemporaryFile stderrCopy;
    QVERIFY(stderrCopy.open());
    const int savedStderr = dup(STDERR_FILENO);
    dup2(stderrCopy.handle(), STDERR_FILENO);
    const AdminRun run = runAdmin(setUp);
    dup2(savedStderr, STDERR_FILENO);
    close(savedStderr);
    QVERIFY2(run.status == Commands::Done, qPrintable(run.messages));
    QVERIFY2(run.messages.isEmpty(), qPrintable(run.messages));
    QVERIFY2(stderrCopy.readAll().isEmpty(), "the server-init printed to standard error");

    for (const QString& side : {QStringLiteral("teacher"), QStringLiteral("lab")}) {
        const QString dir = course.dir() + QStringLiteral("/lab-setup/") + side;
        // libpq ignores a password file that others may read.
        const QFileDevice::Permissions mode = QFile::permissions(dir + QStringLiteral("/pgpass"));
        QVERIFY(mode.testFlag(QFileDevice::ReadOwner));
        QVERIFY(!(mode & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                          QFileDevice::ReadOther | QFileDevice::WriteOther)));
        QFile conf(dir + QStringLiteral("/pg_service.conf"));
        QVERIFY(conf.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(conf.readAll());
        QVERIFY2(text.contains(QStringLiteral("[%1]\n").arg(kService)) &&
                     text.contains(QStringLiteral("dbname=%1\n").arg(course.databaseName())) &&
                     text.contains(QStringLiteral("user=school_%1\n").arg(side)),
                 qPrintable(text));

        // The program reaches the course with the written files alone, with that role's rights.
        QCOMPARE(administersWith(dir, kService), side == QLatin1String("teacher"));
    }

    // A second run finds the course and changes nothing, writes no settings.
    course.useRole(TestCourse::Role::Owner);
    const auto before = course.contents();
    QStringList again = setUp;
    again[4] = QStringLiteral("second");
    const AdminRun refused = runAdmin(again);
    QCOMPARE(refused.status, int(Commands::Failed));
    QVERIFY2(refused.messages.contains(QStringLiteral("already holds a course")),
             qPrintable(refused.messages));
    QCOMPARE(course.contents(), before);
    QVERIFY(!QDir(course.dir() + QStringLiteral("/second")).exists());
}

// On the server, before any service file exists: each database is made and set up under the
// service name the lab computers will use, with roles of its own; two courses go into one lab
// folder, a service, a password line and a menu entry each.
void AdminServerTest::serverInitOnTheServerItself()
{
    TestCourse course;
    // The cluster as the program's user on the server reaches it, from the environment.
    for (const QString& field : course.superuserConnInfo().split(u' ')) {
        const QString key = field.section(u'=', 0, 0);
        const QString value = field.section(u'=', 1).remove(u'\'');
        if (key != QLatin1String("dbname"))
            qputenv(qPrintable(QStringLiteral("PG") + key.toUpper()), value.toUtf8());
    }
    const AdminRun run = runAdmin({"server-init", "--server", "school", "--database",
                                   "Мектеп курсы", "--write-config", "here", "--teacher-role",
                                   "local_teacher", "--lab-role", "local_lab"});
    QVERIFY2(run.status == Commands::Done, qPrintable(run.messages));
    QVERIFY2(run.output.contains(QStringLiteral("the database Мектеп курсы is made")),
             qPrintable(run.output));
    const AdminRun second = runAdmin({"server-init", "--server", "fizika", "--database", "fizika",
                                      "--title", "Физика, 9-сынып", "--write-config", "here"});
    // The first course set up again in a database of its own: its service is replaced.
    const AdminRun again =
        runAdmin({"server-init", "--server", "school", "--database", "school2", "--write-config",
                  "here", "--teacher-role", "again_teacher", "--lab-role", "again_lab"});
    for (const char* name : {"PGHOST", "PGPORT", "PGUSER", "PGPASSWORD"})
        qunsetenv(name);
    QVERIFY2(second.status == Commands::Done, qPrintable(second.messages));
    QVERIFY2(second.output.contains(QStringLiteral("fizika_teacher")), qPrintable(second.output));
    QVERIFY2(again.status == Commands::Done, qPrintable(again.messages));
    QCOMPARE(qEnvironmentVariable("PGSERVICEFILE"), course.dir() + "/.pg_service.conf");

    const QString here = course.dir() + QStringLiteral("/here");
    for (const QString& service : {QStringLiteral("school"), QStringLiteral("fizika")}) {
        QVERIFY(!administersWith(here + QStringLiteral("/lab"), service));
        QVERIFY(administersWith(here + QStringLiteral("/teacher"), service));
    }
    QFile services(here + QStringLiteral("/lab/pg_service.conf"));
    QVERIFY(services.open(QIODevice::ReadOnly));
    const QString conf = QString::fromUtf8(services.readAll());
    QVERIFY2(conf.count(QStringLiteral("[school]")) == 1 && conf.count(QLatin1Char('#')) == 2 &&
                 conf.contains(QStringLiteral("dbname=school2")) &&
                 !conf.contains(QStringLiteral("Мектеп курсы")),
             qPrintable(conf));
    QFile passwords(here + QStringLiteral("/lab/pgpass"));
    QVERIFY(passwords.open(QIODevice::ReadOnly));
    QCOMPARE(passwords.readAll().count('\n'), 3); // the old database's line stays unused
    QFile entry(here + QStringLiteral("/lab/okulyk-fizika.desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QString menu = QString::fromUtf8(entry.readAll());
    QVERIFY2(menu.contains(QStringLiteral("\nName=Физика, 9-сынып\n")) &&
                 menu.contains(QStringLiteral("\nExec=okulyk --server fizika\n")),
             qPrintable(menu));
    // Untitled, a course is named by its database.
    QVERIFY(QFile::exists(here + QStringLiteral("/teacher/okulyk-school.desktop")));
}

// A lab computer's files give okulyk-admin nothing to work on: each command says so and fails,
// with no stray line of the driver's, where it used to report "0 results written".
void AdminServerTest::labRoleCommandsRefuse()
{
    TestCourse course;
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('nurlan', 7)"));
    course.useRole(TestCourse::Role::Lab);
    QStringList warnings;
    static QStringList* caught = nullptr;
    caught = &warnings;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& message) { *caught << message; });
    const QString file = course.dir() + QStringLiteral("/out");
    for (const QStringList& command :
         {QStringList{"export-results", file, "--server", kService},
          QStringList{"item-stats", file, "--server", kService},
          QStringList{"settings", "different-questions", "on", "--server", kService},
          QStringList{"copy-course", kServer, file}}) {
        const AdminRun run = runAdmin(command);
        QVERIFY2(run.status == Commands::Failed && run.messages.contains(QStringLiteral("lab")),
                 qPrintable(command.first() + QStringLiteral(": ") + run.messages));
        QVERIFY(!QFile::exists(file));
    }
    qInstallMessageHandler(previous);
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(u'\n')));
}

void AdminServerTest::courseCopiesToAFileAndBackExactly()
{
    Progress::setDelayMs(0);
    TestCourse original;
    fillCourse(original);
    const auto contents = original.contents();
    QStringList ids;
    for (const QString& table : contents.keys())
        ids << rowIds(original, table);

    // Home or to a backup as one file, by the teacher.
    const QString backup = original.dir() + QStringLiteral("/backup.mdb");
    const AdminRun home = runAdmin({"copy-course", kServer, backup});
    QVERIFY2(home.status == Commands::Done, qPrintable(home.messages + home.output));
    QVERIFY2(home.output.contains(QStringLiteral("БДТест: 2 rows")), qPrintable(home.output));
    QVERIFY(home.messages.contains(QStringLiteral("copying: ")));
    QCOMPARE(fileColumn(backup, QStringLiteral("select Код from БДТест order by rowid")),
             rowIds(original, QStringLiteral("БДТест")));
    QCOMPARE(fileColumn(backup, QStringLiteral("select Баға from Тесты order by rowid")),
             (QStringList{QStringLiteral("өте жақсы"), QString(), QString()}));
    // Every answer comes with its result.
    QCOMPARE(fileColumn(backup, QStringLiteral("select count(*) from Ответы a join Тесты t on "
                                               "t.rowid = a.ТестИд")),
             QStringList{QStringLiteral("90")});
    // And the course's settings.
    QCOMPARE(fileColumn(backup, QStringLiteral("select Имя || '=' || Значение from Настройки")),
             QStringList{QStringLiteral("different_questions=1")});

    // A file of a file, and that file to a fresh server course, as its owner: the same rows,
    // under the same row ids.
    const QString second = original.dir() + QStringLiteral("/second.mdb");
    QCOMPARE(runAdmin({"copy-course", backup, second}).status, int(Commands::Done));
    TestCourse copy;
    copy.useRole(TestCourse::Role::Owner);
    const AdminRun back = runAdmin({"copy-course", second, kServer});
    QVERIFY2(back.status == Commands::Done, qPrintable(back.messages + back.output));
    QCOMPARE(copy.contents(), contents);
    QStringList copiedIds;
    for (const QString& table : contents.keys())
        copiedIds << rowIds(copy, table);
    QCOMPARE(copiedIds, ids);

    // Rows added later come after the copied ones.
    copy.exec(QStringLiteral("insert into Тесты(Пользователь,Верно) values('new',1)"));
    QCOMPARE(copy.scalar(QStringLiteral("select Пользователь from Тесты order by rowid desc "
                                        "limit 1")),
             QStringLiteral("new"));
    QVERIFY(copy.scalar(QStringLiteral("select max(rowid) from Тесты")).toLongLong() >
            rowIds(original, QStringLiteral("Тесты")).constLast().toLongLong());
}

// The teacher brings the school's db.mdb in from the teacher's computer; only a column of the
// results' own needs the database's owner, and without it nothing is stored.
void AdminServerTest::teacherBringsACourseIn()
{
    TestCourse demo;
    demo.seedDemo();
    const QString file = demo.dir() + QStringLiteral("/demo.mdb");
    QCOMPARE(runAdmin({"copy-course", kServer, file}).status, int(Commands::Done));
    TestCourse lab;
    const AdminRun in = runAdmin({"copy-course", file, kServer});
    QVERIFY2(in.status == Commands::Done, qPrintable(in.messages));
    QCOMPARE(lab.contents(), demo.contents());
    lab.exec(QStringLiteral("insert into Пользователи(Логин) values('new')"));
    QCOMPARE(lab.scalar(QStringLiteral("select Логин from Пользователи order by rowid desc "
                                       "limit 1")),
             QStringLiteral("new"));

    // An answer whose result was deleted is kept without one, and said so.
    demo.exec(QStringLiteral("insert into Ответы(ТестИд,Номер,ВопросИд,Ответ,Верно) "
                             "values(424242,1,1,1,0)"));
    demo.useRole(TestCourse::Role::Teacher);
    const QString orphan = demo.dir() + QStringLiteral("/orphan.mdb");
    const AdminRun kept = runAdmin({"copy-course", kServer, orphan});
    QCOMPARE(kept.status, int(Commands::DoneWithWarnings));
    QVERIFY2(kept.messages.contains(QStringLiteral("belong to results that were deleted")),
             qPrintable(kept.messages));
    QCOMPARE(fileColumn(orphan, QStringLiteral("select ifnull(ТестИд, 'none') from Ответы")),
             QStringList{QStringLiteral("none")});

    TestCourse withGrades;
    fillCourse(withGrades);
    const QString grades = withGrades.dir() + QStringLiteral("/grades.mdb");
    QCOMPARE(runAdmin({"copy-course", kServer, grades}).status, int(Commands::Done));
    TestCourse target;
    const AdminRun refused = runAdmin({"copy-course", grades, kServer});
    QCOMPARE(refused.status, int(Commands::Failed));
    QCOMPARE(target.scalar(QStringLiteral("select count(*) from Пользователи")),
             QStringLiteral("0"));
}

void AdminServerTest::copyRefusesACourseThatHoldsRows()
{
    TestCourse course;
    fillCourse(course);
    const QString backup = course.dir() + QStringLiteral("/backup.mdb");
    QCOMPARE(runAdmin({"copy-course", kServer, backup}).status, int(Commands::Done));
    const QByteArray file = fileHash(backup);
    const auto before = course.contents();

    // Into a course that holds rows, or over a file: refused, both left as they were.
    course.useRole(TestCourse::Role::Owner);
    const AdminRun full = runAdmin({"copy-course", backup, kServer});
    QCOMPARE(full.status, int(Commands::Failed));
    QVERIFY2(full.messages.contains(QStringLiteral("already holds")), qPrintable(full.messages));
    QCOMPARE(course.contents(), before);
    const AdminRun over = runAdmin({"copy-course", kServer, backup});
    QCOMPARE(over.status, int(Commands::Failed));
    QCOMPARE(fileHash(backup), file);

    // A lab computer's role can neither read a whole course nor write one.
    TestCourse empty;
    empty.useRole(TestCourse::Role::Lab);
    QCOMPARE(runAdmin({"copy-course", kServer, course.dir() + QStringLiteral("/lab.mdb")}).status,
             int(Commands::Failed));
    QVERIFY(!QFile::exists(course.dir() + QStringLiteral("/lab.mdb")));
    const AdminRun write = runAdmin({"copy-course", backup, kServer});
    QCOMPARE(write.status, int(Commands::Failed));
    QVERIFY2(write.messages.contains(QStringLiteral("lab computer's role")),
             qPrintable(write.messages));
    QCOMPARE(empty.scalar(QStringLiteral("select count(*) from Пользователи")),
             QStringLiteral("0"));
}

// A server course set up by earlier versions: before answers were kept, before results had
// their time and the course its settings, when lab computers sent the rows they had drawn. The
// upgrade adds what is missing, for the course's own roles, once; a lab computer is then dealt
// its attempt by the server and its answers are kept.
void AdminServerTest::upgradeAddsTheAnswersTable()
{
    TestCourse course;
    course.exec(QStringLiteral(
        "drop table Ответы; drop table Настройки; alter table Тесты drop column Время;"
        "drop function okulyk_draw();"
        "create function okulyk_submit(text, bigint[], integer[]) returns integer "
        "language sql security definer as 'select 30';"
        "grant execute on function okulyk_submit(text, bigint[], integer[]) to okulyk_lab;"
        "insert into БДТест(Вопрос,ОтветПр) values('Q','2');"
        "insert into Пользователи(Логин,Пароль) values('aigerim','1')"));
    // The teacher's role may change the course's rows, not its tables: it is told who may.
    course.useRole(TestCourse::Role::Teacher);
    const AdminRun teachers = runAdmin({"upgrade", "--server", kService});
    QCOMPARE(teachers.status, int(Commands::Failed));
    QVERIFY2(teachers.messages.contains(QStringLiteral("the database's owner")),
             qPrintable(teachers.messages));
    course.useRole(TestCourse::Role::Owner);
    const AdminRun added = runAdmin({"upgrade", "--server", kService});
    QVERIFY2(added.status == Commands::Done, qPrintable(added.messages));
    for (const char* change : {"the table Ответы is added", "the table Тесты gets the time",
                               "the table Настройки is added", "the lab server's functions"})
        QVERIFY2(added.output.contains(QString::fromUtf8(change)), qPrintable(added.output));
    QCOMPARE(course.scalar(QStringLiteral(
                 "select to_regprocedure('okulyk_submit(text, bigint[], integer[])') is null")),
             QStringLiteral("t"));
    const AdminRun again = runAdmin({"upgrade", "--server", kService});
    QVERIFY(again.output.contains(QStringLiteral("up to date")));
    // A table an earlier build made, without the time of each answer: the upgrade adds it.
    course.exec(QStringLiteral("alter table Ответы drop column Время"));
    const AdminRun timed = runAdmin({"upgrade", "--server", kService});
    QVERIFY2(timed.output.contains(QStringLiteral("the time of each answer")),
             qPrintable(timed.output + timed.messages));

    course.useRole(TestCourse::Role::Lab);
    Connection::shared().open();
    QCOMPARE(Connection::shared().store().signIn(QStringLiteral("aigerim"), QStringLiteral("1")),
             SignInVerdict::Accepted);
    QuestionBank bank;
    bank.load({});
    AttemptToStore attempt;
    attempt.attemptId = bank.dealtAttempt();
    attempt.login = QStringLiteral("aigerim");
    for (int q = 0; q < 30; ++q) {
        attempt.rowIds << bank.rowIdAt(bank.picks().value(q));
        attempt.answers << (q < 7 ? 2 : 1);
    }
    QCOMPARE(storeAttempt(attempt, {}, [](int) {}), 7);
    QCOMPARE(course.scalar(QStringLiteral("select count(*) || ':' || sum(Верно) || ':' || "
                                          "count(Время) from Ответы")),
             QStringLiteral("30:7:30"));
    QCOMPARE(course.scalar(QStringLiteral("select count(Время) from Тесты")), QStringLiteral("1"));
}

QTEST_MAIN(AdminServerTest)
#include "tst_admin_server.moc"
