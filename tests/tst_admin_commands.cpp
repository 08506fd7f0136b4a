// okulyk-admin's commands run in process over a scratch course: imports into the bank in one
// transaction, exports that import back to the same rows, the results CSV and report, the
// command line, and the exit status of each outcome.

#include "AdminTesting.h"
#include "Commands.h"
#include "PaperTest.h"
#include "Progress.h"
#include "Question.h"
#include "QuestionStore.h"
#include "TestCourse.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>
#include <QTest>

namespace {

QString sample(const QString& name)
{
    return TestCourse::testDataDir() + QStringLiteral("/admin/") + name;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray fileHash(const QString& path)
{
    return QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha256);
}

// The bank, one text per row: the seven columns joined with " | ".
QStringList bankRows(const TestCourse& course)
{
    return course.column(QStringLiteral(
        "select Вопрос||' | '||Ответ1||' | '||Ответ2||' | '||Ответ3||' | '||Ответ4||' | '||"
        "Ответ5||' | '||ifnull(ОтветПр,'NULL') from БДТест order by rowid"));
}

void addTwoQuestions(const TestCourse& course)
{
    course.exec(QStringLiteral(
        "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) values"
        "('Бар сұрақ 1','a','b','c','d','e',1),('Бар сұрақ 2','a','b','c','d','e',2)"));
}

} // namespace

class AdminCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Progress::setDelayMs(1000); }

    void importAppendsAfterTheRowsThereInOrder();
    void aFailedImportLeavesTheBankAsItWas_data();
    void aFailedImportLeavesTheBankAsItWas();
    void dryRunStoresNothingAndNeedsNoDatabase();
    void skippedQuestionsAreReportedWithFileAndLine();
    void tagImportShufflesRepeatably();
    void wrongCommandLines_data();
    void wrongCommandLines();
    void databaseIsNamedWithDb();
    void exportedBankImportsBackToTheSameRows_data();
    void exportedBankImportsBackToTheSameRows();
    void exportNeverWritesOverTheDatabase();
    void resultsCsvIsExact();
    void reportSummarisesEachGroup();
    void longWorkShowsProgress();
    void upgradeAddsTheAnswersTableOnce();
    void answersCsvHasARowPerAnswer();
    void paperVariantsRepeatBySeed();
    void courseSettingsAreKeptInTheCourse();
};

void AdminCommandsTest::importAppendsAfterTheRowsThereInOrder()
{
    TestCourse course;
    addTwoQuestions(course);
    const AdminRun run = runAdmin({"import-questions", sample("aiken-latin.txt")});
    QCOMPARE(run.status, int(Commands::Done));
    QVERIFY2(run.output.contains(QStringLiteral("aiken-latin.txt (aiken, UTF-8): 4 questions added "
                                                "to БДТест in %1, 0 skipped")
                                     .arg(course.dbPath())),
             qPrintable(run.output));
    const QStringList rows = bankRows(course);
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows[0], QStringLiteral("Бар сұрақ 1 | a | b | c | d | e | 1"));
    QCOMPARE(rows[2], QStringLiteral("Информатика ғылымы нені зерттейді? | Ақпаратты өңдеу "
                                     "тәсілдерін | Жануарлар әлемін | Тарихи оқиғаларды | "
                                     "Химиялық реакцияларды | Жер бедерін | 1"));
    QCOMPARE(rows[5], QStringLiteral("Төмендегі өрнектің мәні: \"5 % 2\" (C тілінде)? | 2,5 | 1 | "
                                     "0 | 2 | 'қате' | 2"));
    // The right answer is stored as a number, as the test window reads it.
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from БДТест where typeof(ОтветПр) = "
                                          "'integer'")),
             QStringLiteral("6"));
}

void AdminCommandsTest::aFailedImportLeavesTheBankAsItWas_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("message");

    QTest::newRow("the store fails after some rows")
        << "create trigger stop before insert on БДТест when (select count(*) from БДТест) >= 3 "
           "begin select raise(abort, 'the disk is full'); end;"
        << false << "the disk is full";
    QTest::newRow("a read-only database") << "" << true << "readonly";
    QTest::newRow("no bank table") << "drop table БДТест;" << false << "no such table: БДТест";
    QTest::newRow("a bank without a row order")
        << "drop table БДТест; create table БДТест(Код INTEGER PRIMARY KEY, Вопрос, Ответ1, "
           "Ответ2, Ответ3, Ответ4, Ответ5, ОтветПр) without rowid;"
        << false << "WITHOUT ROWID";
}

