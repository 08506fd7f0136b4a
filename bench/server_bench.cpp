// The lab server's rows of the benchmark table, B9 to B12 and B15, on a loopback PostgreSQL
// server that scripts/bench starts for the run (its address comes in PGHOST, PGPORT, PGUSER,
// PGPASSWORD):
//   B9   preparing an attempt from a 100,000-question bank as a lab computer (the server deals);
//   B10  sign-in from 30 processes at once, 100 each;
//   B11  submitting dealt attempts from 30 processes at once, 100 each, counted afterwards;
//   B12  the same submits on one db.mdb shared by 30 processes;
//   B15  the server dealing attempts to 30 processes at once, 100 each.
// Each beside raw libpq making the same calls in the same run; for the concurrent rows the two
// take turns, twice each. Prints "ROW|..." lines.
//   server_bench                              every row
//   server_bench --child KIND INDEX START     one of the 30 processes (started by the above)

#include "AppError.h"
#include "Attempts.h"
#include "BenchSupport.h"
#include "Connection.h"
#include "QuestionBank.h"
#include "ServerSetup.h"
#include "Store.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <cstdio>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

constexpr int kProcesses = 30;
constexpr int kEach = 100;
constexpr int kQuestions = 100000;
constexpr int kDrawn = 30;
const char* const kDatabase = "okulyk_bench";
const QString kLabService = QStringLiteral("bench_lab");

// Stops the whole run: a benchmark on a half-made course would print wrong figures.
[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "server_bench: %s\n", qUtf8Printable(what));
    std::exit(1);
}

