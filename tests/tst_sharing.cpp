// Two programs on one db.mdb, as the file is shared by design: each stores 1,000 results through
// the test window while reading its results back and editing a result, a user and a question,
// and the teacher's companion imports questions meanwhile; nothing is lost and nothing fails. A
// lock held by another program is waited for up to the busy timeout, also by a step that reads
// before it writes, and past the timeout it is reported in the error box instead of hanging.

#include "AppError.h"
#include "ChildProcess.h"
#include "Connection.h"
#include "TestCourse.h"
#include "Transaction.h"
#include "WriteScenarios.h"

#include <QFile>
#include <QTest>
#include <sqlite3.h>

using namespace WriteScenarios;

namespace {

constexpr int kResultsEach = 1000;
constexpr int kImports = 5;
constexpr int kImportedQuestions = 20;

QString driver()
{
    return ChildProcess::binary(QStringLiteral("write_driver"));
}

QString admin()
{
    return ChildProcess::binary(QStringLiteral("okulyk-admin"));
}

// Another program's connection holding the database: BEGIN EXCLUSIVE keeps every other
// connection out, BEGIN IMMEDIATE (with a change made) keeps other writers out until release().
// It gets its lock at once, not waiting for anyone: the programs under test hold no lock while
// they wait for input.
class OtherProgram {
public:
    OtherProgram(const QString& path, const char* begin)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        m_began = exec(begin);
        sqlite3_busy_timeout(m_db, 10000);
    }
    ~OtherProgram()
    {
        release();
        sqlite3_close(m_db);
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool began() const { return m_began; }
    bool exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == 0; }
    bool release()
    {
        if (sqlite3_get_autocommit(m_db))
            return true;
        return exec("commit");
    }

private:
    sqlite3* m_db = nullptr;
    bool m_began = false;
};

QString writeQuestionFile(const TestCourse& course)
{
    const QString path = course.dir() + QStringLiteral("/questions.txt");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(aikenText(importedQuestions(kImportedQuestions)).toUtf8());
    return path;
}

QStringList resultsOf(const TestCourse& course, const QString& login)
{
    return course.column(
        QStringLiteral("select Верно from Тесты where Пользователь = '%1' order by rowid")
            .arg(login));
}

// The scores a driver acknowledged, in order.
QStringList ackedScores(const ChildProcess& child)
{
    QStringList scores;
    for (const QString& line : child.linesStartingWith(QStringLiteral("ack ")))
        scores << line.section(QLatin1Char(' '), 2, 2);
    return scores;
}

} // namespace

class SharingTest : public QObject {
    Q_OBJECT
private slots:
    void twoProgramsStoreAThousandResultsEach();
    void aLockShorterThanTheTimeoutIsWaitedFor();
    void aLockPastTheTimeoutIsReportedNotAHang();
    void aStepThatReadsBeforeItWritesWaitsForTheOtherWriter_data();
    void aStepThatReadsBeforeItWritesWaitsForTheOtherWriter();
    void aWriteLockNotGrantedInTimeFailsTheStepAtItsStart();
};

