// The benchmark table, rows B2 to B8, B13 and B14: each of the program's heavy paths, timed as
// the median of repeated runs on generated course databases, beside a baseline measured in the
// same run.
//   okulyk_bench [ROW...]        ROW is b2 .. b8, b13 or b14; all of them when none is named
// Prints "ROW|..." lines, which scripts/bench lays out as a table.

#include "BenchSupport.h"
#include "Connection.h"
#include "Dialogs.h"
#include "DocumentPane.h"
#include "LookupList.h"
#include "MainWindow.h"
#include "MaterialKinds.h"
#include "MaterialsWindow.h"
#include "OfficeConverter.h"
#include "QuestionFile.h"
#include "ResultsModel.h"
#include "ResultsWindow.h"
#include "SignInWindow.h"
#include "TestWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPdfDocument>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <sqlite3.h>
#include <zip.h>

namespace {

using Bench::CourseSize;

// The program works on db.mdb in its current folder: a folder per database, holding a link.
void enterCourse(const QString& database)
{
    Connection::shared().close();
    const QString folder = database + QStringLiteral(".folder");
    QDir().mkpath(folder);
    QFile::remove(folder + QStringLiteral("/db.mdb"));
    QFile::link(database, folder + QStringLiteral("/db.mdb"));
    QDir::setCurrent(folder);
    Connection::shared().open();
}

sqlite3* openRaw(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_busy_timeout(db, 5000);
    return db;
}

// A new course database at the path, replacing any file there: the course's tables, no rows.
void makeEmptyCourse(const QString& path)
{
    static const QByteArray schema = [] {
        QFile file(QStringLiteral(OKULYK_SCHEMA));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    QFile::remove(path);
    sqlite3* db = openRaw(path);
    sqlite3_exec(db, schema.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// Runs a statement and reads the given columns of every row as text, as a program would.
qint64 readAll(sqlite3* db, const char* sql, int columns)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    qint64 bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            const unsigned char* text = sqlite3_column_text(statement, c);
            bytes += text ? sqlite3_column_bytes(statement, c) : 0;
        }
    }
    sqlite3_finalize(statement);
    return bytes;
}

std::vector<std::string> readColumn(sqlite3* db, const char* sql)
{
    std::vector<std::string> values;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        values.emplace_back(text ? text : "");
    }
    sqlite3_finalize(statement);
    return values;
}