class Raw {
public:
    explicit Raw(const QString& connInfo) : m_conn(PQconnectdb(connInfo.toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            fail(QString::fromUtf8(PQerrorMessage(m_conn)));
    }
    ~Raw() { PQfinish(m_conn); }
    Raw(const Raw&) = delete;
    Raw& operator=(const Raw&) = delete;

    void exec(const QString& sql) const
    {
        PGresult* result = PQexec(m_conn, sql.toUtf8().constData());
        const auto status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            fail(QString::fromUtf8(PQresultErrorMessage(result)));
        PQclear(result);
    }
    // Runs a prepared-style statement with text parameters; returns the first value.
    QString value(const char* sql, const std::vector<QByteArray>& parameters) const
    {
        std::vector<const char*> values;
        for (const QByteArray& parameter : parameters)
            values.push_back(parameter.constData());
        PGresult* result = PQexecParams(m_conn, sql, int(values.size()), nullptr, values.data(),
                                        nullptr, nullptr, 0);
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            fail(QString::fromUtf8(PQresultErrorMessage(result)));
        QString first;
        if (PQntuples(result) > 0)
            first = QString::fromUtf8(PQgetvalue(result, 0, 0));
        // Every value is read, as a program reading the rows would.
        for (int row = 0; row < PQntuples(result); ++row) {
            for (int column = 0; column < PQnfields(result); ++column)
                (void)PQgetvalue(result, row, column);
        }
        PQclear(result);
        return first;
    }

    // Statements each in a transaction of its own, in one round trip (libpq's pipeline), as a
    // lab computer's sign-in and submit go; returns the first value of the last.
    QString
    pipelined(const std::vector<std::pair<const char*, std::vector<QByteArray>>>& calls) const
    {
        if (PQenterPipelineMode(m_conn) != 1)
            fail(QString::fromUtf8(PQerrorMessage(m_conn)));
        for (const auto& [sql, parameters] : calls) {
            std::vector<const char*> values;
            for (const QByteArray& parameter : parameters)
                values.push_back(parameter.constData());
            PQsendQueryParams(m_conn, sql, int(values.size()), nullptr, values.data(), nullptr,
                              nullptr, 0);
            PQpipelineSync(m_conn);
        }
        QString last;
        for (std::size_t synced = 0; synced < calls.size();) {
            PGresult* result = PQgetResult(m_conn);
            if (!result)
                continue;
            const auto status = PQresultStatus(result);
            if (status == PGRES_PIPELINE_SYNC)
                ++synced;
            else if (status == PGRES_TUPLES_OK)
                last =
                    PQntuples(result) > 0 ? QString::fromUtf8(PQgetvalue(result, 0, 0)) : QString();
            else
                fail(QString::fromUtf8(PQresultErrorMessage(result)));
            PQclear(result);
        }
        PQexitPipelineMode(m_conn);
        return last;
    }

private:
    PGconn* m_conn;
};

QString folder()
{
    return qEnvironmentVariable("OKULYK_BENCH_SERVER_DIR");
}

QString superuser(const QString& database)
{
    return QStringLiteral("host=%1 port=%2 user=%3 password=%4 dbname=%5")
        .arg(qEnvironmentVariable("PGHOST"), qEnvironmentVariable("PGPORT"),
             qEnvironmentVariable("PGUSER"), qEnvironmentVariable("PGPASSWORD"), database);
}

// A file attempt: 30 rows of the bank (row ids are 1..100000) and an answer to each.
AttemptToStore randomAttempt(const QString& login)
{
    AttemptToStore attempt;
    attempt.attemptId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    attempt.login = login;
    for (int q = 0; q < kDrawn; ++q) {
        attempt.rowIds << QRandomGenerator::global()->bounded(kQuestions) + 1;
        attempt.answers << QRandomGenerator::global()->bounded(1, 6);
    }
    return attempt;
}

// The program's and raw libpq's runs of a concurrent row take turns, twice each, so that
// neither gains from going second (a warmer server).
constexpr int kRounds = 2;

// The name under which the server dealt attempt i of a process in one round, for the program's
// run or raw libpq's: made beforehand, so that B11 times the submits alone.
QString dealtName(const QString& kind, int round, int index, int i)
{
    return QStringLiteral("%1-%2-%3-%4").arg(kind).arg(round).arg(index).arg(i);
}

QString login(int number)
{
    return QStringLiteral("оқушы%1").arg(number);
}

QString password(int number)
{
    return QStringLiteral("құпия%1").arg(number);
}

// The course on the server as server-init makes it, as its roles see it, with a bank of
// 100,000 questions and 3,000 users; and the lab computer's service and password files.
void makeServerCourse()
{
    {
        Raw admin(superuser(QStringLiteral("postgres")));
        admin.exec(QStringLiteral("drop database if exists %1 with (force)").arg(kDatabase));
        admin.exec(QStringLiteral("drop role if exists bench_teacher"));
        admin.exec(QStringLiteral("drop role if exists bench_lab"));
        admin.exec(
            QStringLiteral("create database %1 encoding 'UTF8' template template0").arg(kDatabase));
        admin.exec(QStringLiteral("create role bench_teacher login password 'teacher'"));
        admin.exec(QStringLiteral("create role bench_lab login password 'lab'"));
    }
    Raw course(superuser(QString::fromLatin1(kDatabase)));
    course.exec(
        ServerSetup::courseScript({QStringLiteral("bench_teacher"), QStringLiteral("bench_lab")}));
    course.exec(
        QStringLiteral(
            "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) "
            "select 'Сұрақ ' || g || ': позициялық санау жүйесінде цифрдың мәні неге байланысты?', "
            "'Цифрдың орнына ' || g, 'Санның таңбасына', 'Жүйенің негізіне ғана', "
            "'Цифрлар санына', 'Ешнәрсеге байланысты емес', ((g % 5) + 1)::text "
            "from generate_series(1, %1) g")
            .arg(kQuestions));
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль,Группа) "
                               "select 'оқушы' || g, 'құпия' || g, 'ІТ-' || (g % 10) "
                               "from generate_series(1, %1) g")
                    .arg(kProcesses * kEach));
    // The attempts B11 submits, as the server deals them: 30 random rows for each login.
    for (const QString& kind : {QStringLiteral("submit"), QStringLiteral("raw-submit")})
        course.exec(QStringLiteral("insert into okulyk_drawn(attempt, login, rows) "
                                   "select '%1-' || r || '-' || p || '-' || i, 'оқушы' || (p + 1), "
                                   "array(select 1 + floor(random() * %2 + i * 0)::bigint "
                                   "from generate_series(1, %3)) "
                                   "from generate_series(0, %6) r, generate_series(0, %4) p, "
                                   "generate_series(0, %5) i")
                        .arg(kind)
                        .arg(kQuestions)
                        .arg(kDrawn)
                        .arg(kProcesses - 1)
                        .arg(kEach - 1)
                        .arg(kRounds - 1));
    course.exec(QStringLiteral("vacuum analyze"));

    QFile services(folder() + QStringLiteral("/pg_service.conf"));
    services.open(QIODevice::WriteOnly);
    services.write(QStringLiteral("[%1]\nhost=%2\nport=%3\ndbname=%4\nuser=bench_lab\n")
                       .arg(kLabService, qEnvironmentVariable("PGHOST"),
                            qEnvironmentVariable("PGPORT"), QString::fromLatin1(kDatabase))
                       .toUtf8());
    services.close();
    QFile passwords(folder() + QStringLiteral("/pgpass"));
    passwords.open(QIODevice::WriteOnly);
    passwords.write("*:*:*:bench_lab:lab\n");
    passwords.close();
    passwords.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// The course is reached the way a lab computer reaches it: by its service, as the lab role.
