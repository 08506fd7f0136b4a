// The course on a lab server: what a lab computer's role may read and may not do, sign-in and
// scoring done by the server, forged results, connections cut in the middle of a session, and
// the databases the program refuses. Runs only inside a throw-away cluster (with-server.sh).

#include "AppError.h"
#include "Attempts.h"
#include "Connection.h"
#include "Dialogs.h"
#include "ErrorReport.h"
#include "MainWindow.h"
#include "MaterialsWindow.h"
#include "Process.h"
#include "Query.h"
#include "ResultsModel.h"
#include "ResultsWindow.h"
#include "ServerStore.h"
#include "SignInWindow.h"
#include "Statements.h"
#include "TestCourse.h"
#include "TestHubWindow.h"
#include "TestWindow.h"
#include "WindowRegistry.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <libpq-fe.h>

namespace {

// An SQL client on a computer of the lab, with the credentials it holds.
class Client {
public:
    struct Outcome {
        QString state; // SQLSTATE, empty when the statement ran
        QString message;
        QList<QStringList> rows;
    };

    explicit Client(const QString& connInfo) : m_conn(PQconnectdb(connInfo.toUtf8().constData())) {}
    ~Client() { PQfinish(m_conn); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return PQstatus(m_conn) == CONNECTION_OK; }

    Outcome run(const QString& sql) const
    {
        PGresult* result = PQexec(m_conn, sql.toUtf8().constData());
        Outcome outcome;
        const auto status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            outcome.state = QString::fromUtf8(PQresultErrorField(result, PG_DIAG_SQLSTATE));
            outcome.message =
                QString::fromUtf8(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
        }
        for (int row = 0; row < PQntuples(result); ++row) {
            QStringList values;
            for (int column = 0; column < PQnfields(result); ++column)
                values << QString::fromUtf8(PQgetvalue(result, row, column));
            outcome.rows << values;
        }
        PQclear(result);
        return outcome;
    }

private:
    PGconn* m_conn;
};

const QString kUsers = QStringLiteral(
    "insert into Пользователи(Логин,Пароль,Группа) values('Chief','root','');"
    "insert into Пользователи(Логин,Пароль,Группа) values('aigerim','12345','ИС-21');"
    "insert into Пользователи(Логин,Пароль,Группа) values('nurlan','qwerty','ИС-21');");

// Question i (from 1) reads "Q<i>"; rights[i - 1] is its stored right-answer value.
QString bank(const QStringList& rights)
{
    QString sql;
    for (int i = 0; i < rights.size(); ++i)
        sql += QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,"
                              "ОтветПр) values('Q%1','a','b','c','d','e','%2');")
                   .arg(i + 1)
                   .arg(rights[i]);
    return sql;
}

// Thirty real row ids of the bank and thirty answers, as an attempt sends them.
QString attemptArrays(const TestCourse& course, int answer)
{
    const QStringList ids =
        course.column(QStringLiteral("select rowid from БДТест order by rowid"));
    QStringList rows;
    for (int q = 0; q < TForm2::kQuestions; ++q)
        rows << ids[q % ids.size()];
    return QStringLiteral("'{%1}', '{%2}'")
        .arg(rows.join(QLatin1Char(',')), QStringList(30, QString::number(answer)).join(u','));
}

// Every connection to the course's database is cut, as a server restart cuts them. (Restarting
// the cluster itself is unreliable while other suites' clusters start and stop beside it.)
void cutEveryConnection(const TestCourse& course)
{
    Client admin(course.superuserConnInfo());
    QVERIFY(admin.connected());
    const Client::Outcome cut =
        admin.run(QStringLiteral("select count(pg_terminate_backend(pid)) from pg_stat_activity "
                                 "where datname = current_database() and pid <> pg_backend_pid()"));
    QVERIFY2(cut.state.isEmpty(), qPrintable(cut.message));
    QVERIFY2(cut.rows.value(0).value(0).toInt() > 0, "the program held no connection to cut");
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const AppError& error) {
        return error.message();
    }
    return {};
}