void SharingTest::twoProgramsStoreAThousandResultsEach()
{
    TestCourse course;
    course.exec(seedSql() +
                QStringLiteral("insert into Тесты(Пользователь, Верно) values('edit-A', 0);"
                               "insert into Тесты(Пользователь, Верно) values('edit-B', 0);"));
    const QString questions = writeQuestionFile(course);
    const QStringList usersBefore =
        course.column(QStringLiteral("select Логин||Пароль||Группа from Пользователи"));

    QElapsedTimer clock;
    clock.start();
    const QStringList count = {QString::number(kResultsEach)};
    ChildProcess a(driver(), QStringList{"share", course.dir(), "A"} + count, course.dir());
    ChildProcess b(driver(), QStringList{"share", course.dir(), "B"} + count, course.dir());
    QVERIFY(a.waitForLine(QStringLiteral("ready"), 30000));
    QVERIFY(b.waitForLine(QStringLiteral("ready"), 30000));
    // The teacher imports questions while both programs write.
    for (int i = 0; i < kImports; ++i) {
        ChildProcess import(admin(), {QStringLiteral("import-questions"), questions}, course.dir());
        QVERIFY2(import.waitForExit(60000), "the import hangs");
        QVERIFY2(import.exitedNormally() && import.exitCode() == 0,
                 qPrintable(import.errorOutput()));
        QVERIFY2(a.isRunning() && b.isRunning(), "the programs ended before the imports");
    }
    for (ChildProcess* program : {&a, &b}) {
        QVERIFY2(program->waitForExit(150000), "a program hangs");
        const QStringList errors = program->linesStartingWith(QStringLiteral("error"));
        QVERIFY2(errors.isEmpty(), qPrintable(errors.mid(0, 5).join(QLatin1Char('\n'))));
        QCOMPARE(program->exitCode(), 0);
        QCOMPARE(program->lines().constLast(), QStringLiteral("done %1").arg(kResultsEach));
    }
    qInfo("two programs stored %d results each in %lld ms, with %d imports between", kResultsEach,
          clock.elapsed(), kImports);

    QCOMPARE(course.scalar(QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));
    // Every result, in the order each program stored them, with the score it was told.
    QCOMPARE(resultsOf(course, QStringLiteral("share-A")), ackedScores(a));
    QCOMPARE(resultsOf(course, QStringLiteral("share-B")), ackedScores(b));
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")),
             QString::number(2 * kResultsEach + 2));
    // The last edits of each program, and nothing else of the other's.
    const int lastEdit = (kResultsEach - 1) / 4 * 4;
    QCOMPARE(resultsOf(course, QStringLiteral("edit-A")),
             QStringList{QString::number(lastEdit % 31)});
    QCOMPARE(resultsOf(course, QStringLiteral("edit-B")),
             QStringList{QString::number(lastEdit % 31)});
    const int lastAnswer = (kResultsEach - 3) / 4 * 4 + 2;
    QCOMPARE(course.column(QStringLiteral("select Ответ1 from БДТест order by rowid limit 2")),
             QStringList(
                 {QStringLiteral("A %1").arg(lastAnswer), QStringLiteral("B %1").arg(lastAnswer)}));
    QCOMPARE(course.column(QStringLiteral("select Логин||Пароль||Группа from Пользователи")),
             usersBefore);
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from БДТест")),
             QString::number(kSeedQuestions + kImports * kImportedQuestions));
}

// The other program holds the file for a second; the five-second timeout covers it, so the
// results wait and are stored once it lets go.
void SharingTest::aLockShorterThanTheTimeoutIsWaitedFor()
{
    TestCourse course;
    course.exec(seedSql());
    ChildProcess program(driver(), {"gated", course.dir(), "5000", "result", "2"}, course.dir());
    QVERIFY(program.waitForLine(QStringLiteral("ready"), 30000));
    {
        OtherProgram other(course.dbPath(), "begin exclusive");
        QVERIFY(other.began());
        program.writeLine(QStringLiteral("go"));
        program.readFor(1000);
        QCOMPARE(program.lines(), QStringList{QStringLiteral("ready")});
    }
    QVERIFY(program.waitForLine(QStringLiteral("done"), 20000));
    QCOMPARE(program.linesStartingWith(QStringLiteral("error")), QStringList());
    QCOMPARE(program.lines().constLast(), QStringLiteral("done 2"));
    QCOMPARE(resultsOf(course, QStringLiteral("gated")).size(), 2);
}

// Held for longer than the timeout (300 ms here), the file gives each step the error box with
// the store's text after about that time; the program goes on and stores nothing.
void SharingTest::aLockPastTheTimeoutIsReportedNotAHang()
{
    TestCourse course;
    course.exec(seedSql());
    ChildProcess program(driver(), {"gated", course.dir(), "300", "result", "2"}, course.dir());
    QVERIFY(program.waitForLine(QStringLiteral("ready"), 30000));
    {
        OtherProgram other(course.dbPath(), "begin exclusive");
        QVERIFY(other.began());
        QElapsedTimer clock;
        clock.start();
        program.writeLine(QStringLiteral("go"));
        QVERIFY(program.waitForLine(QStringLiteral("error"), 10000));
        const qint64 firstError = clock.elapsed();
        QVERIFY2(program.waitForLine(QStringLiteral("done"), 10000), "the program hangs");
        const qint64 done = clock.elapsed();
        qInfo("first error box after %lld ms, both attempts over after %lld ms", firstError, done);
        QVERIFY2(firstError >= 250, qPrintable(QString::number(firstError)));
        QVERIFY2(done < 5000, qPrintable(QString::number(done)));
    }
    const QStringList errors = program.linesStartingWith(QStringLiteral("error"));
    QVERIFY(!errors.isEmpty());
    for (const QString& error : errors)
        QVERIFY2(error.contains(QStringLiteral("database is locked")), qPrintable(error));
    QCOMPARE(program.lines().constLast(), QStringLiteral("done 0"));
    QVERIFY(program.waitForExit(10000));
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(resultsOf(course, QStringLiteral("gated")), QStringList());
}