void useLabService()
{
    qputenv("PGSERVICEFILE", (folder() + QStringLiteral("/pg_service.conf")).toUtf8());
    qputenv("PGPASSFILE", (folder() + QStringLiteral("/pgpass")).toUtf8());
    for (const char* name : {"PGHOST", "PGPORT", "PGUSER", "PGPASSWORD", "PGDATABASE"})
        qunsetenv(name);
}

void openLabCourse()
{
    useLabService();
    Connection::shared().setAddress(StoreAddress::server(kLabService));
    Connection::shared().open();
}

// B9: the program's preparation (the server deals an attempt, without its right answers)
// beside the same call through libpq.
void benchPreparation()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QStringLiteral("prepare"), QStringLiteral("0"),
                 QStringLiteral("0")});
    child.waitForFinished(-1);
    const QStringList figures =
        QString::fromLatin1(child.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    if (child.exitCode() != 0 || figures.size() != 2)
        fail(QStringLiteral("B9 failed: ") + QString::fromUtf8(child.readAllStandardError()));
    const double measured = figures[0].toDouble();
    const double baseline = figures[1].toDouble();
    Bench::row(QStringLiteral("B9"),
               QStringLiteral("preparing an attempt on the lab server (dealt by the server), "
                              "100k questions"),
               Bench::ms(measured), Bench::ms(baseline) + QStringLiteral(" libpq"),
               measured / baseline, QStringLiteral("≤ 2×"), measured <= 2 * baseline);
}

const char* const kRawSignIn = "select okulyk_sign_in($1, $2, $3)";
const char* const kRawVerdict = "select verdict, token from okulyk_sign_in_verdict()";
const char* const kRawDeal = "select drawn_attempt, q_number, q_position, q_row, bank_size, "
                             "q_text, a1, a2, a3, a4, a5 from okulyk_draw()";
const char* const kRawSubmit = "select okulyk_submit($1, cast($2 as integer[]))";
const char* const kRawScore = "select okulyk_score($1)";

// A lab computer's sign-in through raw libpq: the call, then its verdict.
QString rawVerdict(const Raw& client, const QString& who, const QString& secret)
{
    return client.pipelined(
        {{kRawSignIn, {who.toUtf8(), secret.toUtf8(), QByteArrayLiteral("bench")}},
         {kRawVerdict, {}}});
}