void AdminCommandsTest::aFailedImportLeavesTheBankAsItWas()
{
    QFETCH(QString, setup);
    QFETCH(bool, readOnly);
    QFETCH(QString, message);
    TestCourse course;
    addTwoQuestions(course);
    if (!setup.isEmpty())
        course.exec(setup);
    if (readOnly)
        QFile::setPermissions(course.dbPath(), QFileDevice::ReadOwner);
    const QByteArray before = fileHash(course.dbPath());

    const AdminRun run = runAdmin({"import-questions", sample("aiken-latin.txt")});
    QFile::setPermissions(course.dbPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(run.status, int(Commands::Failed));
    QVERIFY2(run.messages.contains(message), qPrintable(run.messages));
    QVERIFY(run.output.isEmpty());
    QCOMPARE(fileHash(course.dbPath()), before);
}

void AdminCommandsTest::dryRunStoresNothingAndNeedsNoDatabase()
{
    TestCourse course(TestCourse::Database::None);
    const AdminRun run =
        runAdmin({"import-questions", sample("aiken-cyrillic-alphabet-cp1251.txt"), "--dry-run"});
    QCOMPARE(run.status, int(Commands::Done));
    QVERIFY2(run.output.contains(QStringLiteral(":9: Какой тип данных хранит целые числа?\n"
                                                "   A) float\n   B) char\n  *C) int\n")),
             qPrintable(run.output));
    QVERIFY(run.output.contains(QStringLiteral("ОтветПр = 3")));
    QVERIFY(run.output.contains(QStringLiteral("2 questions would be added, 0 skipped; nothing "
                                               "was stored (--dry-run)")));
    QVERIFY(!QFile::exists(course.dbPath()));
}

void AdminCommandsTest::skippedQuestionsAreReportedWithFileAndLine()
{
    TestCourse course;
    // A file name that looks like placeholders stays as it is in the messages.
    const QString file = course.dir() + QStringLiteral("/тест %1 %2.txt");
    QVERIFY(QFile::copy(sample("aiken-malformed.txt"), file));
    const AdminRun run = runAdmin({"import-questions", file});
    QCOMPARE(run.status, int(Commands::DoneWithWarnings));
    QVERIFY2(run.messages.contains(file + QStringLiteral(":3: skipped: the question has 4 "
                                                         "options")),
             qPrintable(run.messages));
    QCOMPARE(run.messages.count(QStringLiteral(": skipped: ")), 8);
    QCOMPARE(bankRows(course).size(), 2);

    // A file where nothing fits adds nothing and fails.
    QFile none(course.dir() + QStringLiteral("/none.txt"));
    QVERIFY(none.open(QIODevice::WriteOnly));
    none.write("Q\nA) a\nB) b\nANSWER: A\n");
    none.close();
    const AdminRun empty = runAdmin({"import-questions", none.fileName()});
    QCOMPARE(empty.status, int(Commands::Failed));
    QVERIFY(empty.messages.contains(QStringLiteral("no question fits the bank")));
    QCOMPARE(bankRows(course).size(), 2);
}

void AdminCommandsTest::tagImportShufflesRepeatably()
{
    QStringList first;
    for (int round = 0; round < 2; ++round) {
        TestCourse course;
        const AdminRun run =
            runAdmin({"import-questions", sample("tags-questions.txt"), "--seed", "42"});
        QCOMPARE(run.status, int(Commands::Done));
        QVERIFY(!run.messages.contains(QStringLiteral("--seed")));
        const QStringList rows = bankRows(course);
        if (round == 0)
            first = rows;
        else
            QCOMPARE(rows, first);
        // Wherever the right answer landed, ОтветПр points at it.
        QCOMPARE(course.scalar(QStringLiteral(
                     "select case ОтветПр when 1 then Ответ1 when 2 then Ответ2 when 3 then Ответ3 "
                     "when 4 then Ответ4 else Ответ5 end from БДТест order by rowid limit 1")),
                 QStringLiteral("Орталық процессор"));
    }
    // Without a seed the seed used is printed, so the order can be had again.
    TestCourse course;
    const AdminRun run = runAdmin({"import-questions", sample("tags-questions.txt")});
    QVERIFY2(run.messages.contains(QStringLiteral("options shuffled; --seed ")),
             qPrintable(run.messages));
}

void AdminCommandsTest::wrongCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    QTest::newRow("no command") << QStringList{} << int(Commands::WrongUsage) << "no command given";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << int(Commands::WrongUsage)
                                     << "unknown command \"frobnicate\"";
    QTest::newRow("no file") << QStringList{"import-questions"} << int(Commands::WrongUsage)
                             << "usage: okulyk-admin import-questions FILE";
    QTest::newRow("unknown option") << QStringList{"import-questions", "f", "--force"}
                                    << int(Commands::WrongUsage) << "unknown option --force";
    QTest::newRow("bad format") << QStringList{"import-questions", "f", "--format=pdf"}
                                << int(Commands::WrongUsage)
                                << "--format is aiken, gift, tags or moodle-xml";
    QTest::newRow("bad encoding") << QStringList{"import-questions", "f", "--encoding", "koi8"}
                                  << int(Commands::WrongUsage) << "--encoding is utf-8";
    QTest::newRow("bad seed") << QStringList{"import-questions", "f", "--seed", "-1"}
                              << int(Commands::WrongUsage) << "--seed is a whole number";
    QTest::newRow("option without its value") << QStringList{"import-questions", "f", "--db"}
                                              << int(Commands::WrongUsage) << "--db needs a value";
    QTest::newRow("tags cannot be exported")
        << QStringList{"export-questions", "out.txt", "--format", "tags"}
        << int(Commands::WrongUsage) << "usage: okulyk-admin export-questions";
    QTest::newRow("migrate needs two files")
        << QStringList{"migrate", "old.mdb"} << int(Commands::WrongUsage)
        << "usage: okulyk-admin migrate OLD.mdb NEW.mdb";
    QTest::newRow("a missing input file")
        << QStringList{"import-questions", "missing.txt"} << int(Commands::Failed)
        << "missing.txt: cannot read the file";
    QTest::newRow("help") << QStringList{"--help"} << int(Commands::Done) << "";
    QTest::newRow("help of a command")
        << QStringList{"migrate", "--help"} << int(Commands::Done) << "";
}

