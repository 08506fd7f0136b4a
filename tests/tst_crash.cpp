// Crash consistency. The program's own write paths run in a child process (the write driver,
// through the real windows) and in okulyk-admin, and the child is killed with SIGKILL at a
// random moment, round after round on one database. After every round the database passes its
// integrity check, holds every change acknowledged before the kill and all or nothing of the
// change in flight, and keeps the administrator's row. A killed migration leaves no target but
// a whole one, and the next migration removes what the killed ones left.
//
// OKULYK_CRASH_ROUNDS multiplies the rounds for a longer run; OKULYK_CRASH_SEED repeats the
// moments of a run (each test prints its seed).

#include "ChildProcess.h"
#include "TestCourse.h"
#include "WriteScenarios.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <sqlite3.h>

using namespace WriteScenarios;

namespace {

constexpr int kImportedQuestions = 200;
// After "ready", the driver is killed within this time (each change takes a few to some tens
// of milliseconds, most of it in the commit); some rounds kill it while it starts instead.
constexpr int kRunWindowMs = 90;
constexpr int kStartWindowMs = 120;
constexpr int kEarlyKillPercent = 15;

int rounds(int standard)
{
    const int factor = qEnvironmentVariableIntValue("OKULYK_CRASH_ROUNDS");
    return standard * std::max(factor, 1);
}

quint32 seed()
{
    bool given = false;
    const quint32 value = qEnvironmentVariable("OKULYK_CRASH_SEED").toUInt(&given);
    return given ? value : QRandomGenerator::global()->generate();
}

// What the rounds of a test survived, printed at its end.
struct Figures {
    int rounds = 0;
    int killedStarting = 0;
    int killedInTransaction = 0;
    int acknowledged = 0;
    int inFlightStored = 0;
    qint64 rowsChecked = 0;