// A started program on a lab computer (or the teacher's): the windows built, the main window
// shown with the sign-in window over it.
struct Program {
    Program(TestCourse& course, TestCourse::Role role)
    {
        course.useRole(role);
        windows.createAll();
        windows.form1()->show();
    }
    bool signIn(const QString& login, const QString& password)
    {
        TForm3* form = windows.form3();
        form->findChild<QLineEdit*>(QStringLiteral("UserName"))->setText(login);
        form->findChild<QLineEdit*>(QStringLiteral("Password"))->setText(password);
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("OKButton")),
                          Qt::LeftButton);
        return !form->isVisible();
    }
    void submit() const
    {
        QTest::mouseClick(
            windows.form2()->findChild<QAbstractButton*>(QStringLiteral("sSpeedButton3")),
            Qt::LeftButton);
    }

    DialogScript dialogs;
    WindowRegistry windows;
};

} // namespace

class ServerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void labRoleIsRefused_data();
    void labRoleIsRefused();
    void labRoleReadsWhatATestNeeds();
    void forgedResultsAreRefused();
    void labComputerThroughTheWindows();
    void wrongRightAnswerStoresNothingOnTheLab();
    void failedSignInsAreLimited();
    void restartInTheMiddleOfASession_data();
    void restartInTheMiddleOfASession();
    void retriedSubmitIsStoredOnce_data();
    void retriedSubmitIsStoredOnce();
    void databasesThatCannotSearchAreRefused();
    void textWithNulIsRefusedClearly();
    void everyStatementPreparesForItsRole();

private:
    QList<int> m_exits;
};

void ServerTest::initTestCase()
{
    QVERIFY2(TestCourse::onServer(), "this suite runs on a server only: tests/with-server.sh");
}

void ServerTest::init()
{
    m_exits.clear();
    Process::setTerminateHook([this](int status) { m_exits << status; });
}

void ServerTest::cleanup()
{
    Process::setTerminateHook({});
}

// Each way a student with the lab computer's credentials could read a password or a right
// answer, or write anything, is refused by the server with "insufficient privilege".
void ServerTest::labRoleIsRefused_data()
{
    QTest::addColumn<QString>("sql");
    auto row = [](const char* what, const char* sql) {
        QTest::newRow(what) << QString::fromUtf8(sql);
    };
    row("read the passwords", "select Пароль from Пользователи");
    row("read every column of the users", "select * from Пользователи");
    row("read the right answers", "select ОтветПр from БДТест");
    row("read the whole bank", "select * from БДТест");
    row("read the sessions", "select * from okulyk_sessions");
    row("read the stored attempts", "select * from okulyk_attempts");
    row("read the failed sign-ins", "select * from okulyk_signin_failures");
    row("store a result", "insert into Тесты(Пользователь, Верно) values('aigerim', 30)");
    row("change a result", "update Тесты set Верно = 30");
    row("delete the results", "delete from Тесты");
    row("empty the results", "truncate Тесты");
    row("add a user", "insert into Пользователи(Логин, Пароль) values('x', 'y')");
    row("change a password", "update Пользователи set Пароль = 'x'");
    row("remove a user", "delete from Пользователи");
    row("add a question", "insert into БДТест(Вопрос) values('x')");
    row("change a question", "update БДТест set Вопрос = 'x'");
    row("remove a question", "delete from БДТест");
    row("add a lecture", "insert into Лекции(НазваниеЛекции) values('x')");
    row("change a lecture", "update Лекции set АдресЛекции = '/x'");
    row("remove a laboratory work", "delete from Лабы");
    row("add a video", "insert into Видео(НазваниеВидео) values('x')");
    row("turn off the results' row security", "alter table Тесты disable row level security");
    row("make a table", "create table t(x integer)");
}

