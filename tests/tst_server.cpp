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
#include "QuestionBank.h"
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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QTableView>
#include <QTest>
#include <QThread>
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

    // Sends a statement without waiting; outcome() waits for it.
    bool send(const QString& sql) const { return PQsendQuery(m_conn, sql.toUtf8().constData()); }
    Outcome outcome() const
    {
        Outcome last;
        while (PGresult* result = PQgetResult(m_conn)) {
            last = read(result);
            PQclear(result);
        }
        return last;
    }
    // The next notification on a channel this client listens to, waiting up to five seconds.
    QString notification() const
    {
        for (int tries = 0; tries < 500; ++tries) {
            PQconsumeInput(m_conn);
            if (PGnotify* notify = PQnotifies(m_conn)) {
                const QString payload = QString::fromUtf8(notify->extra);
                PQfreemem(notify);
                return payload;
            }
            QThread::msleep(10);
        }
        return {};
    }

    Outcome run(const QString& sql) const
    {
        PGresult* result = PQexec(m_conn, sql.toUtf8().constData());
        Outcome outcome = read(result);
        PQclear(result);
        return outcome;
    }

private:
    static Outcome read(PGresult* result)
    {
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
        return outcome;
    }

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

// Thirty answers, all the same letter, as an array the server reads.
QString answers(int letter)
{
    return QStringLiteral("'{%1}'").arg(QStringList(30, QString::number(letter)).join(u','));
}

// The rows of an attempt the server deals to the client's session: its name, then each
// question's row id, in number order.
QStringList dealt(const Client& lab)
{
    const Client::Outcome outcome =
        lab.run(QStringLiteral("select drawn_attempt, q_row from okulyk_draw() order by q_number"));
    QStringList rows;
    for (const QStringList& row : outcome.rows) {
        if (rows.isEmpty())
            rows << row[0];
        rows << row[1];
    }
    return rows;
}

// A sign-in as a lab computer makes it: the call, then its verdict in a transaction of its own;
// the verdict ("accepted", "none", "wrong"), or the sign-in's refusal.
Client::Outcome signIn(const Client& lab, const QString& login, const QString& password,
                       const QString& computer = {})
{
    const Client::Outcome call = lab.run(
        QStringLiteral("select okulyk_sign_in('%1', '%2', '%3')").arg(login, password, computer));
    if (!call.state.isEmpty())
        return call;
    return lab.run(QStringLiteral("select verdict from okulyk_sign_in_verdict()"));
}

// A submit as a lab computer makes it: the attempt's name and answers, then its stored score in
// a transaction of its own; the score, or the submit's refusal.
Client::Outcome submitted(const Client& lab, const QString& attempt, const QString& answers)
{
    const Client::Outcome call =
        lab.run(QStringLiteral("select okulyk_submit('%1', %2)").arg(attempt, answers));
    if (!call.state.isEmpty())
        return call;
    return lab.run(QStringLiteral("select okulyk_score('%1')").arg(attempt));
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
    void racingSubmitsAreStoredOnce();
    void dealtAttemptsFollowTheCourseRule();
    void labComputerThroughTheWindows();
    void wrongRightAnswerStoresNothingOnTheLab();
    void failedSignInsAreLimited();
    void sprayedSignInsAreLimited();
    void liveViewIsTheTeachers();
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
    QCOMPARE(signIn(lab, QStringLiteral("aigerim"), QStringLiteral("12345")).rows,
             QList<QStringList>{{QStringLiteral("accepted")}});
    QCOMPARE(lab.run(QStringLiteral("select Пользователь, Верно from Тесты")).rows,
             QList<QStringList>({{QStringLiteral("aigerim"), QStringLiteral("9")}}));
}