// B2, in a process of its own per size so that its memory is its own: prints
// "first steady held baseline".
int attemptChild(int questions)
{
    const QString database = Bench::course({questions, 3, 0, 0});
    enterCourse(database);
    DialogScript dialogs;
    const long before = Bench::residentKilobytes();
    TForm2 form([] { return QStringLiteral("оқушы1"); });
    sqlite3* other = openRaw(database);
    // After another program stored a result, the bank's ids are listed again.
    const double first = Bench::time(
        5, [&] { form.FormCreate(); },
        [&] {
            sqlite3_exec(other, "insert into Тесты(Пользователь, Верно) values('other', 1)",
                         nullptr, nullptr, nullptr);
        });
    const double steady = Bench::time(9, [&] { form.FormCreate(); });
    const long held = Bench::residentKilobytes() - before;
    const double baseline = Bench::time(5, [&] {
        readAll(other, "select Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр from БДТест", 7);
    });
    sqlite3_exec(other, "delete from Тесты where Пользователь='other'", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    std::printf("%f %f %ld %f\n", first, steady, held, baseline);
    return dialogs.texts(Dialogs::Kind::Error).isEmpty() ? 0 : 1;
}

void benchAttempt(const QString& self)
{
    QMap<int, long> held;
    for (const int questions : {1000, 10000, 100000, 1000000}) {
        QProcess child;
        child.start(self, {QStringLiteral("--attempt"), QString::number(questions)});
        child.waitForFinished(-1);
        const QStringList figures =
            QString::fromLatin1(child.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
        if (child.exitCode() != 0 || figures.size() != 4) {
            std::fprintf(stderr, "B2 at %d questions failed: %s\n", questions,
                         child.readAllStandardError().constData());
            continue;
        }
        const double first = figures[0].toDouble();
        const double baseline = figures[3].toDouble();
        held[questions] = figures[2].toLong();
        const bool target = questions == 100000;
        Bench::row(QStringLiteral("B2"),
                   QStringLiteral("preparing an attempt, %1 questions (%2 when unchanged)")
                       .arg(questions)
                       .arg(Bench::ms(figures[1].toDouble())),
                   Bench::ms(first), Bench::ms(baseline), first / baseline,
                   target ? QStringLiteral("≤ 1.0× at 100k") : QStringLiteral("—"),
                   !target || first <= baseline);
    }
    if (held.contains(1000) && held.contains(1000000)) {
        const long growth = held[1000000] - held[1000];
        Bench::row(QStringLiteral("B2"), QStringLiteral("memory held after preparation, 1M vs 1k"),
                   QStringLiteral("%1 KiB").arg(held[1000000]),
                   QStringLiteral("%1 KiB").arg(held[1000]),
                   double(held[1000000]) / std::max(1L, held[1000]), QStringLiteral("< 5 MB more"),
                   growth < 5 * 1024);
    }
}

void benchSignIn()
{
    const QString database = Bench::course({0, 100000, 0, 0});
    enterCourse(database);
    DialogScript dialogs;
    TForm1 main;
    const QString login = QStringLiteral("оқушы99999");
    const QString password = QStringLiteral("құпия") + QString::number(99999 * 7919);
    bool signedIn = true;
    const double measured = Bench::time(7, [&] {
        TForm3 form(&main);
        form.findChild<QLineEdit*>(QStringLiteral("UserName"))->setText(login);
        form.findChild<QLineEdit*>(QStringLiteral("Password"))->setText(password);
        form.findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
        signedIn = signedIn && main.currentUser() == login;
        main.setCurrentUser(TForm1::kNoUser);
    });
    sqlite3* raw = openRaw(database);
    const double baseline = Bench::time(7, [&] {
        const auto logins = readColumn(raw, "select Логин from Пользователи");
        const auto passwords = readColumn(raw, "select Пароль from Пользователи");
    });
    sqlite3_close(raw);
    if (!signedIn || !dialogs.shown().isEmpty())
        std::fprintf(stderr, "B3: the sign-in did not succeed\n");
    Bench::row(QStringLiteral("B3"),
               QStringLiteral("sign-in window built and one sign-in checked, 100k users"),
               Bench::ms(measured), Bench::ms(baseline), measured / baseline,
               QStringLiteral("≤ 1.5×"), measured <= 1.5 * baseline);
}

void benchMaterials()
{
    const QString database = Bench::course({0, 3, 10000, 0});
    enterCourse(database);
    DialogScript dialogs;
    QButtonGroup group;
    std::array<QToolButton*, 3> toggles{new QToolButton, new QToolButton, new QToolButton};
    for (QToolButton* toggle : toggles) {
        toggle->setCheckable(true);
        group.addButton(toggle);
    }
    toggles[0]->setChecked(true);
    int found = 0;
    {
        TForm7 form(TForm7::KindToggles{toggles[0], toggles[1], toggles[2]});
        const double measured = Bench::time(
            7,
            [&] {
                form.showModeless();
                dialogs.answerInput(QStringLiteral("ақпарат"));
                form.sButton1Click();
                found = form.list(MaterialKinds::kLectures)->rows();
            },
            [&] {
                form.close();
                form.sButton2Click();
            });
        sqlite3* raw = openRaw(database);
        const double baseline = Bench::time(7, [&] {
            readAll(raw, "select * from Лекции", 3);
            readAll(raw, "select * from Лабы", 3);
            readAll(raw, "select * from Видео", 3);
            readAll(raw, "select * from Лекции where НазваниеЛекции  Like '%ақпарат%' ", 3);
        });
        sqlite3_close(raw);
        if (found != 10000)
            std::fprintf(stderr, "B4: the search found %d lectures, not 10000\n", found);
        Bench::row(QStringLiteral("B4"),
                   QStringLiteral("materials browser shown and one search, 10k lectures"),
                   Bench::ms(measured), Bench::ms(baseline), measured / baseline,
                   QStringLiteral("≤ 1.5×"), measured <= 1.5 * baseline);
    }
    for (QToolButton* toggle : toggles)
        delete toggle;
}

void benchResults()
{
    double small = 0;
    for (const int results : {1000, 1000000}) {
        enterCourse(Bench::course({0, 3, 0, results}));
        DialogScript dialogs;
        TForm6 form;
        const double measured = Bench::time(
            7,
            [&] {
                form.openResults(QStringLiteral("Chief"));
                form.showModeless();
            },
            [&] { form.close(); });
        if (results == 1000) {
            small = measured;
            continue;
        }
        Bench::row(QStringLiteral("B5"),
                   QStringLiteral("results window shown for the administrator, 1M results"),
                   Bench::ms(measured), Bench::ms(small) + QStringLiteral(" at 1k"),
                   measured / small, QStringLiteral("≤ 2×"), measured <= 2 * small);
    }
}

void benchSubmit()
{
    const QString database = Bench::course({100000, 3, 0, 0});
    enterCourse(database);
    DialogScript dialogs;
    TForm2 form([] { return QStringLiteral("оқушы1"); });
    sqlite3* raw = openRaw(database);
    // Courses keep every answer beside the result (a benchmark course made earlier gets the
    // table, as it is today, here).
    sqlite3_exec(raw,
                 "drop table if exists Ответы; create table Ответы (ТестИд INTEGER, Номер "
                 "INTEGER, ВопросИд INTEGER, Ответ INTEGER, Верно INTEGER, Время INTEGER)",
                 nullptr, nullptr, nullptr);
    const auto [measured, baseline] = Bench::alternate(
        15, [&] { form.sSpeedButton3Click(); },
        [&] {
            // The same 31 rows, in one transaction.
            sqlite3_exec(raw, "begin immediate", nullptr, nullptr, nullptr);
            sqlite3_stmt* insert = nullptr;
            sqlite3_prepare_v2(raw, "Insert into Тесты(Пользователь,Верно) values(?,?)", -1,
                               &insert, nullptr);
            sqlite3_bind_text(insert, 1, "оқушы1", -1, SQLITE_STATIC);
            sqlite3_bind_int(insert, 2, 7);
            sqlite3_step(insert);
            sqlite3_finalize(insert);
            const sqlite3_int64 result = sqlite3_last_insert_rowid(raw);
            sqlite3_stmt* answer = nullptr;
            sqlite3_prepare_v2(raw,
                               "insert into Ответы(ТестИд,Номер,ВопросИд,Ответ,Верно,Время) "
                               "values(?,?,?,?,?,?)",
                               -1, &answer, nullptr);
            for (int q = 1; q <= 30; ++q) {
                sqlite3_bind_int64(answer, 1, result);
                sqlite3_bind_int(answer, 2, q);
                sqlite3_bind_int64(answer, 3, q * 3331);
                sqlite3_bind_int(answer, 4, q % 5 + 1);
                sqlite3_bind_int(answer, 5, q % 2);
                sqlite3_bind_int64(answer, 6, 1796860800);
                sqlite3_step(answer);
                sqlite3_reset(answer);
            }
            sqlite3_finalize(answer);
            sqlite3_exec(raw, "commit", nullptr, nullptr, nullptr);
        },
        [&] { form.showModeless(); });
    sqlite3_exec(raw, "delete from Тесты; delete from Ответы", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    Bench::row(QStringLiteral("B6"),
               QStringLiteral("submit (score, store the row and its 30 answers), 100k questions"),
               Bench::ms(measured), Bench::ms(baseline), measured / baseline,
               QStringLiteral("≤ 3×"), measured <= 3 * baseline);
}

double readBytes(const QString& path)
{
    return Bench::timeOnce([&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        volatile qsizetype size = file.readAll().size();
        (void)size;
    });
}

// Navigates and waits until the document is on screen and painted once; a PDF's first page is
// then rendered at the pane's width, as its view does next.
double firstPage(DocumentPane& pane, const QString& path)
{
    return Bench::timeOnce([&] {
        QEventLoop wait;
        const auto shown = QObject::connect(&pane, &DocumentPane::shown, &wait, &QEventLoop::quit);
        QTimer::singleShot(180000, &wait, &QEventLoop::quit);
        pane.navigate(path);
        if (pane.content() == DocumentPane::Content::Converting)
            wait.exec();
        QObject::disconnect(shown);
        pane.grab();
        if (pane.content() == DocumentPane::Content::Pdf) {
            QPdfDocument document;
            document.load(path.endsWith(QLatin1String(".pdf")) ? path
                                                               : OfficeConverter::cachedPdf(path));
            const QSizeF points = document.pagePointSize(0);
            const int width = pane.width();
            volatile bool rendered =
                !document
                     .render(0, QSize(width,
                                      int(width * points.height() / std::max(1.0, points.width()))))
                     .isNull();
            (void)rendered;
        }
    });
}

// A lecture of about twenty pages, made once as a Word document from generated text.
QString longWordLecture()
{
    const QString docx = Bench::dataFolder() + QStringLiteral("/lecture20.docx");
    if (QFile::exists(docx))
        return docx;
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>");
    for (int section = 1; section <= 40; ++section) {
        html += QStringLiteral("<h2>%1. Санау жүйелері және ақпарат</h2>").arg(section);
        for (int paragraph = 0; paragraph < 6; ++paragraph)
            html += QStringLiteral(
                "<p>Позициялық жүйеде цифрдың мәні оның сан жазбасындағы орнына байланысты. "
                "Екілік, сегіздік, ондық және оналтылық жүйелер информатикада жиі қолданылады; "
                "кез келген жүйеден ондық жүйеге аудару үшін санды жайылған түрде жазып, "
                "қосындысын есептеу жеткілікті.</p>");
    }
    html += QStringLiteral("</body></html>");
    const QString source = Bench::dataFolder() + QStringLiteral("/lecture20.html");
    QFile file(source);
    file.open(QIODevice::WriteOnly);
    file.write(html.toUtf8());
    file.close();
    QProcess::execute(OfficeConverter::converterProgram(),
                      {QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                       QStringLiteral("docx:MS Word 2007 XML"), QStringLiteral("--outdir"),
                       Bench::dataFolder(), source});
    return docx;
}

void benchDocuments()
{
    const QString course = QStringLiteral(OKULYK_COURSE_OUT);
    const QString html = course + QStringLiteral("/lectures/lecture2.html");
    const QString pdf = course + QStringLiteral("/lectures/lecture5.pdf");
    DialogScript dialogs;
    DocumentPane pane;
    pane.resize(1000, 800);
    pane.show();
    for (const auto& [path, what] : {std::pair{html, QStringLiteral("an HTML lecture")},
                                     std::pair{pdf, QStringLiteral("the demo PDF")}}) {
        QList<double> times;
        QList<double> reads;
        for (int run = 0; run < 9; ++run) {
            pane.showBlank(QString());
            reads << readBytes(path);
            times << firstPage(pane, path);
        }
        const double measured = Bench::median(times);
        const double baseline = Bench::median(reads);
        Bench::row(QStringLiteral("B7"), QStringLiteral("first page of %1").arg(what),
                   Bench::ms(measured), Bench::ms(baseline) + QStringLiteral(" read"),
                   measured / std::max(baseline, 0.001), QStringLiteral("≤ 50 ms over the read"),
                   measured - baseline <= 50);
    }
    // The largest HTML document the pane opens: a user waits for it once, so it is timed once.
    const QString largest = Bench::dataFolder() + QStringLiteral("/largest.html");
    {
        const QByteArray paragraph(
            "<p>Алгоритм дегеніміз есептің шешу жолының нақты сипаттамасы.</p>\n");
        const qint64 bodyBytes = DocumentPane::kMaxTextBytes - 1024;
        QFile file(largest);
        file.open(QIODevice::WriteOnly);
        file.write("<html><body>");
        file.write(paragraph.repeated(bodyBytes / paragraph.size()));
        file.write("</body></html>");
    }
    pane.showBlank(QString());
    const double largestRead = readBytes(largest);
    const double largestShown = firstPage(pane, largest);
    Bench::row(QStringLiteral("B7"),
               QStringLiteral("first page of an HTML document of %1 MB, just under the limit")
                   .arg(QFileInfo(largest).size() / (1024 * 1024)),
               Bench::ms(largestShown), Bench::ms(largestRead) + QStringLiteral(" read"),
               largestShown / std::max(largestRead, 0.001), QStringLiteral("≤ 15 s"),
               largestShown <= 15000);
    pane.showBlank(QString());
    if (OfficeConverter::converterProgram().isEmpty()) {
        std::fprintf(stderr, "B7: LibreOffice is not installed; no Word rows\n");
        return;
    }
    const QString docx = longWordLecture();
    const double read = readBytes(docx);
    const double first = firstPage(pane, docx);
    Bench::row(QStringLiteral("B7"), QStringLiteral("a 20-page .docx, first opening (converted)"),
               Bench::ms(first), Bench::ms(read) + QStringLiteral(" read"),
               first / std::max(read, 0.001), QStringLiteral("—"), true);
    QList<double> again;
    QList<double> reads;
    for (int run = 0; run < 9; ++run) {
        pane.showBlank(QString());
        reads << readBytes(docx);
        again << firstPage(pane, docx);
    }
    const double second = Bench::median(again);
    const double baseline = Bench::median(reads);
    Bench::row(QStringLiteral("B7"), QStringLiteral("the same .docx, second opening (cache)"),
               Bench::ms(second), Bench::ms(baseline) + QStringLiteral(" read"),
               second / std::max(baseline, 0.001), QStringLiteral("≤ 50 ms over the read"),
               second - baseline <= 50);
    if (!dialogs.shown().isEmpty())
        std::fprintf(stderr, "B7: %s\n", qPrintable(dialogs.texts().join(QLatin1Char('\n'))));
}

void benchImport()
{
    constexpr int questions = 100000;
    const QString aiken = Bench::dataFolder() + QStringLiteral("/questions100k.txt");
    if (!QFile::exists(aiken)) {
        QFile file(aiken);
        file.open(QIODevice::WriteOnly);
        for (int i = 0; i < questions; ++i) {
            const Bench::QuestionTexts texts = Bench::questionTexts(i);
            QByteArray block = texts.question + '\n';
            for (int a = 0; a < 5; ++a)
                block += QByteArray(1, char('A' + a)) + ") " + texts.answers[a] + '\n';
            block += "ANSWER: " + QByteArray(1, char('A' + texts.right - 1)) + "\n\n";
            file.write(block);
        }
    }
    QTemporaryDir scratch;
    const QString target = scratch.filePath(QStringLiteral("db.mdb"));
    const auto freshDatabase = [&] { makeEmptyCourse(target); };
    const QString program = QStringLiteral(OKULYK_ADMIN);
    bool ok = true;
    const double measured = Bench::time(
        3,
        [&] {
            QProcess admin;
            admin.start(program, {QStringLiteral("import-questions"), aiken, QStringLiteral("--db"),
                                  target});
            admin.waitForFinished(-1);
            ok = ok && admin.exitCode() == 0;
        },
        freshDatabase);
    // The same rows inserted in one transaction, the texts ready in memory.
    std::vector<Bench::QuestionTexts> rows;
    rows.reserve(questions);
    for (int i = 0; i < questions; ++i)
        rows.push_back(Bench::questionTexts(i));
    const double baseline = Bench::time(
        3,
        [&] {
            sqlite3* db = openRaw(target);
            sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
            sqlite3_stmt* insert = nullptr;
            sqlite3_prepare_v2(db,
                               "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,"
                               "ОтветПр) values(?,?,?,?,?,?,?)",
                               -1, &insert, nullptr);
            for (const Bench::QuestionTexts& texts : rows) {
                sqlite3_bind_text(insert, 1, texts.question.constData(), int(texts.question.size()),
                                  SQLITE_STATIC);
                for (int a = 0; a < 5; ++a)
                    sqlite3_bind_text(insert, a + 2, texts.answers[a].constData(),
                                      int(texts.answers[a].size()), SQLITE_STATIC);
                sqlite3_bind_int(insert, 7, texts.right);
                sqlite3_step(insert);
                sqlite3_reset(insert);
            }
            sqlite3_finalize(insert);
            sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
            sqlite3_close(db);
        },
        freshDatabase);
    if (!ok)
        std::fprintf(stderr, "B8: okulyk-admin failed\n");
    Bench::row(QStringLiteral("B8"), QStringLiteral("okulyk-admin import-questions, 100k Aiken"),
               Bench::ms(measured), Bench::ms(baseline), measured / baseline,
               QStringLiteral("≤ 2×"), measured <= 2 * baseline);
}

// A course of 100,000 submitted attempts of 30 answers each over a bank of 1,000 questions,
// made once: each student's ability and each question's difficulty decide the marks, so that
// the figures have something to find.
QString answeredCourse()
{
    constexpr int attempts = 100000;
    constexpr int bank = 1000;
    const QString path = Bench::dataFolder() + QStringLiteral("/answers100k.mdb");
    if (QFile::exists(path))
        return path;
    const QString partial = path + QStringLiteral(".part");
    makeEmptyCourse(partial);
    sqlite3* db = openRaw(partial);
    sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
    sqlite3_stmt* question = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) "
                       "values(?,?,?,?,?,?,?)",
                       -1, &question, nullptr);
    for (int i = 0; i < bank; ++i) {
        const Bench::QuestionTexts texts = Bench::questionTexts(i);
        sqlite3_bind_text(question, 1, texts.question.constData(), -1, SQLITE_TRANSIENT);
        for (int a = 0; a < 5; ++a)
            sqlite3_bind_text(question, a + 2, texts.answers[a].constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(question, 7, texts.right);
        sqlite3_step(question);
        sqlite3_reset(question);
    }
    sqlite3_finalize(question);
    sqlite3_stmt* result = nullptr;
    sqlite3_prepare_v2(db, "insert into Тесты(Пользователь,Верно) values(?,?)", -1, &result,
                       nullptr);
    sqlite3_stmt* answer = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into Ответы(ТестИд,Номер,ВопросИд,Ответ,Верно,Время) "
                       "values(?,?,?,?,?,?)",
                       -1, &answer, nullptr);
    QRandomGenerator random(19);
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        const double ability = random.generateDouble();
        int marks[30];
        int drawn[30];
        int score = 0;
        for (int q = 0; q < 30; ++q) {
            drawn[q] = 1 + int(random.bounded(bank));
            const double easiness = double(drawn[q] % 100) / 100;
            marks[q] = random.generateDouble() < 0.15 + 0.7 * (ability + easiness) / 2 ? 1 : 0;
            score += marks[q];
        }
        const QByteArray login = "оқушы" + QByteArray::number(attempt % 3000);
        sqlite3_bind_text(result, 1, login.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(result, 2, score);
        sqlite3_step(result);
        sqlite3_reset(result);
        for (int q = 0; q < 30; ++q) {
            const int right = Bench::questionTexts(drawn[q] - 1).right;
            sqlite3_bind_int(answer, 1, attempt);
            sqlite3_bind_int(answer, 2, q + 1);
            sqlite3_bind_int(answer, 3, drawn[q]);
            sqlite3_bind_int(answer, 4, marks[q] ? right : right % 5 + 1);
            sqlite3_bind_int(answer, 5, marks[q]);
            sqlite3_bind_int64(answer, 6, 1788000000 + attempt * 60);
            sqlite3_step(answer);
            sqlite3_reset(answer);
        }
    }
    sqlite3_finalize(result);
    sqlite3_finalize(answer);
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QFile::rename(partial, path);
    return path;
}

void benchItemStatistics()
{
    const QString database = answeredCourse();
    QTemporaryDir scratch;
    const QString csv = scratch.filePath(QStringLiteral("items.csv"));
    bool ok = true;
    const double measured = Bench::time(3, [&] {
        QProcess admin;
        admin.start(QStringLiteral(OKULYK_ADMIN),
                    {QStringLiteral("item-stats"), csv, QStringLiteral("--db"), database});
        admin.waitForFinished(-1);
        ok = ok && admin.exitCode() == 0;
    });
    // The same rows read by the raw C API, each value fetched, nothing computed.
    const double baseline = Bench::time(3, [&] {
        sqlite3* db = openRaw(database);
        sqlite3_stmt* rows = nullptr;
        sqlite3_prepare_v2(db,
                           "select a.ТестИд, a.Номер, a.ВопросИд, a.Ответ, a.Верно from Ответы a "
                           "join Тесты t on t.rowid = a.ТестИд where a.ТестИд is not null "
                           "order by a.ТестИд, a.Номер",
                           -1, &rows, nullptr);
        qint64 sum = 0;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            for (int column = 0; column < 5; ++column)
                sum += sqlite3_column_int64(rows, column);
        }
        sqlite3_finalize(rows);
        sqlite3_close(db);
        if (sum == 0)
            std::fprintf(stderr, "B13: no answers read\n");
    });
    if (!ok)
        std::fprintf(stderr, "B13: okulyk-admin failed\n");
    Bench::row(QStringLiteral("B13"),
               QStringLiteral("okulyk-admin item-stats, 100k attempts (3M answers)"),
               Bench::ms(measured), Bench::ms(baseline), measured / baseline,
               QStringLiteral("≤ 10 s"), ok && measured <= 10000);
}