void ServerTest::labRoleIsRefused()
{
    QFETCH(QString, sql);
    TestCourse course;
    course.exec(kUsers + bank({QStringLiteral("2")}) +
                QStringLiteral("insert into Тесты(Пользователь, Верно) values('nurlan', 7);"
                               "insert into Лабы(НазваниеЛабы) values('L');"));
    const auto before = course.contents();
    Client lab(course.roleConnInfo(TestCourse::Role::Lab));
    QVERIFY(lab.connected());
    const Client::Outcome outcome = lab.run(sql);
    // What the student sees, for the record of what the lab role was refused.
    qInfo("%s -> %s %s", qUtf8Printable(sql), qUtf8Printable(outcome.state),
          qUtf8Printable(outcome.message));
    QCOMPARE(outcome.state, QStringLiteral("42501"));
    QCOMPARE(course.contents(), before);
}

// What a test needs: logins and groups (no passwords), the questions and their five answers
// (no right answer), the three lists; results only of the login signed in on the connection.
void ServerTest::labRoleReadsWhatATestNeeds()
{
    TestCourse course;
    course.exec(kUsers + bank({QStringLiteral("2"), QStringLiteral("3")}) +
                QStringLiteral("insert into Тесты(Пользователь, Верно) values('nurlan', 7);"
                               "insert into Тесты(Пользователь, Верно) values('aigerim', 9);"
                               "insert into Лекции(НазваниеЛекции) values('Дәріс');"));
    Client lab(course.roleConnInfo(TestCourse::Role::Lab));
    for (const char* sql :
         {"select Логин, Группа from Пользователи order by rowid",
          "select Вопрос, Ответ1, Ответ2, Ответ3, Ответ4, Ответ5 from БДТест order by rowid",
          "select count(*) from БДТест", "select * from Лекции", "select * from Лабы",
          "select * from Видео"}) {
        const Client::Outcome outcome = lab.run(QString::fromUtf8(sql));
        QVERIFY2(outcome.state.isEmpty(), sql);
    }
    QCOMPARE(lab.run(QStringLiteral("select count(*) from БДТест")).rows,
             QList<QStringList>{{QStringLiteral("2")}});
    // Before a sign-in no result is visible; after it, the login's own.
    QVERIFY(lab.run(QStringLiteral("select * from Тесты")).rows.isEmpty());
    QCOMPARE(lab.run(QStringLiteral("select verdict from okulyk_sign_in('aigerim', '12345')")).rows,
             QList<QStringList>{{QStringLiteral("accepted")}});
    QCOMPARE(lab.run(QStringLiteral("select Пользователь, Верно from Тесты")).rows,
             QList<QStringList>({{QStringLiteral("aigerim"), QStringLiteral("9")}}));
}