// The other program has begun writing and finishes half a second later. A step that reads first
// and then writes must wait for it like any other, not fail at once because its read would have
// to become a write while the other holds the write lock.
void SharingTest::aStepThatReadsBeforeItWritesWaitsForTheOtherWriter_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("removing a user") << QStringLiteral("remove-user");
    QTest::newRow("importing questions") << QStringLiteral("import");
}

void SharingTest::aStepThatReadsBeforeItWritesWaitsForTheOtherWriter()
{
    QFETCH(QString, step);
    TestCourse course;
    course.exec(seedSql() + QStringLiteral("insert into Пользователи(Логин,Пароль) values"
                                           "('gone-0','p'),('gone-1','p');"));
    const QString questions = writeQuestionFile(course);
    std::unique_ptr<ChildProcess> program;
    if (step == QLatin1String("remove-user")) {
        program = std::make_unique<ChildProcess>(
            driver(), QStringList{"gated", course.dir(), "5000", "remove-user", "2"}, course.dir());
        QVERIFY(program->waitForLine(QStringLiteral("ready"), 30000));
    }
    {
        OtherProgram other(course.dbPath(), "begin immediate");
        QVERIFY(other.began());
        QVERIFY(other.exec("insert into Тесты(Пользователь, Верно) values('other', 1)"));
        if (program)
            program->writeLine(QStringLiteral("go"));
        else
            program = std::make_unique<ChildProcess>(
                admin(), QStringList{QStringLiteral("import-questions"), questions}, course.dir());
        program->readFor(500);
        QVERIFY2(program->isRunning(),
                 qPrintable(program->lines().join('\n') + program->errorOutput()));
        QVERIFY(other.release());
    }
    QVERIFY2(program->waitForExit(20000), "the step hangs");
    QCOMPARE(program->linesStartingWith(QStringLiteral("error")), QStringList());
    QVERIFY2(program->exitCode() == 0, qPrintable(program->errorOutput()));
    if (step == QLatin1String("remove-user")) {
        QCOMPARE(program->lines().constLast(), QStringLiteral("done 2"));
        QCOMPARE(course.scalar(
                     QStringLiteral("select count(*) from Пользователи where Логин like 'gone-%'")),
                 QStringLiteral("0"));
    } else {
        QCOMPARE(course.scalar(QStringLiteral("select count(*) from БДТест")),
                 QString::number(kSeedQuestions + kImportedQuestions));
    }
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")), QStringLiteral("1"));
}

// The transaction of a step that reads before it writes reports the lock it cannot get when it
// begins, with the store's text, before the step has read anything; inside a transaction begun
// elsewhere it begins nothing and ends nothing.
void SharingTest::aWriteLockNotGrantedInTimeFailsTheStepAtItsStart()
{
    TestCourse course;
    course.exec(seedSql());
    Connection& connection = Connection::shared();
    connection.setBusyTimeoutMs(200);
    connection.open();
    {
        OtherProgram other(course.dbPath(), "begin immediate");
        QVERIFY(other.began());
        QElapsedTimer clock;
        clock.start();
        QString error;
        try {
            Transaction transaction(Transaction::Intent::ReadThenWrite);
        } catch (const AppError& e) {
            error = e.message();
        }
        QCOMPARE(error, QStringLiteral("database is locked"));
        QVERIFY2(clock.elapsed() >= 150, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!connection.inTransaction());
    }
    {
        Transaction outer;
        {
            Transaction inner(Transaction::Intent::ReadThenWrite);
            inner.commit();
        }
        QVERIFY(connection.inTransaction());
    }
    QVERIFY(!connection.inTransaction());
    connection.setBusyTimeoutMs(5000);
}

QTEST_MAIN(SharingTest)
#include "tst_sharing.moc"