    void print(const char* what, quint32 seed) const
    {
        const QString starting =
            killedStarting >= 0 ? QStringLiteral("%1 killed while starting, ").arg(killedStarting)
                                : QString();
        qInfo("%s: %d rounds survived (seed %u): %s%d killed inside a write transaction; %d "
              "acknowledged changes, all there; of the changes in flight %d found stored whole, "
              "none half-stored; %lld rows checked",
              what, rounds, seed, qPrintable(starting), killedInTransaction, acknowledged,
              inFlightStored, rowsChecked);
    }
};

// The rows a scenario's tables hold, in a form that compares whole rows: nulls as "~", rows
// in stored order where that order matters and sorted where it does not.
QStringList storedRows(const TestCourse& course, Scenario scenario)
{
    QStringList rows;
    switch (scenario) {
    case Scenario::Results:
        return course.column(QStringLiteral(
            "select ifnull(Пользователь,'~')||'|'||ifnull(Верно,'~') from Тесты order by rowid"));
    case Scenario::Users:
        rows = course.column(QStringLiteral("select ifnull(Логин,'~')||'|'||ifnull(Пароль,'~')||"
                                            "'|'||ifnull(Группа,'~') from Пользователи"));
        break;
    case Scenario::Materials:
        rows = course.column(QStringLiteral(
            "select '1|'||ifnull(НазваниеЛекции,'~')||'|'||ifnull(АдресЛекции,'~') from Лекции "
            "union all select '2|'||ifnull(НазваниеЛабы,'~')||'|'||ifnull(АдресЛабы,'~') from Лабы "
            "union all select '3|'||ifnull(НазваниеВидео,'~')||'|'||ifnull(АдресВидео,'~') "
            "from Видео"));
        break;
    case Scenario::Questions:
        return course.column(kBankDump);
    }
    rows.sort();
    return rows;
}

// The same rows replayed in memory: the seed, then changes 0..count-1. A stored result's score
// is the one its acknowledgement gave.
QStringList replayedRows(Scenario scenario, int count, const QMap<int, int>& scores)
{
    QList<User> users = seedUsers();
    QList<Material> materials = seedMaterials();
    QList<Question> questions = seedQuestions();
    QStringList rows;
    for (int n = 0; n < count; ++n) {
        const Change step = change(scenario, n);
        switch (step.kind) {
        case Change::Kind::StoreResult:
            rows << step.login + QStringLiteral("|%1").arg(scores.value(n, -1));
            break;
        case Change::Kind::AddUser:
            users << step.user;
            break;
        case Change::Kind::RemoveUser:
            users.removeIf([&](const User& user) {
                return user.login == step.user.login && user.password == step.user.password;
            });
            break;
        case Change::Kind::ChangePassword:
            users.removeIf([&](const User& user) {
                return user.login == QLatin1String("Chief") && user.password == step.oldPassword;
            });
            users << User{QStringLiteral("Chief"), step.newPassword, QString()};
            break;
        case Change::Kind::AddMaterial:
            materials << step.material;
            break;
        case Change::Kind::RemoveMaterial:
            materials.removeIf([&](const Material& material) {
                return material.kind == step.material.kind && material.path == step.material.path;
            });
            break;
        case Change::Kind::InsertQuestion:
            questions << step.question;
            break;
        case Change::Kind::EditQuestion:
            questions[step.position] = step.question;
            break;
        }
    }
    switch (scenario) {
    case Scenario::Results:
        return rows;
    case Scenario::Users:
        for (const User& user : users)
            rows << QStringLiteral("%1|%2|%3").arg(user.login, user.password, user.group);
        break;
    case Scenario::Materials:
        for (const Material& material : materials)
            rows
                << QStringLiteral("%1|%2|%3").arg(material.kind).arg(material.title, material.path);
        break;
    case Scenario::Questions:
        for (const Question& question : questions)
            rows << bankRow(question);
        return rows;
    }
    rows.sort();
    return rows;
}

// Where two row lists part, for a failure message.
QString difference(const QStringList& stored, const QStringList& expected)
{
    qsizetype at = 0;
    while (at < stored.size() && at < expected.size() && stored[at] == expected[at])
        ++at;
    return QStringLiteral("%1 rows stored, %2 expected; row %3 is \"%4\", expected \"%5\"")
        .arg(stored.size())
        .arg(expected.size())
        .arg(at)
        .arg(stored.value(at, QStringLiteral("<none>")),
             expected.value(at, QStringLiteral("<none>")));
}

// A killed writer leaves the journal of the transaction it was in; opening the file rolls it
// back. Checked before anything opens the file.
bool journalLeft(const QString& database)
{
    return QFileInfo(database + QStringLiteral("-journal")).size() > 0;
}

// The administrator's row and the file's own check, after every round of every test.
bool soundCourse(const TestCourse& course, QString& why)
{
    const QString integrity = course.scalar(QStringLiteral("pragma integrity_check"));
    if (integrity != QLatin1String("ok")) {
        why = QStringLiteral("integrity check: ") + integrity;
        return false;
    }
    const QString administrators =
        course.scalar(QStringLiteral("select count(*) from Пользователи where Логин = 'Chief'"));
    if (administrators != QLatin1String("1")) {
        why = QStringLiteral("%1 rows of the administrator").arg(administrators);
        return false;
    }
    return true;
}

QString sha1(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromLatin1(
        QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex());
}

// Every table of an SQLite file with every row, values typed, in row order: two files have the
// same digest when they hold the same data. Empty when the file does not open as a database.
QString digest(const QString& path, int* rows = nullptr)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != 0) {
        sqlite3_close(db);
        return {};
    }
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const auto each = [db](const QString& sql, const std::function<void(sqlite3_stmt*)>& row) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr);
        while (statement && sqlite3_step(statement) == SQLITE_ROW)
            row(statement);
        sqlite3_finalize(statement);
    };
    QStringList tables;
    each(QStringLiteral("select name from sqlite_master where type = 'table' order by name"),
         [&](sqlite3_stmt* s) {
             tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
         });
    for (const QString& table : tables) {
        hash.addData(table.toUtf8());
        each(QStringLiteral("select * from \"%1\" order by rowid")
                 .arg(QString(table).replace('"', QStringLiteral("\"\""))),
             [&](sqlite3_stmt* s) {
                 if (rows)
                     ++*rows;
                 for (int i = 0; i < sqlite3_column_count(s); ++i) {
                     const int type = sqlite3_column_type(s, i);
                     hash.addData(QByteArray::number(type));
                     hash.addData(QByteArray(static_cast<const char*>(sqlite3_column_blob(s, i)),
                                             sqlite3_column_bytes(s, i)));
                 }
             });
    }
    sqlite3_close(db);
    return tables.isEmpty() ? QString() : QString::fromLatin1(hash.result().toHex());
}