// A lab computer's sign-in through raw libpq; the connection then works in the session.
void rawSignIn(const Raw& client, const QString& who, const QString& secret)
{
    if (rawVerdict(client, who, secret) != QLatin1String("accepted"))
        fail(QStringLiteral("%1 could not sign in").arg(who));
}

// One attempt dealt to the program's session; the number of its questions.
int programDeal(QuestionBank& bank)
{
    bank.load([](int, DrawRule::Mode) -> QList<int> { fail(QStringLiteral("not dealt")); });
    return int(bank.picks().size());
}

int prepareChild()
{
    openLabCourse();
    if (Connection::shared().store().signIn(login(1), password(1), QStringLiteral("bench")) !=
        SignInVerdict::Accepted)
        fail(QStringLiteral("%1 could not sign in").arg(login(1)));
    Raw client(QStringLiteral("service=%1").arg(kLabService));
    rawSignIn(client, login(2), password(2));
    QuestionBank bank;
    int dealt = 0;
    const auto [measured, baseline] = Bench::alternate(
        31, [&] { dealt = programDeal(bank); }, [&] { client.value(kRawDeal, {}); });
    if (dealt != kDrawn)
        fail(QStringLiteral("the server dealt %1 questions, not %2").arg(dealt).arg(kDrawn));
    std::printf("%f %f\n", measured, baseline);
    return 0;
}

// Waits for the moment every process starts at.
void waitUntil(qint64 start)
{
    const qint64 wait = start - QDateTime::currentMSecsSinceEpoch();
    if (wait > 0)
        QThread::msleep(static_cast<unsigned long>(wait));
}

// One of the 30 processes: 100 sign-ins, attempts dealt or submits, each timed; prints the
// milliseconds of each, then "done N" for the N that the store reported done.
int concurrentChild(const QString& kindAndRound, int index, qint64 start)
{
    const QString kind = kindAndRound.section(QLatin1Char('#'), 0, 0);
    const int round = kindAndRound.section(QLatin1Char('#'), 1, 1).toInt();
    const bool raw = kind.startsWith(QLatin1String("raw-"));
    const bool file = kind == QLatin1String("file-submit");
    const bool signingIn = kind.endsWith(QLatin1String("signin"));
    const QString own = login(index + 1);
    std::unique_ptr<Raw> client;
    QuestionBank bank;
    try {
        if (file) {
            Connection::shared().open(folder() + QStringLiteral("/db.mdb"));
        } else if (raw) {
            useLabService();
            client = std::make_unique<Raw>(QStringLiteral("service=%1").arg(kLabService));
            if (!signingIn)
                rawSignIn(*client, own, password(index + 1));
        } else {
            openLabCourse();
            if (!signingIn && Connection::shared().store().signIn(own, password(index + 1),
                                                                  QStringLiteral("bench")) !=
                                  SignInVerdict::Accepted)
                fail(QStringLiteral("%1 could not sign in").arg(own));
        }
    } catch (const AppError& error) {
        fail(error.message());
    }

    waitUntil(start);
    int done = 0;
    QList<double> latencies;
    for (int i = 0; i < kEach; ++i) {
        const int user = index * kEach + i + 1;
        QElapsedTimer timer;
        timer.start();
        try {
            if (kind == QLatin1String("signin")) {
                done += Connection::shared().store().signIn(login(user), password(user),
                                                            QStringLiteral("bench")) ==
                        SignInVerdict::Accepted;
            } else if (kind == QLatin1String("raw-signin")) {
                done +=
                    rawVerdict(*client, login(user), password(user)) == QLatin1String("accepted");
            } else if (kind == QLatin1String("deal")) {
                done += programDeal(bank) == kDrawn;
            } else if (kind == QLatin1String("raw-deal")) {
                done += !client->value(kRawDeal, {}).isEmpty();
            } else if (kind == QLatin1String("raw-submit")) {
                QStringList answers;
                for (int q = 0; q < kDrawn; ++q)
                    answers << QString::number(QRandomGenerator::global()->bounded(1, 6));
                const QByteArray name = dealtName(kind, round, index, i).toUtf8();
                client->pipelined(
                    {{kRawSubmit,
                      {name, (QLatin1Char('{') + answers.join(u',') + QLatin1Char('}')).toUtf8()}},
                     {kRawScore, {name}}});
                ++done;
            } else {
                AttemptToStore attempt = randomAttempt(own);
                if (!file)
                    attempt.attemptId = dealtName(kind, round, index, i);
                storeAttempt(
                    attempt,
                    [&attempt] {
                        QList<int> marks;
                        for (const int answer : attempt.answers)
                            marks << (answer == 2 ? 1 : 0);
                        return marks;
                    },
                    [](int) {});
                ++done;
            }
        } catch (const AppError& error) {
            std::fprintf(stderr, "%s\n", qUtf8Printable(error.message()));
        }
        latencies << timer.nsecsElapsed() / 1e6;
    }
    for (const double latency : std::as_const(latencies))
        std::printf("%f\n", latency);
    std::printf("done %d\n", done);
    return 0;
}

