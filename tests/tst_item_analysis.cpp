// Item analysis of the kept answers: the figures against a worked example computed by hand,
// the undefined cases, the verdicts and their order, and okulyk-admin item-stats and report on
// a course (a db.mdb file, or a server course inside a throw-away cluster).

#include "AdminTesting.h"
#include "ItemReport.h"
#include "ItemStatistics.h"
#include "TestCourse.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <cmath>

using ItemStatistics::Answer;

namespace {

QStringList courseOption()
{
    return TestCourse::onServer() ? QStringList{"--server", TestCourse::serviceName()}
                                  : QStringList{};
}

AdminRun runOnCourse(QStringList arguments)
{
    return runAdmin(arguments << courseOption());
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QString fileText(const QString& path)
{
    return QString::fromUtf8(fileBytes(path));
}

bool near(const std::optional<double>& value, double expected)
{
    return value && std::abs(*value - expected) < 1e-6;
}

#define QCOMPARE_FIGURE(value, expected)                                                           \
    QVERIFY2(near(value, expected), qPrintable(QStringLiteral(#value " = %1, expected %2")         \
                                                   .arg(value ? QString::number(*value, 'g', 12)   \
                                                              : QStringLiteral("none"))            \
                                                   .arg(expected, 0, 'g', 12)))

// Five attempts of three answers over the questions 10, 20, 30 and 40; the fourth draws 20
// twice (marks 1 and 0: it counts once, with 0.5, and the rest of that attempt is 2 − 1 = 1).
// Scores 3, 0, 2, 2, 0.
ItemStatistics::Analysis workedExample()
{
    ItemStatistics::Collector collector;
    collector.add({{1, 10, 2, 1}, {2, 20, 1, 1}, {3, 30, 3, 1}});
    collector.add({{1, 10, 3, 0}, {2, 20, 4, 0}, {3, 40, 1, 0}});
    collector.add({{1, 10, 5, 0}, {2, 20, 1, 1}, {3, 30, 3, 1}});
    collector.add({{1, 20, 1, 1}, {2, 10, 2, 1}, {3, 20, 2, 0}});
    collector.add({{1, 30, 1, 0}, {2, 10, 3, 0}, {3, 40, 1, 0}});
    return collector.analyse();
}

ItemStatistics::Question drawnQuestion(int drawn, double facility, double discrimination)
{
    ItemStatistics::Question question;
    question.drawn = drawn;
    question.answers = drawn;
    question.facility = facility;
    question.discrimination = discrimination;
    question.options[0] = {drawn, 20.0};
    return question;
}

} // namespace

class ItemAnalysisTest : public QObject {
    Q_OBJECT

private slots:
    void figuresOfTheWorkedExample();
    void figuresWithoutSpreadAreUndefined();
    void csvNamesEachQuestionAndLeavesOutShakyEfficiency();
    void verdictsAndTheirOrder();
    void itemStatsOnACourse();
    void reportHasTheQuestionTable();
};

// Every figure as computed by hand from the definitions: x the question's mark, X the score,
// y = X − x, variances and covariances over n − 1.
void ItemAnalysisTest::figuresOfTheWorkedExample()
{
    const ItemStatistics::Analysis analysis = workedExample();
    QCOMPARE(analysis.questions.size(), 4);
    const ItemStatistics::Question& q10 = analysis.questions[0];
    const ItemStatistics::Question& q20 = analysis.questions[1];
    const ItemStatistics::Question& q30 = analysis.questions[2];
    const ItemStatistics::Question& q40 = analysis.questions[3];

    // Question 10: x = 1 0 0 1 0, y = 2 0 2 1 0; var x 0.3, var y 1, cov 0.25; sorted
    // columns' cov 0.5; the bottom attempt (score 0, stored first) 0, the top 1.
    QCOMPARE(q10.id, 10);
    QCOMPARE(q10.drawn, 5);
    QCOMPARE_FIGURE(q10.facility, 40.0);
    QCOMPARE_FIGURE(q10.sd, 100 * std::sqrt(0.3));
    QCOMPARE_FIGURE(q10.discrimination, 100 * 0.25 / std::sqrt(0.3));
    QCOMPARE_FIGURE(q10.efficiency, 50.0);
    QCOMPARE_FIGURE(q10.d27, 100.0);
    // Options: B by the attempts scoring 3 and 2, C by two scoring 0, E by one scoring 2.
    QCOMPARE(q10.options[1].chosen, 2);
    QCOMPARE_FIGURE(q10.options[1].meanScore, 2.5);
    QCOMPARE_FIGURE(q10.options[2].meanScore, 0.0);
    QCOMPARE_FIGURE(q10.options[4].meanScore, 2.0);
    QVERIFY(!q10.options[0].meanScore);

    // Question 20: x = 1 0 1 0.5, y = 2 0 1 1; var x 0.6875/3, var y 2/3, cov 1/3, sorted cov
    // 1/3. Five answers: A three times (scores 3, 2, 2), B and D once.
    QCOMPARE(q20.drawn, 4);
    QCOMPARE(q20.answers, 5);
    QCOMPARE_FIGURE(q20.facility, 62.5);
    QCOMPARE_FIGURE(q20.sd, 100 * std::sqrt(0.6875 / 3));
    QCOMPARE_FIGURE(q20.discrimination, 100 * (1.0 / 3) / std::sqrt(0.6875 / 3 * 2.0 / 3));
    QCOMPARE_FIGURE(q20.efficiency, 100.0);
    QCOMPARE(q20.options[0].chosen, 3);
    QCOMPARE_FIGURE(q20.options[0].meanScore, 7.0 / 3);
    QCOMPARE_FIGURE(q20.options[1].meanScore, 2.0);

    // Question 30: x = 1 1 0, y = 2 1 0: perfectly efficient.
    QCOMPARE_FIGURE(q30.facility, 200.0 / 3);
    QCOMPARE_FIGURE(q30.discrimination, 100 * 0.5 / std::sqrt(1.0 / 3));
    QCOMPARE_FIGURE(q30.efficiency, 100.0);

    // Question 40: never right, so nothing to correlate.
    QCOMPARE_FIGURE(q40.facility, 0.0);
    QCOMPARE_FIGURE(q40.sd, 0.0);
    QVERIFY(!q40.discrimination);
    QVERIFY(!q40.efficiency);
    QCOMPARE_FIGURE(q40.d27, 0.0);

    // The test: scores 3 0 2 2 0; each of the three places has variance 0.3, the scores 1.8.
    const ItemStatistics::Test& test = analysis.test;
    QCOMPARE(test.attempts, 5);
    QCOMPARE(test.places, 3);
    QCOMPARE_FIGURE(test.mean, 1.4);
    QCOMPARE_FIGURE(test.median, 2.0);
    QCOMPARE_FIGURE(test.sd, std::sqrt(1.8));
    QCOMPARE_FIGURE(test.skewness, 5 * -0.96 / (4 * 3 * std::pow(std::sqrt(1.8), 3)));
    QCOMPARE_FIGURE(test.alpha, 0.75);
    QCOMPARE_FIGURE(test.sem, std::sqrt(1.8) * 0.5);
}

// A question always right, one drawn once, a test of one attempt or of equal scores: the
// figures that need spread are empty, in the CSV too, never NaN.
void ItemAnalysisTest::figuresWithoutSpreadAreUndefined()
{
    ItemStatistics::Collector collector;
    collector.add({{1, 1, 1, 1}, {2, 2, 1, 1}});
    collector.add({{1, 1, 1, 1}, {2, 3, 2, 1}});
    ItemStatistics::Analysis analysis = collector.analyse();
    const ItemStatistics::Question& always = analysis.questions[0];
    QCOMPARE_FIGURE(always.facility, 100.0);
    QCOMPARE_FIGURE(always.sd, 0.0);
    QVERIFY(!always.discrimination && !always.efficiency);
    const ItemStatistics::Question& once = analysis.questions[1];
    QCOMPARE(once.drawn, 1);
    QCOMPARE_FIGURE(once.facility, 100.0);
    QVERIFY(!once.sd && !once.discrimination && !once.efficiency && !once.d27);
    // Both attempts score 2: no skewness or reliability.
    QCOMPARE_FIGURE(analysis.test.sd, 0.0);
    QVERIFY(!analysis.test.skewness && !analysis.test.alpha && !analysis.test.sem);

    const QString csv = QString::fromUtf8(ItemReport::csv(ItemReport::items(analysis, {})));
    QVERIFY2(csv.contains(QStringLiteral("\r\n2,(банктен өшірілген),1,100.00,,,,,100.00,0.00,0.00,"
                                         "0.00,0.00,,әрекет тым аз\r\n")),
             qPrintable(csv));
    for (const char* bad : {"nan", "inf"})
        QVERIFY2(!csv.contains(QLatin1String(bad), Qt::CaseInsensitive), qPrintable(csv));

    QVERIFY(ItemStatistics::Collector().analyse().questions.isEmpty());
    ItemStatistics::Collector single;
    single.add({{1, 1, 1, 1}});
    analysis = single.analyse();
    QCOMPARE_FIGURE(analysis.test.mean, 1.0);
    QVERIFY(!analysis.test.sd && !analysis.test.alpha);
    QCOMPARE(ItemReport::summary(analysis.test),
             QStringLiteral("1 attempts; score mean 1.00, median 1.00, SD —, skewness —; "
                            "alpha (KR-20) —, SEM —"));
}

// The CSV's Kazakh header, each question's text on one line and shortened, and the efficiency
// left empty for a question drawn too seldom (here −200 %) beside one drawn often enough.
void ItemAnalysisTest::csvNamesEachQuestionAndLeavesOutShakyEfficiency()
{
    // Ten attempts: question 1 right in the last five, 3 as filler, 2 drawn by the first three
    // only and right where the rest of the attempt is lowest.
    const QList<double> filler = {0, 1, 1, 0, 0, 1, 1, 1, 1, 1};
    const QList<double> second = {1, 0, 0};
    ItemStatistics::Collector collector;
    for (int i = 0; i < 10; ++i) {
        const double mark = i >= 5 ? 1 : 0;
        QList<Answer> attempt = {{1, 1, mark > 0 ? 1 : 2, mark}, {2, 3, 1, filler[i]}};
        if (i < 3)
            attempt.append({3, 2, second[i] > 0 ? 2 : 1, second[i]});
        collector.add(attempt);
    }
    const ItemStatistics::Analysis analysis = collector.analyse();
    QCOMPARE_FIGURE(analysis.questions[1].efficiency, -200.0);

    // A surrogate pair straddles the cut: it goes whole.
    const QString head =
        QStringLiteral("Қай құрылғы, ақпаратты ұзақ сақтайды? ") + QString(20, QChar(u'ж'));
    const QHash<qint64, AnswerRows::BankEntry> bank = {
        {1,
         {QStringLiteral("Қай құрылғы,\r\nақпаратты\t\tұзақ   сақтайды?\n") +
              QString(20, QChar(u'ж')) + QStringLiteral("\U0001F600 және тағы басқа"),
          QStringLiteral("1")}},
        {2, {QStringLiteral("Q2"), QStringLiteral("2")}}};
    const QByteArray bytes = ItemReport::csv(ItemReport::items(analysis, bank));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList rows = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(rows[0], QStringLiteral("Сұрақ (rowid),Мәтіні,Түсу саны,Жеңілдігі %,SD %,Ажыратуы %,"
                                     "Тиімділігі %,D27 %,A %,B %,C %,D %,E %,Дұрыс жауап,"
                                     "Белгілер"));
    // The rest of each row after the text: drawn, facility, sd, discrimination, efficiency, ...
    const QString first = QStringLiteral("1,\"%1…\",").arg(head);
    QVERIFY2(rows[1].startsWith(first), qPrintable(rows[1]));
    QCOMPARE(rows[1].mid(first.size()).split(QLatin1Char(','))[4], QStringLiteral("100.00"));
    QVERIFY2(rows[2].startsWith(QStringLiteral("2,Q2,3,33.33,")), qPrintable(rows[2]));
    QCOMPARE(rows[2].split(QLatin1Char(','))[6], QString());
}

// The verdicts at their limits, a wrong option whose choosers score higher than the right one's,
// and the report's order: worst first, the questions drawn too seldom last.
void ItemAnalysisTest::verdictsAndTheirOrder()
{
    using ItemReport::Flag;
    QCOMPARE(ItemReport::flagsOf(drawnQuestion(9, 0, 0), QStringLiteral("1")),
             QList<Flag>{Flag::TooFewAttempts});
    QCOMPARE(ItemReport::flagsOf(drawnQuestion(10, 95, 15), QStringLiteral("1")),
             QList<Flag>{Flag::TooEasy});
    QCOMPARE(ItemReport::flagsOf(drawnQuestion(10, 94.9, 15), QStringLiteral("1")), QList<Flag>());
    QCOMPARE(ItemReport::flagsOf(drawnQuestion(10, 5, 14.9), QStringLiteral("1")),
             (QList<Flag>{Flag::DoesNotDiscriminate, Flag::TooHard}));

    ItemStatistics::Question misKeyed = drawnQuestion(12, 50, 30);
    misKeyed.options[3] = {2, 20.5};
    QCOMPARE(ItemReport::flagsOf(misKeyed, QStringLiteral(" 1 ")),
             QList<Flag>{Flag::ProbablyMisKeyed});
    QCOMPARE(ItemReport::flagsOf(misKeyed, QStringLiteral("4")), QList<Flag>());
    // One strong student's slip is no sign of a wrong key.
    ItemStatistics::Question slip = misKeyed;
    slip.options[3].chosen = 1;
    QCOMPARE(ItemReport::flagsOf(slip, QStringLiteral("1")), QList<Flag>());
    // A right answer that names no option gives no verdict on the key.
    QCOMPARE(ItemReport::flagsOf(misKeyed, QStringLiteral("x")), QList<Flag>());

    QList<ItemReport::Item> items;
    const QList<std::pair<ItemStatistics::Question, QString>> questions = {
        {drawnQuestion(3, 50, 10), "1"},
        {drawnQuestion(20, 50, 40), "1"},
        {drawnQuestion(20, 99, 20), "1"},
        {drawnQuestion(20, 50, 10), "1"},
        {misKeyed, "1"},
        {drawnQuestion(20, 50, 5), "1"},
        {drawnQuestion(20, 2, 30), "1"}};
    qint64 id = 0;
    for (auto [question, right] : questions) {
        question.id = ++id;
        items << ItemReport::Item{question, true, QString(), right,
                                  ItemReport::flagsOf(question, right)};
    }
    QList<qint64> order;
    for (const ItemReport::Item& item : ItemReport::worstFirst(items))
        order << item.figures.id;
    QCOMPARE(order, (QList<qint64>{5, 6, 4, 7, 3, 2, 1}));
}

// okulyk-admin item-stats: the questions of the attempts whose results are stored, narrowed
// by group and by time; refusals for a wrong date and for a course that keeps no answers.
void ItemAnalysisTest::itemStatsOnACourse()
{
    TestCourse course;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 longAgo = QDateTime(QDate(2020, 1, 1), QTime(12, 0)).toSecsSinceEpoch();
    course.exec(
        QStringLiteral(
            "insert into Пользователи(Логин,Пароль,Группа) values('Әсел','1','ИС-21'),"
            "('Нұрлан','2','ИС-22');"
            "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) values"
            "('Бірінші','a','b','c','d','e',2),('Екінші','a','b','c','d','e',1);"
            "insert into Тесты(Пользователь,Верно) values('Әсел',2),('Нұрлан',0),('Әсел',1),"
            "('removed',1);"
            "insert into Ответы(ТестИд,Номер,ВопросИд,Ответ,Верно,Время) values"
            "(1,1,1,2,1,%1),(1,2,2,1,1,%1),(2,1,1,3,0,%1),(2,2,2,5,0,%1),"
            "(3,1,1,2,1,%2),(3,2,2,4,0,%2),(4,1,1,2,1,%1),(4,2,2,1,1,%1);"
            "delete from Тесты where Пользователь = 'removed'")
            .arg(now)
            .arg(longAgo));
    const QString csvPath = course.dir() + QStringLiteral("/items.csv");
    const AdminRun all = runOnCourse({"item-stats", csvPath});
    QCOMPARE(all.status, int(Commands::Done));
    QVERIFY2(all.output.startsWith(QStringLiteral("3 attempts; score mean 1.00, median 1.00, "
                                                  "SD 1.00")),
             qPrintable(all.output));
    QCOMPARE(fileBytes(csvPath),
             "\xEF\xBB\xBF" +
                 QStringLiteral("Сұрақ (rowid),Мәтіні,Түсу саны,Жеңілдігі %,SD %,Ажыратуы %,"
                                "Тиімділігі %,D27 %,A %,B %,C %,D %,E %,Дұрыс жауап,Белгілер\r\n"
                                "1,Бірінші,3,66.67,57.74,50.00,,100.00,0.00,66.67,33.33,0.00,0.00,"
                                "B,әрекет тым аз\r\n"
                                "2,Екінші,3,33.33,57.74,50.00,,100.00,33.33,0.00,0.00,33.33,33.33,"
                                "A,әрекет тым аз\r\n")
                     .toUtf8());

    QVERIFY(runOnCourse({"item-stats", csvPath, "--group", "ИС-21"})
                .output.startsWith(QStringLiteral("2 attempts; score mean 1.50")));
    const AdminRun recent = runOnCourse(
        {"item-stats", csvPath, "--since", QDate::currentDate().addDays(-1).toString(Qt::ISODate)});
    QVERIFY2(recent.output.startsWith(QStringLiteral("2 attempts; score mean 1.00")),
             qPrintable(recent.output));
    const AdminRun nobody = runOnCourse({"item-stats", csvPath, "--group", "ИС-21", "--since",
                                         QDate::currentDate().addDays(1).toString(Qt::ISODate)});
    QCOMPARE(nobody.status, int(Commands::DoneWithWarnings));
    QVERIFY(nobody.messages.contains(QStringLiteral("no kept answers fit")));

    QFile::remove(csvPath);
    QCOMPARE(runOnCourse({"item-stats", csvPath, "--since", "09.01.2026"}).status,
             int(Commands::WrongUsage));
    course.exec(QStringLiteral("drop table Ответы"));
    const AdminRun none = runOnCourse({"item-stats", csvPath});
    QCOMPARE(none.status, int(Commands::Failed));
    QVERIFY(none.messages.contains(QStringLiteral("keeps no answers")));
    QVERIFY(!QFile::exists(csvPath));
}

// The report's question table: 41 analysed questions make a page of figures and two of
// questions, worst first, each with its row id and its text escaped and shortened.
void ItemAnalysisTest::reportHasTheQuestionTable()
{
    TestCourse course;
    QString sql = QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,"
                                 "ОтветПр) values ('<b>Қай</b> \"құрылғы\" & %1','a','b','c',"
                                 "'d','e',1)")
                      .arg(QString(80, QChar(u'ж')));
    for (int q = 2; q <= 41; ++q)
        sql += QStringLiteral(",('Q%1','a','b','c','d','e',1)").arg(q);
    course.exec(sql);
    // Twelve attempts; question 1 answered right only by the weakest, the rest by the strongest.
    for (int attempt = 1; attempt <= 12; ++attempt) {
        course.exec(QStringLiteral("insert into Тесты(Пользователь,Верно) values('u',0)"));
        QString answers = QStringLiteral("insert into Ответы(ТестИд,Номер,ВопросИд,Ответ,Верно,"
                                         "Время) values");
        for (int q = 1; q <= 41; ++q) {
            const bool right = q == 1 ? attempt <= 3 : attempt > q % 12;
            answers += QStringLiteral("%1(%2,%3,%3,%4,%5,0)")
                           .arg(q == 1 ? QString() : QStringLiteral(","))
                           .arg(attempt)
                           .arg(q)
                           .arg(right ? 1 : 2)
                           .arg(right ? 1 : 0);
        }
        course.exec(answers);
    }
    const QString file = course.dir() + QStringLiteral("/report.html");
    QCOMPARE(runOnCourse({"report", file}).status, int(Commands::Done));
    const QString html = fileText(file);
    QVERIFY(html.contains(QStringLiteral("<h2>Сұрақтарды талдау</h2>")));
    QCOMPARE(html.count(QStringLiteral("<table class=\"questions\">")), 2);
    QCOMPARE(html.count(QStringLiteral("<tr><td>")), 41);
    QVERIFY(html.contains(QStringLiteral("@page items { size: A4 landscape;")));
    // The mis-keyed question heads the table, its text escaped and cut to one line.
    const QString first = html.mid(html.indexOf(QStringLiteral("<tr><td>1</td>")));
    QVERIFY2(first.startsWith(QStringLiteral("<tr><td>1</td><td>1</td><td class=\"text\">"
                                             "&lt;b&gt;Қай&lt;/b&gt; &quot;құрылғы&quot; "
                                             "&amp; жжж")),
             qPrintable(first.left(300)));
    const QString firstRow = first.left(first.indexOf(QStringLiteral("</tr>")));
    QVERIFY(firstRow.contains(QStringLiteral("ж…</td>")));
    QVERIFY(firstRow.contains(QStringLiteral("кілті күмәнді")));
    QVERIFY(!html.contains(QRegularExpression(QStringLiteral(">-?(nan|inf)"),
                                              QRegularExpression::CaseInsensitiveOption)));

    course.exec(QStringLiteral("drop table Ответы"));
    QCOMPARE(runOnCourse({"report", file}).status, int(Commands::Done));
    QVERIFY(fileText(file).contains(QStringLiteral("okulyk-admin upgrade")));
}

QTEST_GUILESS_MAIN(ItemAnalysisTest)
#include "tst_item_analysis.moc"
