// Preparing a test attempt over a large question bank, and opening the results grid over a
// large results table. Builds a scratch course folder, then times the test window's preparation
// (the work each show from hidden runs) and the results window's opening for the administrator
// and for one student, and reports the memory in use.
//   prepare_attempt [QUESTIONS=100000] [RESULTS=1000000] [RUNS=20]
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "ColumnCache.h"
#include "Connection.h"
#include "Dialogs.h"
#include "Query.h"
#include "ResultsModel.h"
#include "ResultsWindow.h"
#include "Statements.h"
#include "TestWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace {

long statusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').constFirst().toLong();
    }
    return -1;
}

void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

// Question and answer texts of a realistic length, in Kazakh.
void buildCourse(const QString& path, int questions, int results)
{
    QFile schema(QStringLiteral(OKULYK_SCHEMA));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "schema not found\n");
        std::exit(1);
    }
    sqlite3* db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db);
    check(sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr), db);
    check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* insert = nullptr;
    check(
        sqlite3_prepare_v2(db,
                           "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) "
                           "values(?,?,?,?,?,?,?)",
                           -1, &insert, nullptr),
        db);
    const QByteArray question =
        "Компьютердің орталық процессоры қандай қызмет атқарады және оның негізгі бөліктері "
        "қандай? Сұрақ нөмірі ";
    const QByteArray answer = "Жауап нұсқасы, ол бірнеше сөзден тұрады: ";
    for (int i = 0; i < questions; ++i) {
        const QByteArray number = QByteArray::number(i);
        const QByteArray texts[6] = {question + number,     answer + "A" + number,
                                     answer + "B" + number, answer + "C" + number,
                                     answer + "D" + number, answer + "E" + number};
        for (int c = 0; c < 6; ++c)
            sqlite3_bind_text(insert, c + 1, texts[c].constData(), int(texts[c].size()),
                              SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 7, i % 5 + 1);
        check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_prepare_v2(db, "insert into Тесты values(?,?)", -1, &insert, nullptr), db);
    for (int i = 0; i < results; ++i) {
        const QByteArray login = "student" + QByteArray::number(i % 1000);
        sqlite3_bind_text(insert, 1, login.constData(), int(login.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, i % 31);
        check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

struct Timing {
    double min, median, max;
};

template <typename Action, typename Setup> Timing timeRuns(int runs, Action action, Setup setup)
{
    QList<double> ms;
    for (int i = 0; i < runs; ++i) {
        setup();
        QElapsedTimer timer;
        timer.start();
        action();
        ms << timer.nsecsElapsed() / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    return {ms.first(), ms[ms.size() / 2], ms.last()};
}

template <typename Action> Timing timeRuns(int runs, Action action)
{
    return timeRuns(runs, action, [] {});
}

void report(const char* what, const Timing& t)
{
    std::printf("%-46s min %7.1f ms  median %7.1f ms  max %7.1f ms\n", what, t.min, t.median,
                t.max);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    const int questions = args.size() > 0 ? args[0].toInt() : 100000;
    const int results = args.size() > 1 ? args[1].toInt() : 1000000;
    const int runs = std::max(1, args.size() > 2 ? args[2].toInt() : 20);

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QElapsedTimer build;
    build.start();
    buildCourse(dir.filePath(QStringLiteral("db.mdb")), questions, results);
    std::printf("course: %d questions, %d results, %.1f MB file (built in %.1f s)\n", questions,
                results, QFileInfo(dir.filePath(QStringLiteral("db.mdb"))).size() / 1048576.0,
                build.elapsed() / 1000.0);

    DialogScript dialogs; // any error is printed below instead of waiting for a click
    Connection::shared().open();

    const long rssStart = statusKilobytes("VmRSS:");
    TForm2 form([] { return QStringLiteral("student1"); });
    const long rssWindow = statusKilobytes("VmRSS:");
    report("test window: preparation (FormCreate)", timeRuns(runs, [&] { form.FormCreate(); }));
    report("test window: show from hidden, then hide", timeRuns(runs, [&] {
               form.show();
               form.hide();
           }));
    // The ids of the bank are listed again only when the database may have changed.
    sqlite3* other = nullptr;
    sqlite3_open(dir.filePath(QStringLiteral("db.mdb")).toUtf8().constData(), &other);
    report("  after another program stored a result",
           timeRuns(
               runs, [&] { form.FormCreate(); },
               [&] {
                   sqlite3_exec(other, "insert into Тесты values('other', 1)", nullptr, nullptr,
                                nullptr);
               }));
    sqlite3_close(other);
    report("  after this window stored a result", timeRuns(
                                                      runs, [&] { form.show(); },
                                                      [&] {
                                                          form.show();
                                                          form.sSpeedButton3Click();
                                                      }));
    form.hide();
    const long rssAfter = statusKilobytes("VmRSS:");
    std::printf(
        "memory: %ld kB before the window, %ld kB once built, %ld kB after %d preparations\n",
        rssStart, rssWindow, rssAfter, 5 * runs);
    int held = 0;
    for (int position = 0; position < form.columnCaches()[0].count(); ++position) {
        try {
            form.columnCaches()[0].at(position);
            ++held;
        } catch (...) {
        }
    }
    std::printf("question texts held by the attempt: %d of %d rows\n", held,
                form.columnCaches()[0].count());

    // For comparison: the seven columns read whole, as a full load of the bank would.
    const long rssBeforeFull = statusKilobytes("VmRSS:");
    {
        std::array<ColumnCache, 7> whole;
        const Timing t = timeRuns(1, [&] {
            for (int c = 0; c < 7; ++c) {
                Query column;
                column.setStatement({Statements::questionColumns[c]});
                column.open();
                whole[c].appendColumn(column);
            }
        });
        std::printf("for comparison, loading all seven columns whole: %.1f ms, +%ld kB\n", t.median,
                    statusKilobytes("VmRSS:") - rssBeforeFull);
    }

    TForm6 grid;
    report("results window: open for the administrator",
           timeRuns(runs, [&] { grid.openResults(QStringLiteral("Chief")); }));
    std::printf("  rows read on opening: %d\n", grid.model()->rowCount());
    report("results window: open for one student",
           timeRuns(runs, [&] { grid.openResults(QStringLiteral("student7")); }));
    report("results window: open for a login with no rows",
           timeRuns(std::min(runs, 5), [&] { grid.openResults(QStringLiteral("nobody")); }));
    grid.openResults(QStringLiteral("Chief"));
    report("results window: read one more page",
           timeRuns(runs, [&] { grid.model()->fetchMore({}); }));

    int errors = 0;
    for (const auto& shown : dialogs.shown()) {
        if (shown.kind == Dialogs::Kind::Error) {
            std::printf("error: %s\n", qPrintable(shown.text));
            ++errors;
        }
    }
    QDir::setCurrent(QDir::tempPath());
    return errors == 0 ? 0 : 1;
}