// A Word file of 2,000 questions in the tag layout, as a teacher's file would be: a numbered
// paragraph per question, a paragraph per variant. Made once with libzip.
QString wordQuestions(int questions)
{
    const QString path = Bench::dataFolder() + QStringLiteral("/questions%1.docx").arg(questions);
    if (QFile::exists(path))
        return path;
    QByteArray body;
    for (int i = 0; i < questions; ++i) {
        const Bench::QuestionTexts texts = Bench::questionTexts(i);
        body += "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>"
                "</w:pPr><w:r><w:t>&lt;question&gt;" +
                QString::fromUtf8(texts.question).toHtmlEscaped().toUtf8() + "</w:t></w:r></w:p>";
        for (int a = 0; a < 5; ++a)
            body += "<w:p><w:r><w:t>&lt;variant&gt;" +
                    QString::fromUtf8(texts.answers[a]).toHtmlEscaped().toUtf8() +
                    "</w:t></w:r></w:p>";
    }
    const QByteArray ns =
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    const QByteArray document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document " + ns +
                                "><w:body>" + body + "</w:body></w:document>";
    const QByteArray numbering =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:numbering " + ns +
        "><w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/>"
        "<w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl></w:abstractNum>"
        "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num></w:numbering>";
    const QByteArray types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types xmlns=\"http://schemas.openxmlformats."
        "org/package/2006/content-types\"><Default Extension=\"xml\" ContentType=\"application/"
        "xml\"/></Types>";
    int error = 0;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] :
         {std::pair{"[Content_Types].xml", &types}, std::pair{"word/document.xml", &document},
          std::pair{"word/numbering.xml", &numbering}}) {
        zip_source_t* source =
            zip_source_buffer(archive, bytes->constData(), zip_uint64_t(bytes->size()), 0);
        zip_file_add(archive, name, source, ZIP_FL_OVERWRITE);
    }
    zip_close(archive);
    return path;
}