QStringList unfinishedParts(const QString& folder)
{
    static const QRegularExpression part(QStringLiteral("^new\\.mdb\\.[0-9]+\\.part"));
    QStringList parts;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        if (part.match(name).hasMatch())
            parts << name;
    }
    return parts;
}

} // namespace

class CrashTest : public QObject {
    Q_OBJECT
private slots:
    void storingResults();
    void administeringUsers();
    void editingMaterials();
    void editingQuestions();
    void importingQuestions();
    void migrating();

private:
    void killDriverRounds(Scenario scenario, int count);
};

// Each round starts the driver at the first change the database does not hold yet, kills it,
// and finds which of the two states it may be in the database is in: every acknowledged change,
// or those and the one in flight.
void CrashTest::killDriverRounds(Scenario scenario, int count)
{
    const quint32 roundsSeed = seed();
    QRandomGenerator random(roundsSeed);
    TestCourse course;
    course.exec(seedSql());
    QMap<int, int> scores;
    int applied = 0;
    Figures figures;
    for (int round = 0; round < count; ++round) {
        const bool early = random.bounded(100) < kEarlyKillPercent;
        ChildProcess driver(
            ChildProcess::binary(QStringLiteral("write_driver")),
            {QStringLiteral("crash"), name(scenario), course.dir(), QString::number(applied)},
            course.dir());
        if (early) {
            driver.readFor(random.bounded(kStartWindowMs));
        } else {
            QVERIFY2(driver.waitForLine(QStringLiteral("ready"), 30000),
                     qPrintable(driver.errorOutput()));
            driver.readFor(random.bounded(kRunWindowMs));
        }
        const QString context = QStringLiteral("round %1 (seed %2): ").arg(round).arg(roundsSeed);
        QVERIFY2(driver.isRunning(), qPrintable(context + driver.lines().join(QLatin1Char('\n')) +
                                                driver.errorOutput()));
        driver.kill();
        if (driver.linesStartingWith(QStringLiteral("ready")).isEmpty())
            ++figures.killedStarting;
        if (journalLeft(course.dbPath()))
            ++figures.killedInTransaction;

        int acked = 0;
        for (const QString& line : driver.linesStartingWith(QStringLiteral("ack "))) {
            const QStringList parts = line.split(QLatin1Char(' '));
            QCOMPARE(parts.value(1).toInt(), applied + acked);
            if (parts.size() > 2)
                scores.insert(applied + acked, parts[2].toInt());
            ++acked;
        }
        QVERIFY2(driver.linesStartingWith(QStringLiteral("error")).isEmpty(),
                 qPrintable(context + driver.lines().join(QLatin1Char('\n'))));

        QString why;
        QVERIFY2(soundCourse(course, why), qPrintable(context + why));
        if (scenario == Scenario::Results) {
            // A result and its 30 answers are stored together or not at all.
            QCOMPARE(course.scalar(QStringLiteral(
                         "select (select count(*) from Тесты t where (select count(*) from "
                         "Ответы a where a.ТестИд = t.rowid) <> 30) + (select count(*) from "
                         "Ответы a where a.ТестИд not in (select rowid from Тесты))")),
                     QStringLiteral("0"));
            QCOMPARE(course.scalar(QStringLiteral("select count(*) from Ответы")),
                     QString::number(30 * storedRows(course, scenario).size()));
        }
        const QStringList stored = storedRows(course, scenario);
        QStringList expected = replayedRows(scenario, applied + acked, scores);
        if (stored != expected) {
            // The change in flight, stored whole; a result with the score it was given.
            if (scenario == Scenario::Results && stored.size() == applied + acked + 1) {
                const int score = stored.constLast().section(QLatin1Char('|'), -1).toInt();
                QVERIFY2(score >= 0 && score <= 30, qPrintable(stored.constLast()));
                scores.insert(applied + acked, score);
            }
            expected = replayedRows(scenario, applied + acked + 1, scores);
            QVERIFY2(stored == expected, qPrintable(context + difference(stored, expected)));
            ++acked;
            ++figures.inFlightStored;
        }
        applied += acked;
        figures.acknowledged +=
            static_cast<int>(driver.linesStartingWith(QStringLiteral("ack ")).size());
        figures.rowsChecked += stored.size();
        ++figures.rounds;
    }
    figures.print(qPrintable(name(scenario)), roundsSeed);
}