// Scoring goes through the server's function only, for the session's own login, with the
// program's rule; anything else is refused and stores nothing.
void ServerTest::forgedResultsAreRefused()
{
    TestCourse course;
    course.exec(kUsers + bank({QStringLiteral("1"), QStringLiteral("2")}));
    Client lab(course.roleConnInfo(TestCourse::Role::Lab));
    const QString rightly = attemptArrays(course, 1);
    const auto submit = [&lab](const QString& attempt, const QString& arrays) {
        return lab.run(QStringLiteral("select okulyk_submit('%1', %2)").arg(attempt, arrays));
    };

    Client::Outcome outcome = submit(QStringLiteral("a1"), rightly);
    QCOMPARE(outcome.state, QStringLiteral("P0001"));
    QVERIFY2(outcome.message.contains(QStringLiteral("сеансы табылмады")),
             qPrintable(outcome.message));
    // A session token cannot be guessed into being.
    lab.run(QStringLiteral("select set_config('okulyk.session', 'deadbeef', false)"));
    QCOMPARE(submit(QStringLiteral("a1"), rightly).state, QStringLiteral("P0001"));

    lab.run(QStringLiteral("select okulyk_sign_in('nurlan', 'qwerty')"));
    QCOMPARE(submit(QStringLiteral("nurlans"), rightly).rows,
             QList<QStringList>{{QStringLiteral("15")}});
    lab.run(QStringLiteral("select okulyk_sign_in('aigerim', '12345')"));
    for (const QString& arrays :
         {QStringLiteral("'{1,2}', '{1,1}'"), // two questions, not thirty
          QStringLiteral("%1, '{%2}'")
              .arg(rightly.section(QStringLiteral(", "), 0, 0),
                   QStringList(30, QStringLiteral("6")).join(u',')), // no letter F
          QStringLiteral("%1, '{%2}'")
              .arg(rightly.section(QStringLiteral(", "), 0, 0),
                   (QStringList(29, QStringLiteral("1")) << QStringLiteral("null")).join(u','))}) {
        outcome = submit(QStringLiteral("forged"), arrays);
        QCOMPARE(outcome.state, QStringLiteral("22023"));
    }
    // Another login's attempt cannot be taken over, nor its score read through it.
    outcome = submit(QStringLiteral("nurlans"), rightly);
    QCOMPARE(outcome.state, QStringLiteral("22023"));
    QVERIFY(outcome.message.contains(QStringLiteral("another login")));
    QCOMPARE(lab.run(QStringLiteral("insert into Тесты(Пользователь, Верно) values('aigerim', "
                                    "30)"))
                 .state,
             QStringLiteral("42501"));

    // The one accepted attempt of this login: 15 right (the "A" key of every other number).
    QCOMPARE(submit(QStringLiteral("aigerims"), rightly).rows,
             QList<QStringList>{{QStringLiteral("15")}});
    QCOMPARE(course.column(QStringLiteral("select Пользователь || '=' || Верно from Тесты "
                                          "order by rowid")),
             QStringList({QStringLiteral("nurlan=15"), QStringLiteral("aigerim=15")}));
    QCOMPARE(lab.run(QStringLiteral("select Пользователь from Тесты")).rows,
             QList<QStringList>{{QStringLiteral("aigerim")}});
}

// A lab computer runs the same program: the server checks sign-in with the two messages, the
// administrator's controls stay hidden even for Chief, an attempt is scored by the server, and
// the results window shows the login's own rows, read-only. Nothing is refused at start-up.
void ServerTest::labComputerThroughTheWindows()
{
    TestCourse course;
    course.exec(kUsers + bank(QStringList(40, QStringLiteral("1"))) +
                QStringLiteral("insert into Тесты(Пользователь, Верно) values('nurlan', 7);"));
    Program lab(course, TestCourse::Role::Lab);
    QCOMPARE(lab.dialogs.texts(), QStringList());
    QVERIFY(lab.windows.form3()->logins().isEmpty()); // no list was read

    QVERIFY(!lab.signIn(QStringLiteral("nobody"), QStringLiteral("x")));
    QVERIFY(!lab.signIn(QStringLiteral("aigerim"), QStringLiteral("1234")));
    QVERIFY(!lab.signIn(QStringLiteral("Aigerim"), QStringLiteral("12345")));
    QCOMPARE(lab.dialogs.texts(),
             QStringList({TForm3::kNoSuchAccount, TForm3::kWrongPassword, TForm3::kNoSuchAccount}));
    // A user the teacher adds now signs in at once: the server checks every attempt.
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль) values('Chief','root2')"));
    lab.dialogs.clear();
    QVERIFY(lab.signIn(QStringLiteral("Chief"), QStringLiteral("root")));
    QCOMPARE(lab.windows.form1()->currentUser(), QStringLiteral("Chief"));
    QVERIFY(!lab.windows.form1()->usersButton()->isVisibleTo(lab.windows.form1()));
    QVERIFY(!lab.windows.form7()->editingGroup()->isVisibleTo(lab.windows.form7()));
    lab.windows.form8()->showModeless();
    QVERIFY(!lab.windows.form8()->editTestButton()->isVisibleTo(lab.windows.form8()));

    lab.windows.form2()->showModeless();
    QTest::mouseClick(lab.windows.form2()->questionButton(3), Qt::LeftButton);
    QTest::mouseClick(lab.windows.form2()->answerButton(2), Qt::LeftButton);
    lab.submit();
    QCOMPARE(lab.dialogs.texts(), QStringList{QStringLiteral("Сіз 29 дұрыс жауап бердіңіз")});
    QVERIFY(!lab.windows.form2()->isVisible());
    QCOMPARE(course.column(QStringLiteral("select Пользователь || '=' || Верно from Тесты "
                                          "order by rowid")),
             QStringList({QStringLiteral("nurlan=7"), QStringLiteral("Chief=29")}));

    // Chief's results on a lab computer are Chief's own, and cannot be changed there.
    lab.windows.form6()->openResults(QStringLiteral("Chief"));
    const ResultsModel* results = lab.windows.form6()->model();
    QCOMPARE(results->rowCount(), 1);
    QCOMPARE(results->index(0, 1).data().toString(), QStringLiteral("29"));
    QVERIFY(!results->isEditable());
    QCOMPARE(results->columnCount(), 2); // the server's row id is no column of the grid
}

