#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace Bench {

namespace {

void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), db);
    return statement;
}

void bindText(sqlite3_stmt* statement, int index, const QByteArray& text)
{
    sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void step(sqlite3_stmt* statement, sqlite3* db)
{
    check(sqlite3_step(statement), db);
    sqlite3_reset(statement);
}

} // namespace

QString dataFolder()
{
    const QString folder = QStringLiteral(OKULYK_BENCH_DATA);
    QDir().mkpath(folder);
    return folder;
}

QuestionTexts questionTexts(int index)
{
    const QByteArray number = QByteArray::number(index);
    QuestionTexts texts;
    texts.question = "Компьютердің орталық процессоры қандай қызмет атқарады және оның негізгі "
                     "бөліктері қандай? Сұрақ нөмірі " +
                     number;
    for (int a = 0; a < 5; ++a)
        texts.answers[a] =
            "Жауап нұсқасы, ол бірнеше сөзден тұрады: " + QByteArray(1, char('A' + a)) + number;
    texts.right = index % 5 + 1;
    return texts;
}

QString course(const CourseSize& size)
{
    const QString name = QStringLiteral("q%1-u%2-l%3-r%4.mdb")
                             .arg(size.questions)
                             .arg(size.users)
                             .arg(size.lectures)
                             .arg(size.results);
    const QString path = dataFolder() + QLatin1Char('/') + name;
    if (QFileInfo::exists(path))
        return path;
    std::fprintf(stderr, "making %s\n", qPrintable(name));
    QFile schema(QStringLiteral(OKULYK_SCHEMA));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "schema.sql not found\n");
        std::exit(1);
    }
    const QString temporary = path + QStringLiteral(".new");
    QFile::remove(temporary);
    sqlite3* db = nullptr;
    check(sqlite3_open(temporary.toUtf8().constData(), &db), db);
    check(sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr), db);
    check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db);

    sqlite3_stmt* question =
        prepare(db, "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) "
                    "values(?,?,?,?,?,?,?)");
    for (int i = 0; i < size.questions; ++i) {
        const QuestionTexts texts = questionTexts(i);
        bindText(question, 1, texts.question);
        for (int a = 0; a < 5; ++a)
            bindText(question, a + 2, texts.answers[a]);
        sqlite3_bind_int(question, 7, texts.right);
        step(question, db);
    }
    sqlite3_finalize(question);

    sqlite3_stmt* user = prepare(db, "insert into Пользователи(Логин,Пароль,Группа) values(?,?,?)");
    for (int i = 0; i < size.users; ++i) {
        const bool chief = i == 0;
        bindText(user, 1, chief ? QByteArray("Chief") : "оқушы" + QByteArray::number(i));
        bindText(user, 2, chief ? QByteArray("admin123") : "құпия" + QByteArray::number(i * 7919));
        bindText(user, 3, "ИС-" + QByteArray::number(i % 40));
        step(user, db);
    }
    sqlite3_finalize(user);

    sqlite3_stmt* lecture =
        prepare(db, "insert into Лекции(НазваниеЛекции,АдресЛекции) values(?,?)");
    for (int i = 0; i < size.lectures; ++i) {
        bindText(lecture, 1,
                 QByteArray::number(i + 1) +
                     "-дәріс. Информатика пәні, ақпарат және оны өлшеу бірліктері");
        bindText(lecture, 2, "/srv/course/lectures/lecture" + QByteArray::number(i + 1) + ".html");
        step(lecture, db);
    }
    sqlite3_finalize(lecture);

    sqlite3_stmt* result = prepare(db, "insert into Тесты(Пользователь,Верно) values(?,?)");
    for (int i = 0; i < size.results; ++i) {
        bindText(result, 1, "оқушы" + QByteArray::number(i % 1000));
        sqlite3_bind_int(result, 2, i % 31);
        step(result, db);
    }
    sqlite3_finalize(result);
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
    QFile::rename(temporary, path);
    return path;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

double timeOnce(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

double time(int runs, const std::function<void()>& work, const std::function<void()>& setup)
{
    QList<double> values;
    for (int i = 0; i < runs; ++i) {
        if (setup)
            setup();
        values << timeOnce(work);
    }
    return median(values);
}

std::pair<double, double> alternate(int runs, const std::function<void()>& a,
                                    const std::function<void()>& b,
                                    const std::function<void()>& setupA)
{
    QList<double> first;
    QList<double> second;
    for (int i = 0; i < runs; ++i) {
        if (setupA)
            setupA();
        first << timeOnce(a);
        second << timeOnce(b);
    }
    return {median(first), median(second)};
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    return -1;
}

void row(const QString& id, const QString& what, const QString& measured, const QString& baseline,
         double ratio, const QString& target, bool met)
{
    std::printf("ROW|%s|%s|%s|%s|%.2f×|%s|%s\n", qPrintable(id), qPrintable(what),
                qPrintable(measured), qPrintable(baseline), ratio, qPrintable(target),
                met ? "yes" : "NO");
    std::fflush(stdout);
}

QString ms(double value)
{
    return value < 10 ? QStringLiteral("%1 ms").arg(value, 0, 'f', 2)
                      : QStringLiteral("%1 ms").arg(value, 0, 'f', 1);
}

} // namespace Bench