void benchWordImport()
{
    constexpr int questions = 2000;
    const QString docx = wordQuestions(questions);
    QFile file(docx);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    // The preview: the file read and every question checked, as the window does before showing.
    int previewed = 0;
    const double preview =
        Bench::time(5, [&] { previewed = int(QuestionFile::read(bytes).result.questions.size()); });
    QTemporaryDir scratch;
    const QString target = scratch.filePath(QStringLiteral("db.mdb"));
    bool ok = true;
    const double import = Bench::time(
        5,
        [&] {
            QProcess admin;
            admin.start(QStringLiteral(OKULYK_ADMIN),
                        {QStringLiteral("import-questions"), docx, QStringLiteral("--db"), target});
            admin.waitForFinished(-1);
            ok = ok && admin.exitCode() == 0;
        },
        [&] { makeEmptyCourse(target); });
    if (!ok || previewed != questions)
        std::fprintf(stderr, "B14: the Word file did not import whole\n");
    Bench::row(QStringLiteral("B14"),
               QStringLiteral("a Word file of %1 questions: preview, then import").arg(questions),
               Bench::ms(preview), Bench::ms(import) + QStringLiteral(" import"), preview / import,
               QStringLiteral("≤ 1 s each"),
               ok && previewed == questions && preview <= 1000 && import <= 1000);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A cache of its own, so that the first opening of a Word lecture converts it.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    QApplication app(argc, argv);
    QStringList rows = QApplication::arguments().mid(1);
    if (rows.size() == 2 && rows[0] == QLatin1String("--attempt"))
        return attemptChild(rows[1].toInt());
    if (rows.isEmpty())
        rows = {"b2", "b3", "b4", "b5", "b6", "b7", "b8", "b13", "b14"};
    const QString self = QApplication::applicationFilePath();
    for (const QString& name : std::as_const(rows)) {
        if (name == QLatin1String("b2"))
            benchAttempt(self);
        else if (name == QLatin1String("b3"))
            benchSignIn();
        else if (name == QLatin1String("b4"))
            benchMaterials();
        else if (name == QLatin1String("b5"))
            benchResults();
        else if (name == QLatin1String("b6"))
            benchSubmit();
        else if (name == QLatin1String("b7"))
            benchDocuments();
        else if (name == QLatin1String("b8"))
            benchImport();
        else if (name == QLatin1String("b13"))
            benchItemStatistics();
        else if (name == QLatin1String("b14"))
            benchWordImport();
        else
            std::fprintf(stderr, "no such row: %s\n", qPrintable(name));
    }
    Connection::shared().close();
    return 0;
}