void AdminCommandsTest::wrongCommandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    TestCourse course;
    const QByteArray before = fileHash(course.dbPath());
    const AdminRun run = runAdmin(arguments);
    QCOMPARE(run.status, status);
    if (message.isEmpty()) {
        QVERIFY(run.output.contains(QStringLiteral("Қолданылуы:")) &&
                run.output.contains(QStringLiteral("Usage:")) &&
                run.output.contains(QStringLiteral("okulyk-admin migrate OLD.mdb NEW.mdb")));
    } else {
        QVERIFY2(run.messages.contains(message), qPrintable(run.messages));
    }
    if (status == Commands::WrongUsage)
        QVERIFY(run.messages.contains(QStringLiteral("okulyk-admin --help")));
    QCOMPARE(fileHash(course.dbPath()), before);
}

void AdminCommandsTest::databaseIsNamedWithDb()
{
    TestCourse other;
    TestCourse course(TestCourse::Database::None); // the current folder has no db.mdb
    const AdminRun run =
        runAdmin({"import-questions", sample("gift-questions.txt"), "--db", other.dbPath()});
    QCOMPARE(run.status, int(Commands::DoneWithWarnings)); // the GIFT sample has refusals
    QCOMPARE(bankRows(other).size(), 4);

    const AdminRun missing = runAdmin({"export-results", "out.csv"});
    QCOMPARE(missing.status, int(Commands::Failed));
    QVERIFY2(missing.messages.contains(course.dbPath() + QStringLiteral("\": the file does not "
                                                                        "exist")),
             qPrintable(missing.messages));
    QVERIFY(!QFile::exists(course.dir() + QStringLiteral("/out.csv")));

    // An Access file given as the database names the command that converts it.
    const AdminRun access = runAdmin(
        {"report", "out.html", "--db", TestCourse::testDataDir() + "/access-jet4-cyrillic.mdb"});
    QCOMPARE(access.status, int(Commands::Failed));
    QVERIFY2(access.messages.contains(QStringLiteral("okulyk-admin migrate "
                                                     "access-jet4-cyrillic.mdb new.mdb")),
             qPrintable(access.messages));
}