void CrashTest::storingResults()
{
    killDriverRounds(Scenario::Results, rounds(40));
}

void CrashTest::administeringUsers()
{
    killDriverRounds(Scenario::Users, rounds(40));
}

void CrashTest::editingMaterials()
{
    killDriverRounds(Scenario::Materials, rounds(40));
}

void CrashTest::editingQuestions()
{
    killDriverRounds(Scenario::Questions, rounds(40));
}

// okulyk-admin import-questions, run again and again until the round's moment comes and the one
// running is killed: the bank holds the file once for each import that ended, plus once or not
// at all for the one killed.
void CrashTest::importingQuestions()
{
    const quint32 roundsSeed = seed();
    QRandomGenerator random(roundsSeed);
    TestCourse course;
    course.exec(seedSql());
    const QList<Question> file = importedQuestions(kImportedQuestions);
    const QString path = course.dir() + QStringLiteral("/import.txt");
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(aikenText(file).toUtf8());
    }
    QStringList once;
    for (const Question& question : file)
        once << bankRow(question);
    const auto expected = [&](int imports) {
        QStringList rows;
        for (const Question& question : seedQuestions())
            rows << bankRow(question);
        for (int i = 0; i < imports; ++i)
            rows << once;
        return rows;
    };

    int applied = 0;
    Figures figures;
    figures.killedStarting = -1;
    for (int round = 0; round < rounds(30); ++round) {
        QElapsedTimer clock;
        clock.start();
        const qint64 moment = random.bounded(2 * kRunWindowMs);
        int finished = 0;
        for (;;) {
            ChildProcess import(ChildProcess::binary(QStringLiteral("okulyk-admin")),
                                {QStringLiteral("import-questions"), path}, course.dir());
            if (!import.waitForExit(
                    static_cast<int>(std::max<qint64>(0, moment - clock.elapsed())))) {
                import.kill();
                break;
            }
            QVERIFY2(import.exitedNormally() && import.exitCode() == 0,
                     qPrintable(import.errorOutput()));
            ++finished;
        }
        if (journalLeft(course.dbPath()))
            ++figures.killedInTransaction;
        const QString context = QStringLiteral("round %1 (seed %2): ").arg(round).arg(roundsSeed);
        QString why;
        QVERIFY2(soundCourse(course, why), qPrintable(context + why));
        const QStringList stored = course.column(kBankDump);
        if (stored != expected(applied + finished)) {
            QVERIFY2(stored == expected(applied + finished + 1),
                     qPrintable(context + difference(stored, expected(applied + finished + 1))));
            ++applied;
            ++figures.inFlightStored;
        }
        applied += finished;
        figures.acknowledged += finished;
        figures.rowsChecked += stored.size();
        ++figures.rounds;
    }
    figures.print("import-questions", roundsSeed);
}

