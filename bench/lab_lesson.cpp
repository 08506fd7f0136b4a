// A lesson in a computer lab, simulated: lab computers that sign in (some mistype the password
// first), are dealt a test by the server and submit it, at moments spread over the lesson, each
// through the program's own data layer with a connection of its own, as the lab role. For the
// teacher's live view, by eye or by a test.
//   lab_lesson --setup SERVICE [--students N]
//       as the teacher's role: adds the students оқушы01..N (password құпия01..N) in the
//       groups ИС-21 and ИС-22 where missing, and questions where the bank has fewer than 40
//   lab_lesson SERVICE [--students N] [--seconds S] [--hold S] [--unfinished K]
//       as the lab role: N computers (30), the lesson's events over S seconds (20), the last K
//       of them (3) not submitting; the programs stay open S seconds more (60) before the
//       computers go. Prints "signed in N", "dealt N", "submitted N" when all is done.

#include "AppError.h"
#include "Connection.h"
#include "Query.h"
#include "QuestionBank.h"
#include "ServerStore.h"
#include "Statements.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

QString login(int number)
{
    return QStringLiteral("оқушы%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString password(int number)
{
    return QStringLiteral("құпия%1").arg(number, 2, 10, QLatin1Char('0'));
}

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "lab_lesson: %s\n", qUtf8Printable(what));
    std::exit(1);
}

// The students and, for a bank too small for a test, questions, through the shared connection.
int setUp(const QString& service, int students)
{
    Connection::shared().setAddress(StoreAddress::server(service));
    try {
        Connection::shared().open();
        Query present;
        present.setStatement(Statements::usersGridOfLogin);
        Query add;
        add.setStatement(Statements::addUser);
        for (int number = 1; number <= students; ++number) {
            present.bind(QStringLiteral("a"), login(number));
            present.open();
            if (present.rowCount() > 0)
                continue;
            add.bind(QStringLiteral("a1"), login(number));
            add.bind(QStringLiteral("a2"), password(number));
            add.bind(QStringLiteral("a3"),
                     number % 2 ? QStringLiteral("ИС-21") : QStringLiteral("ИС-22"));
            add.execSql();
        }
        Query count;
        count.setStatement(Statements::Server::countQuestions);
        count.open();
        Query question;
        question.setStatement(Statements::appendQuestion);
        for (int number = count.text(0, 0).toInt() + 1; number <= 40; ++number) {
            question.bind(QStringLiteral("a1"),
                          QStringLiteral("%1-сұрақ: 2 + %1 неге тең?").arg(number));
            for (int option = 0; option < 5; ++option)
                question.bind(QStringLiteral("a%1").arg(option + 2),
                              QString::number(number + option));
            question.bind(QStringLiteral("a7"), QStringLiteral("3"));
            question.execSql();
        }
    } catch (const AppError& error) {
        fail(error.message());
    }
    std::printf("set up %d students\n", students);
    return 0;
}

// One lab computer: its own connection, its student, what it has done.
struct Computer {
    int number = 0;
    std::unique_ptr<ServerStore> store;
    std::unique_ptr<Store::DrawCache> cache;
    QuestionDraw dealt;
};

struct Tally {
    int signedIn = 0;
    int dealt = 0;
    int submitted = 0;
};

// Runs one step of a computer; a failure is reported and the computer does no more.
template <typename Step> void act(Computer& computer, Step&& step)
{
    try {
        step();
    } catch (const AppError& error) {
        std::fprintf(stderr, "PC-%02d: %s\n", computer.number, qUtf8Printable(error.message()));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const auto option = [&arguments](const QString& name, int fallback) {
        const qsizetype at = arguments.indexOf(name);
        if (at < 0 || at + 1 >= arguments.size())
            return fallback;
        const int value = arguments[at + 1].toInt();
        arguments.remove(at, 2);
        return value;
    };
    const int students = option(QStringLiteral("--students"), 30);
    const int seconds = option(QStringLiteral("--seconds"), 20);
    const int hold = option(QStringLiteral("--hold"), 60);
    const int unfinished = option(QStringLiteral("--unfinished"), 3);
    if (arguments.size() == 2 && arguments[0] == QLatin1String("--setup"))
        return setUp(arguments[1], students);
    if (arguments.size() != 1)
        fail(QStringLiteral("usage: lab_lesson [--setup] SERVICE [--students N] [--seconds S] "
                            "[--hold S] [--unfinished K]"));
    const QString service = arguments[0];

    std::vector<Computer> computers(students);
    Tally tally;
    QRandomGenerator* random = QRandomGenerator::global();
    const int span = seconds * 1000;
    for (int i = 0; i < students; ++i) {
        Computer& computer = computers[i];
        computer.number = i + 1;
        computer.store = std::make_unique<ServerStore>(StoreAddress::server(service),
                                                       QStringLiteral("PC-%1").arg(i + 1));
        const QString name = QStringLiteral("PC-%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        const int signInAt = random->bounded(span / 5 + 1);
        const int dealAt = signInAt + span / 10 + random->bounded(span / 5 + 1);
        const int submitAt = dealAt + span / 5 + random->bounded(span / 3 + 1);
        QTimer::singleShot(signInAt, &app, [&computer, &tally, name] {
            act(computer, [&] {
                computer.store->open();
                // Every fourth computer mistypes the password first.
                if (computer.number % 4 == 0)
                    computer.store->signIn(login(computer.number), QStringLiteral("1234"), name);
                if (computer.store->signIn(login(computer.number), password(computer.number),
                                           name) == SignInVerdict::Accepted)
                    ++tally.signedIn;
            });
        });
        QTimer::singleShot(dealAt, &app, [&computer, &tally] {
            act(computer, [&] {
                computer.dealt = computer.store->drawQuestions(computer.cache, {});
                tally.dealt += !computer.dealt.dealtAttempt.isEmpty();
            });
        });
        if (i >= students - unfinished)
            continue;
        QTimer::singleShot(submitAt, &app, [&computer, &tally, random] {
            act(computer, [&] {
                AttemptToStore attempt;
                attempt.attemptId = computer.dealt.dealtAttempt;
                for (int q = 0; q < computer.dealt.picks.size(); ++q)
                    attempt.answers << int(random->bounded(1, 6));
                computer.store->storeAttempt(attempt, {}, [](int) {});
                ++tally.submitted;
            });
        });
    }
    QTimer::singleShot(span * 2, &app, [&] {
        std::printf("signed in %d\ndealt %d\nsubmitted %d\n", tally.signedIn, tally.dealt,
                    tally.submitted);
        std::fflush(stdout);
    });
    QTimer::singleShot(span * 2 + hold * 1000, &app, &QCoreApplication::quit);
    const int status = QCoreApplication::exec();
    computers.clear();
    return status;
}