void ServerTest::wrongRightAnswerStoresNothingOnTheLab()
{
    TestCourse course;
    course.exec(kUsers + bank({QStringLiteral(" 3 x")}));
    Program lab(course, TestCourse::Role::Lab);
    QVERIFY(lab.signIn(QStringLiteral("aigerim"), QStringLiteral("12345")));
    lab.windows.form2()->showModeless();
    lab.submit();
    QCOMPARE(lab.dialogs.texts(Dialogs::Kind::Error),
             QStringList{QStringLiteral("' 3 x' is not a valid integer value.")});
    QVERIFY(lab.dialogs.texts(Dialogs::Kind::Message).isEmpty());
    QVERIFY(lab.windows.form2()->isVisible());
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")), QStringLiteral("0"));
}

// Ten wrong passwords in a minute and the login is refused for a while, the right password
// included; another login is not held up.
void ServerTest::failedSignInsAreLimited()
{
    TestCourse course;
    course.exec(kUsers);
    Program lab(course, TestCourse::Role::Lab);
    for (int i = 0; i < 10; ++i)
        QVERIFY(!lab.signIn(QStringLiteral("aigerim"), QStringLiteral("guess%1").arg(i)));
    QCOMPARE(lab.dialogs.texts(), QStringList(10, TForm3::kWrongPassword));
    lab.dialogs.clear();
    QVERIFY(!lab.signIn(QStringLiteral("aigerim"), QStringLiteral("12345")));
    const QStringList errors = lab.dialogs.texts(Dialogs::Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QStringLiteral("бір минутта тым көп рет")), qPrintable(errors[0]));
    lab.dialogs.clear();
    QVERIFY(lab.signIn(QStringLiteral("nurlan"), QStringLiteral("qwerty")));
}

void ServerTest::restartInTheMiddleOfASession_data()
{
    QTest::addColumn<int>("role");
    QTest::newRow("lab computer") << int(TestCourse::Role::Lab);
    QTest::newRow("teacher's computer") << int(TestCourse::Role::Teacher);
}