// okulyk-admin migrate of the Access sample, killed during the copy: the target is either not
// there or holds what an uninterrupted migration writes; the temporary files of killed runs
// are removed by the next migration to that target; the Access file is never changed.
void CrashTest::migrating()
{
    const quint32 roundsSeed = seed();
    QRandomGenerator random(roundsSeed);
    TestCourse course(TestCourse::Database::None);
    const QString source = TestCourse::testDataDir() + QStringLiteral("/nwind.mdb");
    const QString sourceHash = sha1(source);
    const QString target = course.dir() + QStringLiteral("/new.mdb");
    const QString admin = ChildProcess::binary(QStringLiteral("okulyk-admin"));
    const auto migrate = [&] {
        return std::make_unique<ChildProcess>(
            admin, QStringList{QStringLiteral("migrate"), source, QStringLiteral("new.mdb")},
            course.dir());
    };
    // Exit status 3: the sample is not a course, which the migration reports.
    const auto succeeded = [](const ChildProcess& run) {
        return run.exitedNormally() && (run.exitCode() == 0 || run.exitCode() == 3);
    };

    QElapsedTimer clock;
    clock.start();
    auto reference = migrate();
    QVERIFY(reference->waitForExit(60000));
    QVERIFY2(succeeded(*reference), qPrintable(reference->errorOutput()));
    const int duration = static_cast<int>(clock.elapsed());
    int referenceRows = 0;
    const QString whole = digest(target, &referenceRows);
    QVERIFY(!whole.isEmpty());
    QVERIFY(QFile::remove(target));

    Figures figures;
    int targetsWhole = 0;
    int partsLeft = 0;
    int partsRemoved = 0;
    // A run that ends by itself has removed what the killed runs before it left.
    const auto checkRemoved = [&](const QStringList& before, const ChildProcess& run) {
        const QStringList now = unfinishedParts(course.dir());
        for (const QString& name : before) {
            if (now.contains(name) || !run.errorOutput().contains(name))
                return false;
        }
        partsRemoved += static_cast<int>(before.size());
        return true;
    };
    for (int round = 0; round < rounds(20); ++round) {
        const QString context = QStringLiteral("round %1 (seed %2): ").arg(round).arg(roundsSeed);
        const QStringList before = unfinishedParts(course.dir());
        auto run = migrate();
        const bool ended = run->waitForExit(random.bounded(duration + duration / 2 + 1));
        if (!ended) {
            run->kill();
        } else {
            QVERIFY2(succeeded(*run), qPrintable(context + run->errorOutput()));
            QVERIFY2(checkRemoved(before, *run), qPrintable(context + run->errorOutput()));
        }
        if (QFileInfo::exists(target)) {
            QCOMPARE(digest(target), whole);
            ++targetsWhole;
            figures.rowsChecked += referenceRows;
            QVERIFY(QFile::remove(target));
        } else {
            QVERIFY2(!ended, qPrintable(context + QStringLiteral("a finished migration left no "
                                                                 "target")));
        }
        QVERIFY2(!QFileInfo::exists(target + QStringLiteral("-journal")), qPrintable(context));
        const QStringList after = unfinishedParts(course.dir());
        if (std::any_of(after.begin(), after.end(),
                        [&](const QString& name) { return !before.contains(name); }))
            ++partsLeft;
        ++figures.rounds;
    }
    const QStringList before = unfinishedParts(course.dir());
    auto last = migrate();
    QVERIFY(last->waitForExit(60000));
    QVERIFY2(succeeded(*last), qPrintable(last->errorOutput()));
    QCOMPARE(digest(target), whole);
    QVERIFY2(checkRemoved(before, *last), qPrintable(last->errorOutput()));
    QCOMPARE(unfinishedParts(course.dir()), QStringList());
    QCOMPARE(sha1(source), sourceHash);
    qInfo("migrate: %d rounds survived (seed %u), a whole migration %d ms; %d targets there and "
          "whole (%lld rows checked), the others absent; %d kills left a temporary file; %d "
          "such files removed by the next migration that ran to its end, none left",
          figures.rounds, roundsSeed, duration, targetsWhole, figures.rowsChecked, partsLeft,
          partsRemoved);
}

QTEST_MAIN(CrashTest)
#include "tst_crash.moc"