struct Concurrent {
    QList<double> latencies;
    int done = 0;
    double p50() const { return percentile(50); }
    double p95() const { return percentile(95); }
    double percentile(int p) const
    {
        QList<double> sorted = latencies;
        std::sort(sorted.begin(), sorted.end());
        return sorted.isEmpty()
                   ? 0
                   : sorted[std::min<qsizetype>(sorted.size() - 1, sorted.size() * p / 100)];
    }
    QString figure() const
    {
        return QStringLiteral("%1 (p95 %2)").arg(Bench::ms(p50()), Bench::ms(p95()));
    }
};

// Starts the 30 processes, which connect and then begin together.
Concurrent runConcurrent(const QString& kind, int round = 0)
{
    const qint64 start = QDateTime::currentMSecsSinceEpoch() + 4000;
    QList<QProcess*> children;
    for (int index = 0; index < kProcesses; ++index) {
        auto* child = new QProcess;
        child->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--child"), QStringLiteral("%1#%2").arg(kind).arg(round),
                      QString::number(index), QString::number(start)});
        children << child;
    }
    Concurrent result;
    for (QProcess* child : std::as_const(children)) {
        child->waitForFinished(-1);
        const QStringList lines =
            QString::fromUtf8(child->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        const QByteArray errors = child->readAllStandardError();
        if (!errors.isEmpty())
            std::fprintf(stderr, "%s: %s", qPrintable(kind), errors.constData());
        for (const QString& line : lines) {
            if (line.startsWith(QLatin1String("done ")))
                result.done += line.mid(5).toInt();
            else
                result.latencies << line.toDouble();
        }
        delete child;
    }
    return result;
}

qint64 serverCount(const char* table)
{
    Raw admin(superuser(QString::fromLatin1(kDatabase)));
    return admin.value(qPrintable(QStringLiteral("select count(*) from %1").arg(table)), {})
        .toLongLong();
}