// The server cuts every connection (a restart) while an attempt is open. "Тест тапсыру" then fails
// with the clear message and stores nothing; pressed again once the server is back, it stores the
// attempt exactly once under the signed-in login, and the program goes on as before.
void ServerTest::restartInTheMiddleOfASession()
{
    QFETCH(int, role);
    TestCourse course;
    course.exec(kUsers + bank(QStringList(40, QStringLiteral("2"))));
    Program program(course, TestCourse::Role(role));
    QVERIFY(program.signIn(QStringLiteral("aigerim"), QStringLiteral("12345")));
    program.windows.form2()->showModeless();
    for (int q = 1; q <= 10; ++q) {
        QTest::mouseClick(program.windows.form2()->questionButton(q), Qt::LeftButton);
        QTest::mouseClick(program.windows.form2()->answerButton(2), Qt::LeftButton);
    }

    cutEveryConnection(course);
    program.dialogs.clear();
    program.submit();
    const QStringList errors = program.dialogs.texts(Dialogs::Kind::Error);
    QCOMPARE(errors, QStringList{ErrorReport::withFullStop(ServerStore::kLostConnection)});
    QVERIFY(program.windows.form2()->isVisible());
    QCOMPARE(program.windows.form2()->answerOf(10), 2);
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")), QStringLiteral("0"));

    program.dialogs.clear();
    program.submit();
    QCOMPARE(program.dialogs.texts(), QStringList{QStringLiteral("Сіз 10 дұрыс жауап бердіңіз")});
    QVERIFY(!program.windows.form2()->isVisible());
    QCOMPARE(course.column(QStringLiteral("select Пользователь || '=' || Верно from Тесты")),
             QStringList{QStringLiteral("aigerim=10")});

    // Everything else works again too.
    program.dialogs.clear();
    program.windows.form6()->openResults(QStringLiteral("aigerim"));
    QCOMPARE(program.windows.form6()->model()->rowCount(), 1);
    QCOMPARE(program.dialogs.texts(), QStringList());
}

void ServerTest::retriedSubmitIsStoredOnce_data()
{
    restartInTheMiddleOfASession_data();
}

// An attempt whose first submission was stored though the program never heard so (its commit
// answer lost with the connection) is stored once when submitted again, with the same score.
void ServerTest::retriedSubmitIsStoredOnce()
{
    QFETCH(int, role);
    TestCourse course;
    course.exec(kUsers + bank({QStringLiteral("1")}));
    course.useRole(TestCourse::Role(role));
    if (TestCourse::Role(role) == TestCourse::Role::Lab) {
        Connection::shared().open();
        QCOMPARE(int(Connection::shared().store().signIn(QStringLiteral("nurlan"),
                                                         QStringLiteral("qwerty"))),
                 int(SignInVerdict::Accepted));
    }
    AttemptToStore attempt;
    attempt.attemptId = QStringLiteral("the-same-attempt");
    attempt.login = QStringLiteral("nurlan");
    const QString id = course.scalar(QStringLiteral("select rowid from БДТест"));
    for (int q = 0; q < TForm2::kQuestions; ++q) {
        attempt.rowIds << id.toLongLong();
        attempt.answers << (q < 12 ? 1 : 3);
    }
    QList<int> announced;
    for (int press = 0; press < 2; ++press)
        storeAttempt(
            attempt,
            [] {
                QList<int> marks(TForm2::kQuestions, 0);
                std::fill_n(marks.begin(), 12, 1);
                return marks;
            },
            [&announced](int score) { announced << score; });
    QCOMPARE(announced, QList<int>({12, 12}));
    QCOMPARE(course.column(QStringLiteral("select Пользователь || '=' || Верно from Тесты")),
             QStringList{QStringLiteral("nurlan=12")});
    // Its answers once too, under the stored row, marked as the score counts them.
    QCOMPARE(course.scalar(QStringLiteral("select count(*) || ':' || sum(a.Верно) from Ответы a "
                                          "join Тесты t on t.rowid = a.ТестИд")),
             QStringLiteral("30:12"));
    // All stored at one time, the present.
    QCOMPARE(course.scalar(QStringLiteral("select count(distinct Время) || ':' || "
                                          "(abs(max(Время) - extract(epoch from now())) < 600) "
                                          "from Ответы")),
             QStringLiteral("1:true"));
}