// What a student can try with the lab computer's credentials and an SQL client: choose the
// questions that are scored, try answers in a transaction and roll it back, submit an attempt
// twice with other answers, submit another login's attempt or one never dealt, seed the
// server's random numbers. Each is refused or teaches nothing; only an attempt the server dealt
// to the session's own login is scored, once, by the rows it dealt.
void ServerTest::forgedResultsAreRefused()
{
    TestCourse course;
    course.exec(kUsers + bank({QStringLiteral("1"), QStringLiteral("2")}));
    const QString first =
        course.scalar(QStringLiteral("select rowid from БДТест where Вопрос='Q1'"));
    Client lab(course.roleConnInfo(TestCourse::Role::Lab));
    const auto submit = [&lab](const QString& attempt, const QString& answers) {
        return submitted(lab, attempt, answers);
    };
    const QString chosenRows =
        QStringLiteral("select okulyk_submit('any-name', array_fill(%1::bigint, array[30]), "
                       "array_fill(1, array[30]))")
            .arg(first);

    // Before a sign-in nothing is dealt or scored; a session cannot be guessed into being.
    Client::Outcome outcome = lab.run(QStringLiteral("select * from okulyk_draw()"));
    QCOMPARE(outcome.state, QStringLiteral("P0001"));
    QVERIFY2(outcome.message.contains(QStringLiteral("сеансы табылмады")),
             qPrintable(outcome.message));
    lab.run(QStringLiteral("select set_config('okulyk.session', 'deadbeef', false)"));
    QCOMPARE(submit(QStringLiteral("a1"), answers(1)).state, QStringLiteral("P0001"));

    QCOMPARE(signIn(lab, QStringLiteral("aigerim"), QStringLiteral("12345")).rows,
             QList<QStringList>{{QStringLiteral("accepted")}});
    // Rows of its own choosing: there is no such call any more.
    QCOMPARE(lab.run(chosenRows).state, QStringLiteral("42883"));
    // An attempt the server never dealt, and answers that are no 30 letters A to E.
    outcome = submit(QStringLiteral("never-dealt"), answers(1));
    QCOMPARE(outcome.state, QStringLiteral("22023"));
    for (const QString& wrong :
         {QStringLiteral("'{1,2}'"), answers(6),
          QStringLiteral("'{%1,null}'").arg(QStringList(29, QStringLiteral("1")).join(u','))})
        QCOMPARE(submit(QStringLiteral("never-dealt"), wrong).state, QStringLiteral("22023"));
    // The attempts, the rule's parts and the teacher's view are the server's own.
    for (const char* sql :
         {"select * from okulyk_drawn", "update okulyk_drawn set score = 30",
          "select * from okulyk_signin_verdicts", "select okulyk_draw_positions(2, false)",
          "select okulyk_random_below(2)", "select * from okulyk_lab_lesson(now())",
          "select * from okulyk_lab_failures(now())",
          "insert into Настройки values('different_questions', '1')"})
        QCOMPARE(lab.run(QString::fromUtf8(sql)).state, QStringLiteral("42501"));

    // Another login's attempt cannot be taken over, nor its score read through it.
    Client other(course.roleConnInfo(TestCourse::Role::Lab));
    signIn(other, QStringLiteral("nurlan"), QStringLiteral("qwerty"));
    const QStringList nurlans = dealt(other);
    QCOMPARE(nurlans.size(), 31);
    outcome = submit(nurlans[0], answers(1));
    QCOMPARE(outcome.state, QStringLiteral("22023"));
    QVERIFY2(outcome.message.contains(QStringLiteral("басқа логинге")),
             qPrintable(outcome.message));

    // Answers tried in a transaction that is then rolled back, or in a savepoint: no score, no
    // result to read, nothing stored.
    const QStringList own = dealt(lab);
    const QString tried = QStringLiteral("select okulyk_submit('%1', %2)").arg(own[0], answers(1));
    const QString score = QStringLiteral("select okulyk_score('%1')").arg(own[0]);
    for (const QString& probe :
         {QStringLiteral("begin; %1; %2").arg(tried, score),
          QStringLiteral("begin; savepoint s; %1; rollback to savepoint s; %2").arg(tried, score),
          QStringLiteral("begin; %1; select Верно from Тесты").arg(tried)}) {
        outcome = lab.run(probe);
        lab.run(QStringLiteral("rollback"));
        QVERIFY2(outcome.rows.isEmpty() || outcome.rows.value(0).isEmpty(),
                 qPrintable(probe + QStringLiteral(" gave ") + outcome.rows.value(0).join(u',')));
    }
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")), QStringLiteral("0"));

    // Its own attempt is scored by the rows dealt: "A" is right for every Q1.
    const QString right = QString::number(own.mid(1).count(first));
    QCOMPARE(submit(own[0], answers(1)).rows, QList<QStringList>{{right}});
    // Submitted again with other answers: the stored score, nothing more, nothing learnt.
    QCOMPARE(submit(own[0], answers(2)).rows, QList<QStringList>{{right}});
    QCOMPARE(course.column(QStringLiteral("select Пользователь || '=' || Верно from Тесты")),
             QStringList{QStringLiteral("aigerim=") + right});
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Ответы")), QStringLiteral("30"));
    QCOMPARE(lab.run(QStringLiteral("insert into Тесты(Пользователь, Верно) values('aigerim', "
                                    "30)"))
                 .state,
             QStringLiteral("42501"));
    // Seeding the session's random numbers does not choose the questions.
    lab.run(QStringLiteral("select setseed(0.5)"));
    const QStringList seeded = dealt(lab).mid(1);
    lab.run(QStringLiteral("select setseed(0.5)"));
    QVERIFY(dealt(lab).mid(1) != seeded);
}