void AdminCommandsTest::exportedBankImportsBackToTheSameRows_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("gift") << "gift";
    QTest::newRow("aiken") << "aiken";
}

void AdminCommandsTest::exportedBankImportsBackToTheSameRows()
{
    QFETCH(QString, format);
    const QString megabyte = QString(1024 * 1024, QChar(u'Қ'));
    QStringList exported;
    QString file;
    {
        TestCourse course;
        QuestionStore::append({
            question(QStringLiteral("It's \"quoted\", 100% _sure_ and 'single'?"),
                     {"O'Brien", "\"Ескерту\"", "50%", "a_b", "Ёжик"}, 3),
            question(QStringLiteral("Бірінші жол\nекінші жол"), {"бір\nекі", "b", "c", "d", "e"},
                     5),
            question(QStringLiteral("Таңбалар: {=~#:} және \\n"), {"=", "~x", "{}", "a:b", "#1"},
                     2),
            question(megabyte, {megabyte, "b", "c", "d", "e"}, 4),
        });
        // Rows the editor could leave behind: a right answer outside 1..5, none at all.
        course.exec(QStringLiteral(
            "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) values"
            "('Жеті','a','b','c','d','e',7),('Бос','a','b','c','d','e',NULL)"));
        exported = bankRows(course).mid(0, 4);
        file = course.dir() + QStringLiteral("/bank.") + format;
        const AdminRun run = runAdmin({"export-questions", file, "--format", format});
        QCOMPARE(run.status, int(Commands::DoneWithWarnings));
        QVERIFY2(run.messages.contains(file + QStringLiteral(": question 5: its right answer is "
                                                             "not 1 to 5")) &&
                     run.messages.contains(QStringLiteral("question 6: its right answer")),
                 qPrintable(run.messages));
        QCOMPARE(run.messages.count(QLatin1Char('\n')), 2);
        QVERIFY(run.output.contains(QStringLiteral("6 questions written")));

        TestCourse fresh;
        const AdminRun back = runAdmin({"import-questions", file});
        QCOMPARE(back.status, int(Commands::DoneWithWarnings)); // the two without a right answer
        QCOMPARE(back.messages.count(QStringLiteral("skipped")), 2);
        QCOMPARE(bankRows(fresh), exported);
    }
}

void AdminCommandsTest::exportNeverWritesOverTheDatabase()
{
    TestCourse course;
    addTwoQuestions(course);
    const QByteArray before = fileHash(course.dbPath());
    for (const QStringList& arguments :
         {QStringList{"export-questions", "db.mdb", "--format", "gift"},
          QStringList{"export-results", course.dbPath()}, QStringList{"report", "./db.mdb"}}) {
        const AdminRun run = runAdmin(arguments);
        QCOMPARE(run.status, int(Commands::Failed));
        QVERIFY2(run.messages.contains(QStringLiteral("this is the database")),
                 qPrintable(run.messages));
        QCOMPARE(fileHash(course.dbPath()), before);
    }
    // A folder that cannot hold the file: nothing is written, and it says so.
    const AdminRun run = runAdmin({"export-results", course.dir() + "/missing/out.csv"});
    QCOMPARE(run.status, int(Commands::Failed));
    QVERIFY(run.messages.contains(QStringLiteral("cannot write the file")));
}