qint64 fileCount()
{
    sqlite3* db = nullptr;
    sqlite3_open((folder() + QStringLiteral("/db.mdb")).toUtf8().constData(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "select count(*) from Тесты", -1, &statement, nullptr);
    sqlite3_step(statement);
    const qint64 count = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
}

// "3000 stored, 0 lost, 0 doubled": stored rows against the submits the program reported done.
QString tally(qint64 stored, int done, int expected, bool& clean)
{
    const qint64 lost = std::max<qint64>(0, done - stored);
    const qint64 doubled = std::max<qint64>(0, stored - done);
    clean = lost == 0 && doubled == 0 && done == expected;
    return QStringLiteral("%1 of %2 stored, %3 lost, %4 doubled")
        .arg(stored)
        .arg(expected)
        .arg(lost)
        .arg(doubled);
}

// The program's and raw libpq's runs of one kind, taking turns: {program, raw}.
std::pair<Concurrent, Concurrent> inTurns(const QString& kind)
{
    Concurrent program;
    Concurrent raw;
    for (int round = 0; round < kRounds; ++round) {
        for (auto [name, into] :
             {std::pair{QStringLiteral("raw-") + kind, &raw}, std::pair{kind, &program}}) {
            const Concurrent run = runConcurrent(name, round);
            into->latencies << run.latencies;
            into->done += run.done;
        }
    }
    return {program, raw};
}

// The program's figure against raw libpq's: p50 ratio, with p95 beside each.
void concurrentRow(const QString& id, const QString& what, const Concurrent& program,
                   const Concurrent& raw, const QString& target, double most, bool clean)
{
    const double ratio = program.p50() / raw.p50();
    Bench::row(id, what, program.figure(), raw.figure() + QStringLiteral(" libpq"), ratio, target,
               clean && (most <= 0 || ratio <= most));
}

void benchConcurrent()
{
    const int total = kRounds * kProcesses * kEach;
    const auto [signIn, rawSignIn] = inTurns(QStringLiteral("signin"));
    concurrentRow(QStringLiteral("B10"),
                  QStringLiteral("sign-in on the lab server, 30 processes × 100 at once, p50 "
                                 "(%1 of %2 accepted)")
                      .arg(signIn.done)
                      .arg(total),
                  signIn, rawSignIn, QStringLiteral("≤ 1.3×, all accepted"), 1.3,
                  signIn.done == total && rawSignIn.done == total);

    Raw(superuser(QString::fromLatin1(kDatabase))).exec(QStringLiteral("truncate Тесты, Ответы"));
    const auto [submit, rawSubmit] = inTurns(QStringLiteral("submit"));
    bool clean = false;
    const QString counted =
        tally(serverCount("Тесты"), submit.done + rawSubmit.done, 2 * total, clean);
    concurrentRow(QStringLiteral("B11"),
                  QStringLiteral("submit on the lab server, 30 processes × 100 at once, p50 (%1)")
                      .arg(counted),
                  submit, rawSubmit, QStringLiteral("≤ 1.3×, 0 lost, 0 doubled"), 1.3, clean);

    const Concurrent file = runConcurrent(QStringLiteral("file-submit"));
    bool fileClean = false;
    const QString fileCounted = tally(fileCount(), file.done, kProcesses * kEach, fileClean);
    Bench::row(
        QStringLiteral("B12"),
        QStringLiteral("the same submits on one db.mdb, 30 processes, p50 (%1)").arg(fileCounted),
        file.figure(), submit.figure() + QStringLiteral(" server"), file.p50() / submit.p50(),
        QStringLiteral("—"), fileClean);

    const auto [deal, rawDeal] = inTurns(QStringLiteral("deal"));
    concurrentRow(QStringLiteral("B15"),
                  QStringLiteral("the lab server dealing attempts, 100k questions, 30 processes "
                                 "× 100 at once, p50 (%1 of %2 dealt)")
                      .arg(deal.done)
                      .arg(total),
                  deal, rawDeal, QStringLiteral("all dealt"), 0,
                  deal.done == total && rawDeal.done == total);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() == 4 && arguments[0] == QLatin1String("--child")) {
        if (arguments[1] == QLatin1String("prepare"))
            return prepareChild();
        return concurrentChild(arguments[1], arguments[2].toInt(), arguments[3].toLongLong());
    }
    if (qEnvironmentVariableIsEmpty("PGPORT"))
        fail(QStringLiteral("no server announced (PGPORT): run it through scripts/bench"));
    QTemporaryDir dir;
    qputenv("OKULYK_BENCH_SERVER_DIR", dir.path().toUtf8());
    makeServerCourse();
    // The file of the comparison: the same bank, a copy of the benchmark course of 100k.
    if (!QFile::copy(Bench::course({kQuestions, 3, 0, 0}), dir.path() + QStringLiteral("/db.mdb")))
        fail(QStringLiteral("cannot copy the benchmark course"));
    benchPreparation();
    benchConcurrent();
    return 0;
}