// Two submits of one attempt at the same moment (a retry racing the first): both are given the
// stored score, and it is stored once.
void ServerTest::racingSubmitsAreStoredOnce()
{
    TestCourse course;
    course.exec(kUsers + bank({QStringLiteral("1")}));
    Client first(course.roleConnInfo(TestCourse::Role::Lab));
    signIn(first, QStringLiteral("aigerim"), QStringLiteral("12345"));
    const QString attempt = dealt(first).value(0);
    Client second(course.roleConnInfo(TestCourse::Role::Lab));
    second.run(QStringLiteral("select set_config('okulyk.session', '%1', false)")
                   .arg(first.run(QStringLiteral("select current_setting('okulyk.session')"))
                            .rows.value(0)
                            .value(0)));
    const QString submit =
        QStringLiteral("select okulyk_submit('%1', %2)").arg(attempt, answers(1));
    QVERIFY(first.run(QStringLiteral("begin")).state.isEmpty());
    QVERIFY(first.run(submit).state.isEmpty());
    QVERIFY(second.send(submit)); // waits for the first to end
    QThread::msleep(200);
    QVERIFY(first.run(QStringLiteral("commit")).state.isEmpty());
    const Client::Outcome raced = second.outcome();
    QVERIFY2(raced.state.isEmpty(), qPrintable(raced.message));
    for (const Client* client : {&first, &second})
        QCOMPARE(client->run(QStringLiteral("select okulyk_score('%1')").arg(attempt)).rows,
                 QList<QStringList>{{QStringLiteral("30")}});
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")), QStringLiteral("1"));
}