void AdminCommandsTest::resultsCsvIsExact()
{
    TestCourse course;
    course.exec(QStringLiteral(
        "insert into Пользователи(Логин,Пароль,Группа) values ('Chief','pw',''),"
        "('aigerim','1','ИС-21'),('aigerim','2','Басқа'),('=cmd','x','<b>Топ</b>, \"бірінші\"'),"
        "('nogroup','x',NULL);"
        "insert into Тесты(Пользователь, Верно, Время) values('aigerim',20,1765350000);"
        "insert into Тесты(Пользователь, Верно) values('=cmd',30),('ghost',0),('nogroup','abc'),"
        "('aigerim',15),('multi' || char(10) || 'line',5);"));
    const QString csv = course.dir() + QStringLiteral("/results.csv");
    const QString stored =
        QDateTime::fromSecsSinceEpoch(1765350000).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const AdminRun run = runAdmin({"export-results", csv});
    QCOMPARE(run.status, int(Commands::DoneWithWarnings));
    QVERIFY2(run.messages.contains(QStringLiteral("result 4 (nogroup): the score \"abc\" is not a "
                                                  "whole number 0 to 30")),
             qPrintable(run.messages));
    QCOMPARE(fileBytes(csv),
             QByteArray("\xEF\xBB\xBF") +
                 QStringLiteral("Логин,Топ,Дұрыс жауап,Сұрақ саны,Пайыз,Уақыты\r\n"
                                "aigerim,ИС-21,20,30,67,%1\r\n"
                                "'=cmd,\"<b>Топ</b>, \"\"бірінші\"\"\",30,30,100,\r\n"
                                "ghost,,0,30,0,\r\n"
                                "nogroup,,abc,30,,\r\n"
                                "aigerim,ИС-21,15,30,50,\r\n"
                                "\"multi\nline\",,5,30,17,\r\n")
                     .arg(stored)
                     .toUtf8());

    const AdminRun one = runAdmin({"export-results", csv, "--user", "aigerim"});
    QCOMPARE(one.status, int(Commands::Done));
    QCOMPARE(QString::fromUtf8(fileBytes(csv)).count(QStringLiteral("\r\n")), 3);

    const AdminRun nobody = runAdmin({"export-results", csv, "--user", "Aigerim"});
    QCOMPARE(nobody.status, int(Commands::DoneWithWarnings));
    QVERIFY(nobody.messages.contains(QStringLiteral("no results are stored for the login "
                                                    "\"Aigerim\"")));
    QCOMPARE(QString::fromUtf8(fileBytes(csv)).count(QStringLiteral("\r\n")), 1);

    // A course whose results carry no time has no column for it.
    course.exec(QStringLiteral("alter table Тесты drop column Время"));
    QCOMPARE(runAdmin({"export-results", csv, "--user", "ghost"}).status, int(Commands::Done));
    QCOMPARE(
        fileBytes(csv),
        QByteArray("\xEF\xBB\xBF") +
            QStringLiteral("Логин,Топ,Дұрыс жауап,Сұрақ саны,Пайыз\r\nghost,,0,30,0\r\n").toUtf8());
}

void AdminCommandsTest::reportSummarisesEachGroup()
{
    TestCourse course;
    course.exec(QStringLiteral(
        "insert into Пользователи(Логин,Пароль,Группа) values ('aigerim','1','ИС-21'),"
        "('nurlan','2','ИС-21'),('=cmd','x','<b>Топ</b> \"1\"'),('nogroup','x',NULL);"
        "insert into Тесты(Пользователь, Верно) values('aigerim',20),('=cmd',30),('ghost',0),"
        "('nogroup','abc'),('nurlan',15),('aigerim',16),('ghost2',5),('nogroup',7);"));
    const QString file = course.dir() + QStringLiteral("/report.html");
    const AdminRun run = runAdmin({"report", file});
    QCOMPARE(run.status, int(Commands::DoneWithWarnings));
    const QString html = QString::fromUtf8(fileBytes(file));
    const auto row = [](const QString& group, int attempts, const QString& mean,
                        const QString& median) {
        return QStringLiteral("<th scope=\"row\">%1</th><td>%2</td><td>%3</td><td>%4</td>")
            .arg(group)
            .arg(attempts)
            .arg(mean, median);
    };
    QVERIFY2(html.contains(row("ИС-21", 3, "17,0", "16,0")), qPrintable(html));
    QVERIFY(html.contains(row("&lt;b&gt;Топ&lt;/b&gt; &quot;1&quot;", 1, "30,0", "30,0")));
    QVERIFY(html.contains(row("(тіркелмеген пайдаланушылар)", 2, "2,5", "2,5")));
    QVERIFY(html.contains(row("(тобы көрсетілмеген)", 1, "7,0", "7,0")));
    QVERIFY(html.contains(row("Барлығы", 7, "13,3", "15,0")));
    QVERIFY(html.contains(QStringLiteral("нәтиже есепке алынбады")));
    // One histogram per group and the total: a bar per score present.
    QCOMPARE(html.count(QStringLiteral("<svg ")), 5);
    QCOMPARE(html.count(QStringLiteral("<rect ")), 3 + 1 + 2 + 1 + 7);
    QVERIFY(html.contains(QStringLiteral("<title>20: 1</title>")));
    // Printable on A4 and self-contained.
    QVERIFY(html.contains(QStringLiteral("@page { size: A4;")));
    for (const char* outside : {"<script", "src=", "href=", "@import", "url("})
        QVERIFY2(!html.contains(QLatin1String(outside), Qt::CaseInsensitive), outside);
}