// A database whose searched columns fold only ASCII letters (made with the C locale and no
// Kazakh collation on them), or that is not UTF-8, is refused with a clear message instead of
// searching wrongly.
void ServerTest::databasesThatCannotSearchAreRefused()
{
    TestCourse course;
    const QString tables = QStringLiteral(
        "create table БДТест(Вопрос text, Ответ1 text, Ответ2 text, Ответ3 text, Ответ4 text, "
        "Ответ5 text, ОтветПр text, rowid bigint generated always as identity primary key);"
        "create table Лекции(НазваниеЛекции text, АдресЛекции text, rowid bigint generated "
        "always as identity primary key);");
    {
        Client admin(course.superuserConnInfo());
        QVERIFY(admin
                    .run(QStringLiteral("create database c_locale template template0 encoding "
                                        "'UTF8' locale 'C'"))
                    .state.isEmpty());
        QVERIFY(admin
                    .run(QStringLiteral("create database ascii template template0 encoding "
                                        "'SQL_ASCII' locale 'C'"))
                    .state.isEmpty());
    }
    QString connInfo = course.superuserConnInfo();
    for (const QString& database : {QStringLiteral("c_locale"), QStringLiteral("ascii")}) {
        Client owner(connInfo.replace(course.databaseName(), database));
        QVERIFY(owner.run(tables).state.isEmpty());
        connInfo = course.superuserConnInfo();
    }

    const auto refusal = [&course](const QString& database) {
        course.pointTo(database);
        return errorOf([] { Connection::shared().open(); });
    };
    QString message = refusal(QStringLiteral("c_locale"));
    QVERIFY2(message.contains(QStringLiteral("C локалімен")) &&
                 message.contains(QStringLiteral("«Дәріс»")),
             qPrintable(message));
    QVERIFY(!Connection::shared().isOpen());
    message = refusal(QStringLiteral("ascii"));
    QVERIFY2(message.contains(QStringLiteral("SQL_ASCII")), qPrintable(message));
    QVERIFY(errorOf([] { Connection::shared().open(); }) == message);

    // The same locale with the course made by the program searches every letter.
    course.pointTo(course.databaseName());
    QCOMPARE(errorOf([] { Connection::shared().open(); }), QString());
}

void ServerTest::textWithNulIsRefusedClearly()
{
    TestCourse course;
    Query add;
    add.setStatement(Statements::addLecture);
    add.bind(QStringLiteral("a1"), QString::fromUtf16(u"a\0b", 3));
    add.bind(QStringLiteral("a2"), QStringLiteral("/a"));
    const QString message = errorOf([&add] { add.execSql(); });
    QVERIFY2(message.contains(QStringLiteral("NUL")), qPrintable(message));
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Лекции")), QStringLiteral("0"));
}

// Every statement of the catalogue is known to the server as the server reads it, for the role
// that runs it: the teacher's all of them, the lab's those a lab computer runs.
void ServerTest::everyStatementPreparesForItsRole()
{
    TestCourse course;
    auto prepares = [](const Statements::Entry& entry) {
        Query query(entry.name);
        query.setStatement(entry.lines);
        const QString error = errorOf([&query] { query.verify(); });
        QVERIFY2(error.isEmpty(), qPrintable(entry.name + QStringLiteral(": ") + error));
    };
    for (const Statements::Entry& entry : Statements::catalogue()) {
        if (!entry.fileOnly)
            prepares(entry);
    }
    for (const Statements::Entry& entry : Statements::serverCatalogue())
        prepares(entry);

    course.useRole(TestCourse::Role::Lab);
    const QStringList lab = {QStringLiteral("countQuestions"),
                             QStringLiteral("questionsAtWithoutRight"),
                             QStringLiteral("signIn"),
                             QStringLiteral("resumeSession"),
                             QStringLiteral("submitAttempt"),
                             QStringLiteral("tableRowId"),
                             QStringLiteral("mayReadPasswords"),
                             QStringLiteral("searchedCollations"),
                             QStringLiteral("selectLogins"),
                             QStringLiteral("findLectures"),
                             QStringLiteral("resultsOfUserPage"),
                             QStringLiteral("resultsLastRowId")};
    for (const Statements::Entry& entry : Statements::catalogue() + Statements::serverCatalogue()) {
        if (lab.contains(entry.name))
            prepares(entry);
    }
}

QTEST_MAIN(ServerTest)
#include "tst_server.moc"