// The course's rule on the server: with replacement by default; with "30 different questions"
// a bank of 35 gives 30 different ones, and a bank of 10 each question once before any comes
// again. Attempts dealt and never submitted are dropped after a day.
void ServerTest::dealtAttemptsFollowTheCourseRule()
{
    TestCourse course;
    course.exec(kUsers + bank(QStringList(35, QStringLiteral("1"))));
    Client lab(course.roleConnInfo(TestCourse::Role::Lab));
    signIn(lab, QStringLiteral("aigerim"), QStringLiteral("12345"));
    const auto distinct = [](const QStringList& rows) {
        return QSet<QString>(rows.cbegin() + 1, rows.cend()).size();
    };
    bool repeated = false;
    for (int attempt = 0; attempt < 5; ++attempt)
        repeated = repeated || distinct(dealt(lab)) < 30;
    QVERIFY(repeated);
    course.exec(QStringLiteral("insert into Настройки(Имя, Значение) "
                               "values('different_questions', '1')"));
    for (int attempt = 0; attempt < 5; ++attempt)
        QCOMPARE(distinct(dealt(lab)), 30);
    course.exec(QStringLiteral("delete from БДТест where rowid > (select min(rowid) + 9 from "
                               "БДТест)"));
    const QStringList small = dealt(lab);
    QCOMPARE(distinct(small.mid(0, 11)), 10);
    for (const QString& row : small.mid(1))
        QCOMPARE(small.mid(1).count(row), 3);

    course.exec(
        QStringLiteral(
            "update okulyk_drawn set drawn = now() - interval '25 hours' where attempt = '%1'")
            .arg(small[0]));
    const int before = course.scalar(QStringLiteral("select count(*) from okulyk_drawn")).toInt();
    dealt(lab);
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from okulyk_drawn")).toInt(), before);
    QCOMPARE(
        course.scalar(
            QStringLiteral("select count(*) from okulyk_drawn where attempt = '%1'").arg(small[0])),
        QStringLiteral("0"));
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
    // The server's row id is no column of the grid; the time of each result is.
    QCOMPARE(results->columnCount(), 3);
    QCOMPARE(results->headerData(2, Qt::Horizontal).toString(), ResultsModel::kTimeColumn);

    // A session that has run out: the server deals no test, and the window says why instead of
    // opening without questions.
    course.exec(QStringLiteral("update okulyk_sessions set started = now() - interval '2 days'"));
    lab.dialogs.clear();
    lab.windows.form2()->showModeless();
    QVERIFY(!lab.windows.form2()->isVisible());
    const QStringList errors = lab.dialogs.texts(Dialogs::Kind::Error);
    QVERIFY2(errors.size() == 1 && errors[0].contains(QStringLiteral("сеансы табылмады")),
             qPrintable(errors.join(u'\n')));
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

// One password tried against every login: beside the limit per login, failed sign-ins are
// limited per lab computer and for the whole server, by the course's settings, and the teacher
// sees them counted per computer.
void ServerTest::sprayedSignInsAreLimited()
{
    TestCourse course;
    QString users = kUsers;
    for (int i = 0; i < 30; ++i)
        users +=
            QStringLiteral("insert into Пользователи(Логин,Пароль) values('u%1','p%1');").arg(i);
    course.exec(users);
    Client lab(course.roleConnInfo(TestCourse::Role::Lab));
    const auto tryPassword = [&lab](const QString& login, const QString& password) {
        return signIn(lab, login, password, QStringLiteral("PC-7"));
    };
    // Guesses made in a transaction that is rolled back learn nothing: no verdict without a
    // failure counted for good.
    for (int i = 0; i < 3; ++i) {
        const Client::Outcome rolledBack = lab.run(
            QStringLiteral("begin; select okulyk_sign_in('u1', 'guess%1'); select verdict from "
                           "okulyk_sign_in_verdict()")
                .arg(i));
        lab.run(QStringLiteral("rollback"));
        QCOMPARE(rolledBack.state, QStringLiteral("25001"));
    }
    for (int i = 0; i < 20; ++i)
        QCOMPARE(tryPassword(QStringLiteral("u%1").arg(i), QStringLiteral("123456")).rows,
                 QList<QStringList>{{QStringLiteral("wrong")}});
    Client::Outcome refused = tryPassword(QStringLiteral("u25"), QStringLiteral("p25"));
    QCOMPARE(refused.state, QStringLiteral("P0001"));
    QVERIFY2(refused.message.startsWith(QStringLiteral("Бұл компьютерден")) &&
                 refused.message.contains(QStringLiteral("бір минутта тым көп рет")),
             qPrintable(refused.message));
    Client teacher(course.roleConnInfo(TestCourse::Role::Teacher));
    QCOMPARE(teacher
                 .run(QStringLiteral("select computer, failures from okulyk_lab_failures(now() "
                                     "- interval '1 hour')"))
                 .rows,
             QList<QStringList>({{QStringLiteral("PC-7"), QStringLiteral("20")}}));

    // The whole server's limit, lowered by the teacher: every computer is held back.
    course.exec(QStringLiteral("delete from okulyk_signin_failures;"
                               "insert into Настройки(Имя, Значение) values "
                               "('signin_failures_per_server', '3')"));
    for (int i = 0; i < 3; ++i)
        tryPassword(QStringLiteral("u%1").arg(i), QStringLiteral("x"));
    Client other(course.roleConnInfo(TestCourse::Role::Lab));
    refused = signIn(other, QStringLiteral("nurlan"), QStringLiteral("qwerty"));
    QVERIFY2(refused.message.startsWith(QStringLiteral("Серверге кіру")),
             qPrintable(refused.message));
}

// The teacher's view of the lab: who is signed in now and where, whose attempt is open, whose
// result has come; lab computers may not read it, and what the server announces to any
// listener names nobody.
void ServerTest::liveViewIsTheTeachers()
{
    TestCourse course;
    course.exec(kUsers + bank({QStringLiteral("1")}));
    Client listener(course.roleConnInfo(TestCourse::Role::Lab));
    QVERIFY(listener.run(QStringLiteral("listen okulyk_lab")).state.isEmpty());
    auto lab = std::make_unique<Client>(course.roleConnInfo(TestCourse::Role::Lab));
    signIn(*lab, QStringLiteral("aigerim"), QStringLiteral("12345"), QStringLiteral("PC-3"));
    QCOMPARE(listener.notification(), QStringLiteral("signin"));
    const QString attempt = dealt(*lab).value(0);
    QCOMPARE(listener.notification(), QStringLiteral("draw"));

    Client teacher(course.roleConnInfo(TestCourse::Role::Teacher));
    const QString lesson = QStringLiteral(
        "select login, grp, computer, signed_in is not null, working_since is not null, "
        "coalesce(score::text, '-') from okulyk_lab_lesson(now() - interval '1 hour')");
    QCOMPARE(teacher.run(lesson).rows,
             QList<QStringList>(
                 {{QStringLiteral("aigerim"), QStringLiteral("ИС-21"), QStringLiteral("PC-3"),
                   QStringLiteral("t"), QStringLiteral("t"), QStringLiteral("-")}}));
    submitted(*lab, attempt, answers(1));
    QCOMPARE(listener.notification(), QStringLiteral("result"));
    QCOMPARE(teacher.run(lesson).rows.value(0).mid(3),
             QStringList({QStringLiteral("t"), QStringLiteral("f"), QStringLiteral("30")}));
    // A lab computer that closes the program is signed in no more.
    lab.reset();
    QTRY_COMPARE(teacher.run(lesson).rows.value(0).value(3), QStringLiteral("f"));
    QCOMPARE(listener.run(QStringLiteral("select * from okulyk_lab_lesson(now())")).state,
             QStringLiteral("42501"));
}

void ServerTest::restartInTheMiddleOfASession_data()
{
    QTest::addColumn<int>("role");
    QTest::newRow("lab computer") << int(TestCourse::Role::Lab);
    QTest::newRow("teacher's computer") << int(TestCourse::Role::Teacher);
}

// The server cuts every connection (a restart) while an attempt is open: the next action
// connects again and resumes the signed-in session, unnoticed. With the server down, "Тест
// тапсыру" fails with the clear message and stores nothing, the attempt kept; pressed again once
// the server is back, it stores the attempt once. The next test window after a restart holds its
// 30 questions; with the server down it does not open.
void ServerTest::restartInTheMiddleOfASession()
{
    QFETCH(int, role);
    TestCourse course;
    course.exec(kUsers + bank(QStringList(40, QStringLiteral("2"))));
    Program program(course, TestCourse::Role(role));
    QVERIFY(program.signIn(QStringLiteral("aigerim"), QStringLiteral("12345")));
    TForm2* form = program.windows.form2();
    const auto answerTen = [form] {
        form->showModeless();
        for (int q = 1; q <= 10; ++q) {
            QTest::mouseClick(form->questionButton(q), Qt::LeftButton);
            QTest::mouseClick(form->answerButton(2), Qt::LeftButton);
        }
    };
    answerTen();
    cutEveryConnection(course);
    program.dialogs.clear();
    program.submit();
    QCOMPARE(program.dialogs.texts(), QStringList{QStringLiteral("Сіз 10 дұрыс жауап бердіңіз")});
    QCOMPARE(course.column(QStringLiteral("select Пользователь || '=' || Верно from Тесты")),
             QStringList{QStringLiteral("aigerim=10")});

    answerTen();
    course.setServerDown(true);
    cutEveryConnection(course);
    program.dialogs.clear();
    program.submit();
    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Error),
             QStringList{ErrorReport::withFullStop(ServerStore::kLostConnection)});
    QVERIFY(form->isVisible());
    QCOMPARE(form->answerOf(10), 2);
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")), QStringLiteral("1"));
    course.setServerDown(false);
    program.dialogs.clear();
    program.submit();
    QCOMPARE(program.dialogs.texts(), QStringList{QStringLiteral("Сіз 10 дұрыс жауап бердіңіз")});
    QVERIFY(!form->isVisible());
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")), QStringLiteral("2"));

    // The next test window after a restart holds its questions.
    cutEveryConnection(course);
    program.dialogs.clear();
    form->showModeless();
    QVERIFY(form->isVisible());
    QTest::mouseClick(form->questionButton(30), Qt::LeftButton);
    QVERIFY(form->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))
                ->toPlainText()
                .startsWith(QLatin1Char('Q')));
    QCOMPARE(program.dialogs.texts(), QStringList());
    form->close();
    // With the server down it says so once and does not open.
    course.setServerDown(true);
    cutEveryConnection(course);
    form->showModeless();
    QVERIFY(!form->isVisible());
    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Error),
             QStringList{ErrorReport::withFullStop(ServerStore::kLostConnection)});
    course.setServerDown(false);

    // Everything else works again too.
    program.dialogs.clear();
    program.windows.form6()->openResults(QStringLiteral("aigerim"));
    QCOMPARE(program.windows.form6()->model()->rowCount(), 2);
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
    Connection::shared().open();
    if (TestCourse::Role(role) == TestCourse::Role::Lab)
        QCOMPARE(int(Connection::shared().store().signIn(QStringLiteral("nurlan"),
                                                         QStringLiteral("qwerty"))),
                 int(SignInVerdict::Accepted));
    QuestionBank bank;
    bank.load([](int rowCount, DrawRule::Mode mode) {
        QRandomGenerator random(7);
        return DrawRule::draw(rowCount, mode, random);
    });
    AttemptToStore attempt;
    attempt.attemptId =
        bank.dealtAttempt().isEmpty() ? QStringLiteral("the-same-attempt") : bank.dealtAttempt();
    attempt.login = QStringLiteral("nurlan");
    for (int q = 0; q < TForm2::kQuestions; ++q) {
        attempt.rowIds << bank.rowIdAt(bank.picks().value(q));
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
    // The result and its answers stored at one time, the present.
    QCOMPARE(course.scalar(QStringLiteral("select count(distinct a.Время) || ':' || "
                                          "(abs(max(a.Время) - extract(epoch from now())) < 600) "
                                          "|| ':' || (max(a.Время) = max(t.Время)) "
                                          "from Ответы a join Тесты t on t.rowid = a.ТестИд")),
             QStringLiteral("1:true:true"));
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
                             QStringLiteral("dealAttempt"),
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