void AdminCommandsTest::longWorkShowsProgress()
{
    TestCourse course;
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("Сұрақ %1\nA) a\nB) b\nC) c\nD) d\nE) e\nANSWER: C\n\n").arg(i);
    QFile file(course.dir() + QStringLiteral("/many.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    file.close();

    const AdminRun quick = runAdmin({"import-questions", file.fileName()});
    QVERIFY(!quick.messages.contains(QStringLiteral("importing")));
    Progress::setDelayMs(0);
    const AdminRun run = runAdmin({"import-questions", file.fileName()});
    QCOMPARE(run.status, int(Commands::Done));
    QVERIFY2(run.messages.startsWith(QStringLiteral("importing: 1 of 300 (0%)\n")),
             qPrintable(run.messages));
    QCOMPARE(bankRows(course).size(), 600);
}

// A course file made before answers were kept gets the table, once; nothing else changes.
void AdminCommandsTest::upgradeAddsTheAnswersTableOnce()
{
    TestCourse course;
    addTwoQuestions(course);
    course.exec(QStringLiteral("drop table Ответы"));
    const auto before = course.contents();
    const AdminRun added = runAdmin({"upgrade", "--db", course.dbPath()});
    QCOMPARE(added.status, int(Commands::Done));
    QVERIFY2(added.output.contains(QStringLiteral("the table Ответы is added")),
             qPrintable(added.output));
    auto after = course.contents();
    QCOMPARE(after.take(QStringLiteral("Ответы")), QList<QVariantList>());
    QCOMPARE(after, before);
    QCOMPARE(course.column(QStringLiteral("select name from pragma_table_info('Ответы')")),
             (QStringList{"ТестИд", "Номер", "ВопросИд", "Ответ", "Верно", "Время"}));

    const QByteArray file = fileHash(course.dbPath());
    const AdminRun again = runAdmin({"upgrade", "--db", course.dbPath()});
    QCOMPARE(again.status, int(Commands::Done));
    QVERIFY(again.output.contains(QStringLiteral("up to date")));
    QCOMPARE(fileHash(course.dbPath()), file);

    // A table made by an earlier build, without the time of each answer, on which every submit
    // would fail: the upgrade adds the column and keeps the answers.
    course.exec(QStringLiteral("drop table Ответы; create table Ответы (ТестИд INTEGER, Номер "
                               "INTEGER, ВопросИд INTEGER, Ответ INTEGER, Верно INTEGER);"
                               "insert into Ответы values(1,1,1,1,1)"));
    const AdminRun timed = runAdmin({"upgrade", "--db", course.dbPath()});
    QVERIFY2(timed.output.contains(QStringLiteral("the time of each answer")),
             qPrintable(timed.output));
    QCOMPARE(course.column(QStringLiteral("select ТестИд||'|'||ifnull(Время,'none') from Ответы")),
             QStringList{QStringLiteral("1|none")});
}

// One row per kept answer, attempt by attempt in stored order, for a pivot table; a result's
// answers under its login and group, a removed question with an empty text.
void AdminCommandsTest::answersCsvHasARowPerAnswer()
{
    TestCourse course;
    course.exec(QStringLiteral(
        "insert into Пользователи(Логин,Пароль,Группа) values('Әсел','1','ИС-21');"
        "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) values"
        "('=1+1, \"екі\"?','a','b','c','d','e',2),('Q2','a','b','c','d','e','x');"
        "insert into Тесты(Пользователь,Верно) values('Әсел',1),('ghost',0);"
        "insert into Ответы values(2,1,2,5,0,0),(1,2,2,3,0,0),(1,1,1,2,1,0),(2,2,9,7,0,0)"));
    const AdminRun all = runAdmin({"export-results", "answers.csv", "--answers"});
    QCOMPARE(all.status, int(Commands::Done));
    QFile file(course.dir() + QStringLiteral("/answers.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             "\xEF\xBB\xBF" +
                 QStringLiteral("Логин,Топ,Тест,Нөмір,Сұрақ (rowid),Сұрақ,Таңдалған жауап,"
                                "Дұрыс жауап,Дұрыс\r\n"
                                "Әсел,ИС-21,1,1,1,\"'=1+1, \"\"екі\"\"?\",B,B,1\r\n"
                                "Әсел,ИС-21,1,2,2,Q2,C,x,0\r\n"
                                "ghost,,2,1,2,Q2,E,x,0\r\n"
                                "ghost,,2,2,9,,7,,0\r\n")
                     .toUtf8());

    QCOMPARE(runAdmin({"export-results", "one.csv", "--answers", "--user", "ghost"}).status,
             int(Commands::Done));
    course.exec(QStringLiteral("drop table Ответы"));
    const AdminRun none = runAdmin({"export-results", "none.csv", "--answers"});
    QCOMPARE(none.status, int(Commands::Failed));
    QVERIFY2(none.messages.contains(QStringLiteral("okulyk-admin upgrade")),
             qPrintable(none.messages));
    QVERIFY(!QFile::exists(course.dir() + QStringLiteral("/none.csv")));
}

// Paper variants: 30 questions each by the test window's rule, the same seed giving the same
// pages, the keys matching the bank, and a question without a right answer keyed "?".
void AdminCommandsTest::paperVariantsRepeatBySeed()
{
    TestCourse course;
    QCOMPARE(runAdmin({"print-test", "empty.html", "--variants", "2"}).status,
             int(Commands::Failed));
    QString sql = QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,"
                                 "ОтветПр) values ('<Q1> & \"1\"','a','b','c','d','e',3)");
    for (int q = 2; q <= 12; ++q)
        sql +=
            QStringLiteral(",('Q%1','a','b','c','d','e',%2)").arg(q).arg(q == 12 ? 9 : q % 5 + 1);
    course.exec(sql);

    const QList<QList<int>> variants = PaperTest::draw(4, 12, 77);
    QCOMPARE(variants, PaperTest::draw(4, 12, 77));
    QVERIFY(variants != PaperTest::draw(4, 12, 78));
    QCOMPARE(variants.size(), 4);
    for (const QList<int>& variant : variants) {
        QCOMPARE(variant.size(), PaperTest::kQuestions);
        for (int position : variant)
            QVERIFY(position >= 0 && position < 12);
    }

    const AdminRun first = runAdmin({"print-test", "a.html", "--variants", "4", "--seed", "77"});
    const AdminRun again = runAdmin({"print-test", "b.html", "--variants", "4", "--seed", "77"});
    QVERIFY(first.status == int(Commands::Done) || first.status == int(Commands::DoneWithWarnings));
    const QByteArray page = fileBytes(course.dir() + QStringLiteral("/a.html"));
    QCOMPARE(fileBytes(course.dir() + QStringLiteral("/b.html")), page);
    const QString html = QString::fromUtf8(page);
    QCOMPARE(html.count(QStringLiteral("<section class=\"variant\">")), 4);
    QCOMPARE(html.count(QStringLiteral("<span>Аты-жөні:</span>")), 4);
    QVERIFY(!html.contains(QStringLiteral("<Q1>")));
    // Each variant's keys are the bank's right answers of its questions, in order.
    const QStringList rights =
        course.column(QStringLiteral("select ОтветПр from БДТест order by rowid"));
    for (int v = 0; v < 4; ++v) {
        QString keys = QStringLiteral("<tr><th scope=\"row\">%1</th>").arg(v + 1);
        for (int position : variants[v]) {
            const int right = rights[position].toInt() <= 5 ? rights[position].toInt() : 0;
            keys += QStringLiteral("<td>%1</td>")
                        .arg(right >= 1 ? QString(QChar(u'A' + right - 1)) : QStringLiteral("?"));
        }
        QVERIFY2(html.contains(keys), qPrintable(keys));
    }
    const bool drawsTheUnkeyed =
        std::any_of(variants.cbegin(), variants.cend(),
                    [](const QList<int>& variant) { return variant.contains(11); });
    QCOMPARE(first.messages.contains(QStringLiteral("question 12 of the bank has no right answer")),
             drawsTheUnkeyed);
    QCOMPARE(runAdmin({"print-test", "c.html", "--variants", "0"}).status,
             int(Commands::WrongUsage));

    // With "30 different questions" a bank of 12 gives each question once, then again, before
    // any comes a third time: the keys follow that draw.
    QCOMPARE(runAdmin({"settings", "different-questions", "on"}).status, int(Commands::Done));
    runAdmin({"print-test", "d.html", "--variants", "1", "--seed", "77"});
    const QList<int> different = PaperTest::draw(1, 12, 77, DrawRule::Mode::Different).at(0);
    QCOMPARE(QSet<int>(different.cbegin(), different.cbegin() + 12).size(), 12);
    QString keys = QStringLiteral("<tr><th scope=\"row\">1</th>");
    for (int position : different) {
        const int right = rights[position].toInt() <= 5 ? rights[position].toInt() : 0;
        keys += QStringLiteral("<td>%1</td>")
                    .arg(right >= 1 ? QString(QChar(u'A' + right - 1)) : QStringLiteral("?"));
    }
    QVERIFY(QString::fromUtf8(fileBytes(course.dir() + QStringLiteral("/d.html"))).contains(keys));
}

// The course's settings: listed with their defaults, set by name, refused when the value is
// none of theirs; a course made by an earlier version gets their table from upgrade first.
void AdminCommandsTest::courseSettingsAreKeptInTheCourse()
{
    TestCourse course;
    const AdminRun list = runAdmin({"settings"});
    QCOMPARE(list.status, int(Commands::Done));
    QVERIFY2(list.output.contains(QStringLiteral("different-questions off\n")) &&
                 list.output.contains(QStringLiteral("signin-failures-per-computer 20")),
             qPrintable(list.output));
    QCOMPARE(runAdmin({"settings", "different-questions", "иә"}).status, int(Commands::Done));
    const QStringList stored = {QStringLiteral("different_questions=1")};
    QCOMPARE(course.column(QStringLiteral("select Имя || '=' || Значение from Настройки")), stored);
    QCOMPARE(runAdmin({"settings", "different-questions", "maybe"}).status, int(Commands::Failed));
    QCOMPARE(runAdmin({"settings", "signin-failures-per-computer", "0"}).status,
             int(Commands::Failed));
    QCOMPARE(runAdmin({"settings", "colour", "red"}).status, int(Commands::WrongUsage));
    QCOMPARE(course.column(QStringLiteral("select Имя || '=' || Значение from Настройки")), stored);

    course.exec(QStringLiteral("drop table Настройки; alter table Тесты drop column Время"));
    const AdminRun refused = runAdmin({"settings", "different-questions", "on"});
    QCOMPARE(refused.status, int(Commands::Failed));
    QVERIFY2(refused.messages.contains(QStringLiteral("okulyk-admin upgrade")),
             qPrintable(refused.messages));
    const AdminRun upgraded = runAdmin({"upgrade"});
    QVERIFY2(upgraded.output.contains(QStringLiteral("the table Настройки is added")) &&
                 upgraded.output.contains(QStringLiteral("the table Тесты gets the time")),
             qPrintable(upgraded.output));
    QCOMPARE(runAdmin({"settings", "different-questions", "on"}).status, int(Commands::Done));
}

QTEST_GUILESS_MAIN(AdminCommandsTest)
#include "tst_admin_commands.moc"
