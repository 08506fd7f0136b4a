// Test taking, the test hub and the results window, driven through their real widgets.

#include "Connection.h"
#include "Dialogs.h"
#include "FormWindow.h"
#include "ResultsModel.h"
#include "ResultsWindow.h"
#include "TestCourse.h"
#include "TestHubWindow.h"
#include "TestWindow.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

namespace {

// Question i (from 1) reads "Q<i>", its answers "Q<i> A".."Q<i> E"; rights[i - 1] is its
// right-answer value as stored.
void seedBank(const TestCourse& course, const QStringList& rights, int firstNumber = 1)
{
    QString sql;
    for (int i = 0; i < rights.size(); ++i) {
        sql +=
            QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) "
                           "values('Q%1','Q%1 A','Q%1 B','Q%1 C','Q%1 D','Q%1 E','%2');")
                .arg(firstNumber + i)
                .arg(rights[i]);
    }
    course.exec(sql);
}

QPlainTextEdit* memoOf(const TForm2& form)
{
    return form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
}

// Presses question q and returns the number of the bank question it shows (0 for none).
int openQuestion(TForm2& form, int q)
{
    QTest::mouseClick(form.questionButton(q), Qt::LeftButton);
    const QString first = memoOf(form)->toPlainText().section(QLatin1Char('\n'), 0, 0);
    return first.startsWith(QLatin1Char('Q')) ? first.mid(1).toInt() : 0;
}

void chooseAnswer(TForm2& form, int a)
{
    QTest::mouseClick(form.answerButton(a), Qt::LeftButton);
}

void submit(TForm2& form)
{
    QTest::mouseClick(form.findChild<QAbstractButton*>(QStringLiteral("sSpeedButton3")),
                      Qt::LeftButton);
}

// The letters in pure red, each marked "!" when it is not down; all others must be black.
QString redLetters(const TForm2& form)
{
    QString red;
    for (int a = 1; a <= TForm2::kAnswers; ++a) {
        const QAbstractButton* button = form.answerButton(a);
        const QColor colour = button->palette().color(QPalette::ButtonText);
        if (colour == QColor(255, 0, 0))
            red += button->text() + (button->isChecked() ? QString() : QStringLiteral("!"));
        else if (colour != QColor(0, 0, 0) || button->isChecked())
            red += QStringLiteral("?");
    }
    return red;
}

QStringList storedResults(const TestCourse& course)
{
    return course.column(
        QStringLiteral("select ifnull(Пользователь,'')||'='||ifnull(Верно,'')||':'||typeof(Верно) "
                       "from Тесты order by rowid"));
}

QStringList gridRows(const TForm6& results)
{
    QStringList rows;
    const ResultsModel* model = results.model();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join(QLatin1Char('='));
    }
    return rows;
}

// The open cell editor of a grid (editors closed earlier linger until deleted later).
QLineEdit* openEditor(QTableView* grid)
{
    for (QLineEdit* editor : grid->viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

class StubWindow : public FormWindow {
public:
    int shows = 0;

protected:
    void onShowing() override { ++shows; }
};

} // namespace

class TestingTest : public QObject {
    Q_OBJECT
private slots:
    void wholeAttemptIsScoredShownAndStored();
    void untouchedAttemptScoresAnswerA_data();
    void untouchedAttemptScoresAnswerA();
    void eachNumberKeepsItsOwnAnswer();
    void failedSubmissionStoresNothing_data();
    void failedSubmissionStoresNothing();
    void drawFollowsTheBankAsItIsNow();
    void drawFollowsTheCourseSetting();
    void closeBoxStoresNothingAndShowWhileOpenKeepsAttempt();
    void failedInsertKeepsAttemptForRetry();
    void everyAnswerIsKeptWithItsResult();
    void resultAndAnswersAreStoredTogether();
    void courseWithoutAnswersTableIsLeftAsItIs();
    void creationWithMissingDatabaseReportsEachDataSet();
    void hubFollowsItsCopyOfTheLogin();
    void ordinaryUserCannotChangeResults();
    void administratorChangesExactlyTheRowsTouched();
    void resultsGridReadsPageByPage();
};

// A bank with known right answers: every odd number is answered right, every even one wrong.
// The score box comes first, then the row with the login of that moment.
void TestingTest::wholeAttemptIsScoredShownAndStored()
{
    TestCourse course;
    const QStringList rights = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("2")};
    seedBank(course, rights);
    QString login = QStringLiteral("aigerim");
    DialogScript script;
    TForm2 form([&login] { return login; });
    form.showModeless();

    for (int q = 1; q <= TForm2::kQuestions; ++q) {
        const int shown = openQuestion(form, q);
        QVERIFY2(shown >= 1 && shown <= rights.size(), qPrintable(memoOf(form)->toPlainText()));
        QCOMPARE(memoOf(form)->toPlainText(),
                 QStringLiteral("Q%1\nQ%1 A\nQ%1 B\nQ%1 C\nQ%1 D\nQ%1 E").arg(shown));
        const int right = rights[shown - 1].toInt();
        chooseAnswer(form, q % 2 ? right : right % 5 + 1);
    }
    // The label keeps the login of the preparation; the row takes the login of the submission.
    login = QStringLiteral("nurlan");
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("aigerim"));
    QVERIFY(storedResults(course).isEmpty());

    submit(form);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown()[0].kind, Dialogs::Kind::Message);
    QCOMPARE(script.shown()[0].text, QStringLiteral("Сіз 15 дұрыс жауап бердіңіз"));
    QCOMPARE(storedResults(course), QStringList{QStringLiteral("nurlan=15:integer")});
    QVERIFY(!form.isVisible());
}

void TestingTest::untouchedAttemptScoresAnswerA_data()
{
    QTest::addColumn<QString>("right");
    QTest::addColumn<int>("score");
    QTest::newRow("A is right") << QStringLiteral("1") << 30;
    QTest::newRow("C is right") << QStringLiteral("3") << 0;
    QTest::newRow("0 never scores") << QStringLiteral("0") << 0;
    QTest::newRow("6 never scores") << QStringLiteral("6") << 0;
}

void TestingTest::untouchedAttemptScoresAnswerA()
{
    QFETCH(QString, right);
    QFETCH(int, score);
    TestCourse course;
    seedBank(course, {right});
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    form.showModeless();
    submit(form);
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Сіз %1 дұрыс жауап бердіңіз").arg(score)});
    QCOMPARE(storedResults(course), QStringList{QStringLiteral("aigerim=%1:integer").arg(score)});
}

// One row under all 30 numbers: each number keeps its own letter. A letter pressed before any
// number stores nothing; going back to a number shows its letter down and red.
void TestingTest::eachNumberKeepsItsOwnAnswer()
{
    TestCourse course;
    seedBank(course, {QStringLiteral("3")});
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    form.showModeless();
    QCOMPARE(form.questionButton(30)->mapTo(&form, QPoint()), QPoint(30 * 30 - 25, 5));
    QCOMPARE(form.answerButton(5)->mapTo(&form, QPoint()), QPoint(1 + 80 * 5 - 70, 44));

    chooseAnswer(form, 4);
    QCOMPARE(redLetters(form), QStringLiteral("D"));
    for (int q = 1; q <= TForm2::kQuestions; ++q)
        QCOMPARE(form.answerOf(q), 1);
    QVERIFY(memoOf(form)->toPlainText().isEmpty());

    QCOMPARE(openQuestion(form, 1), 1);
    QCOMPARE(redLetters(form), QStringLiteral("A"));
    chooseAnswer(form, 3);
    QCOMPARE(openQuestion(form, 2), 1);
    QCOMPARE(redLetters(form), QStringLiteral("A"));
    chooseAnswer(form, 2);
    QCOMPARE(redLetters(form), QStringLiteral("B"));
    QCOMPARE(openQuestion(form, 1), 1);
    QCOMPARE(redLetters(form), QStringLiteral("C"));

    // Pressing the current number again is a click: the display is rebuilt.
    memoOf(form)->setPlainText(QStringLiteral("scribbled over"));
    QCOMPARE(openQuestion(form, 1), 1);
    QVERIFY(form.questionButton(1)->isChecked());
    QCOMPARE(redLetters(form), QStringLiteral("C"));

    submit(form);
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Сіз 1 дұрыс жауап бердіңіз")});
}

void TestingTest::failedSubmissionStoresNothing_data()
{
    QTest::addColumn<QStringList>("bank");
    QTest::addColumn<QString>("error");
    QTest::newRow("letters") << QStringList{QStringLiteral("x")}
                             << QStringLiteral("'x' is not a valid integer value.");
    QTest::newRow("empty value") << QStringList{QString()}
                                 << QStringLiteral("'' is not a valid integer value.");
    QTest::newRow("empty bank") << QStringList{} << QStringLiteral("List index out of bounds (0)");
}

// Nothing is shown or stored and the attempt stays as it was. An empty bank fails already when
// a question is opened, after its letter has gone down.
void TestingTest::failedSubmissionStoresNothing()
{
    QFETCH(QStringList, bank);
    QFETCH(QString, error);
    TestCourse course;
    seedBank(course, bank);
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    form.showModeless();
    openQuestion(form, 7);
    QCOMPARE(script.texts(), bank.isEmpty() ? QStringList{error} : QStringList{});
    QCOMPARE(redLetters(form), QStringLiteral("A"));
    chooseAnswer(form, 5);

    script.clear();
    submit(form);
    QCOMPARE(script.texts(), QStringList{error});
    QCOMPARE(script.shown()[0].kind, Dialogs::Kind::Error);
    QVERIFY(storedResults(course).isEmpty());
    QVERIFY(form.isVisible());
    QCOMPARE(form.answerOf(7), 5);
}

// Each attempt draws from the bank as it is when it is prepared, whichever connection changed
// it: after questions are removed every number can still be opened and submitted; questions
// added are drawn at once.
void TestingTest::drawFollowsTheBankAsItIsNow()
{
    TestCourse course;
    seedBank(course, QStringList(40, QStringLiteral("1")));
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    form.showModeless();
    submit(form);

    QSqlQuery own(Connection::shared().database());
    QVERIFY(own.exec(
        QStringLiteral("delete from БДТест where Вопрос not in ('Q1','Q2','Q3','Q4','Q5')")));
    form.showModeless();
    for (int q = 1; q <= TForm2::kQuestions; ++q) {
        const int shown = openQuestion(form, q);
        QVERIFY2(shown >= 1 && shown <= 5, qPrintable(QString::number(shown)));
    }
    submit(form);
    QCOMPARE(script.texts(), QStringList(2, QStringLiteral("Сіз 30 дұрыс жауап бердіңіз")));

    course.exec(QStringLiteral("delete from БДТест"));
    seedBank(course, {QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("2")}, 100);
    form.showModeless();
    QSet<int> seen;
    for (int q = 1; q <= TForm2::kQuestions; ++q)
        seen << openQuestion(form, q);
    QVERIFY(seen.size() > 1); // all 30 on one of three rows: about once in 10^14 attempts
    const QSet<int> added{100, 101, 102};
    QVERIFY(added.contains(seen));
}

// Drawn with replacement unless the course asks for 30 different questions: then a bank of 35
// gives 30 different ones, and a bank of 10 each question once, then again, then a third time.
void TestingTest::drawFollowsTheCourseSetting()
{
    TestCourse course;
    seedBank(course, QStringList(35, QStringLiteral("1")));
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    const auto picks = [&form] {
        form.close();
        form.showModeless();
        QList<int> drawn;
        for (int q = 1; q <= TForm2::kQuestions; ++q)
            drawn << form.questionPick(q);
        return drawn;
    };
    const auto distinct = [](const QList<int>& drawn) {
        return QSet<int>(drawn.cbegin(), drawn.cend()).size();
    };
    bool repeated = false;
    for (int attempt = 0; attempt < 5; ++attempt)
        repeated = repeated || distinct(picks()) < TForm2::kQuestions;
    QVERIFY(repeated); // five draws of 30 from 35 without a repeat: about once in 10^50

    course.exec(QStringLiteral("insert into Настройки(Имя, Значение) "
                               "values('different_questions', '1')"));
    for (int attempt = 0; attempt < 5; ++attempt)
        QCOMPARE(distinct(picks()), TForm2::kQuestions);
    course.exec(QStringLiteral("delete from БДТест where Вопрос not in ('Q1','Q2','Q3','Q4','Q5',"
                               "'Q6','Q7','Q8','Q9','Q10')"));
    const QList<int> small = picks();
    QCOMPARE(distinct(small.mid(0, 10)), 10);
    for (int position = 0; position < 10; ++position)
        QCOMPARE(small.count(position), 3);
    QVERIFY(script.texts(Dialogs::Kind::Error).isEmpty());
}

void TestingTest::closeBoxStoresNothingAndShowWhileOpenKeepsAttempt()
{
    TestCourse course;
    seedBank(course, QStringList(200, QStringLiteral("1")));
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    auto picks = [&form] {
        QList<int> result;
        for (int q = 1; q <= TForm2::kQuestions; ++q)
            result << form.questionPick(q);
        return result;
    };
    form.showModeless();
    const QList<int> first = picks();
    openQuestion(form, 4);
    chooseAnswer(form, 4);

    form.showModeless(); // already open: brought to the front only
    QVERIFY(form.questionButton(4)->isChecked());
    QCOMPARE(redLetters(form), QStringLiteral("D"));
    QCOMPARE(picks(), first);

    QVERIFY(form.close());
    QVERIFY(storedResults(course).isEmpty());
    form.showModeless();
    QVERIFY(picks() != first); // one in 200^30
    for (int q = 1; q <= TForm2::kQuestions; ++q)
        QVERIFY(form.answerOf(q) == 1 && !form.questionButton(q)->isChecked());
    QCOMPARE(redLetters(form), QString());
    QVERIFY(memoOf(form)->toPlainText().isEmpty());
    QVERIFY(script.shown().isEmpty());
}

void TestingTest::failedInsertKeepsAttemptForRetry()
{
    TestCourse course;
    seedBank(course, {QStringLiteral("2")});
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    form.showModeless();
    openQuestion(form, 1);
    chooseAnswer(form, 2);
    course.exec(QStringLiteral("alter table Тесты rename to Тесты_old"));

    submit(form); // the score is shown before the insert fails
    QCOMPARE(script.texts(Dialogs::Kind::Message).size(), 1);
    QVERIFY(script.texts(Dialogs::Kind::Error).join(QString()).contains(QStringLiteral("Тесты")));
    QVERIFY(form.isVisible());
    QCOMPARE(form.answerOf(1), 2);

    course.exec(QStringLiteral("alter table Тесты_old rename to Тесты"));
    script.clear();
    submit(form);
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Сіз 1 дұрыс жауап бердіңіз")});
    QCOMPARE(storedResults(course), QStringList{QStringLiteral("aigerim=1:integer")});
    QVERIFY(!form.isVisible());
}

// Each of the 30 numbers leaves a row beside the attempt's row of results: which bank row was
// drawn under it, the answer chosen, and whether it was right.
void TestingTest::everyAnswerIsKeptWithItsResult()
{
    TestCourse course;
    seedBank(course, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    form.showModeless();
    QStringList expected;
    int right = 0;
    for (int q = 1; q <= TForm2::kQuestions; ++q) {
        const int shown = openQuestion(form, q);
        const int answer = q % 3 ? shown : shown % 5 + 1;
        chooseAnswer(form, answer);
        right += answer == shown ? 1 : 0;
        const QString rowId = course.scalar(
            QStringLiteral("select rowid from БДТест where Вопрос = 'Q%1'").arg(shown));
        expected << QStringLiteral("%1|%2|%3|%4")
                        .arg(q)
                        .arg(rowId)
                        .arg(answer)
                        .arg(answer == shown ? 1 : 0);
    }
    const qint64 submitted = QDateTime::currentSecsSinceEpoch();
    submit(form);
    QCOMPARE(storedResults(course), QStringList{QStringLiteral("aigerim=%1:integer").arg(right)});
    // Every answer carries the one time the attempt was stored.
    const QStringList times =
        course.column(QStringLiteral("select distinct Время - %1 from Ответы").arg(submitted));
    QVERIFY2(times.size() == 1 && times[0].toLongLong() >= 0 && times[0].toLongLong() <= 60,
             qPrintable(times.join(QLatin1Char(','))));
    const QString resultId = course.scalar(QStringLiteral("select rowid from Тесты"));
    QCOMPARE(course.column(QStringLiteral("select Номер||'|'||ВопросИд||'|'||Ответ||'|'||Верно "
                                          "from Ответы where ТестИд = %1 order by Номер")
                               .arg(resultId)),
             expected);
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Ответы")), QStringLiteral("30"));
}

// The answers cannot be written: the row of results is not stored either, the error is shown and
// the attempt stays open; once they can, both are stored.
void TestingTest::resultAndAnswersAreStoredTogether()
{
    TestCourse course;
    seedBank(course, {QStringLiteral("2")});
    course.exec(TestCourse::onServer()
                    ? QStringLiteral("create function no_answers() returns trigger language "
                                     "plpgsql as $$ begin raise exception 'no answers'; end $$;"
                                     "create trigger noAnswers before insert on Ответы for each "
                                     "row execute function no_answers();")
                    : QStringLiteral("create trigger noAnswers before insert on Ответы begin "
                                     "select raise(abort, 'no answers'); end;"));
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    form.showModeless();
    openQuestion(form, 1);
    chooseAnswer(form, 2);
    submit(form);
    QVERIFY(
        script.texts(Dialogs::Kind::Error).join(QString()).contains(QStringLiteral("no answers")));
    QVERIFY(storedResults(course).isEmpty());
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Ответы")), QStringLiteral("0"));
    QVERIFY(form.isVisible());

    course.exec(QStringLiteral("drop trigger noAnswers") +
                (TestCourse::onServer() ? QStringLiteral(" on Ответы") : QString()));
    script.clear();
    submit(form);
    QCOMPARE(storedResults(course), QStringList{QStringLiteral("aigerim=1:integer")});
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Ответы")), QStringLiteral("30"));
}

// A course made before answers were kept: the row of results alone, and its tables untouched.
void TestingTest::courseWithoutAnswersTableIsLeftAsItIs()
{
    TestCourse course;
    seedBank(course, {QStringLiteral("2")});
    course.exec(QStringLiteral("drop table Ответы"));
    const QString tables = TestCourse::onServer()
                               ? QStringLiteral("select tablename from pg_tables where "
                                                "schemaname = 'public' order by 1")
                               : QStringLiteral("select name||':'||sql from sqlite_master order "
                                                "by 1");
    const QStringList before = course.column(tables);
    DialogScript script;
    TForm2 form([] { return QStringLiteral("aigerim"); });
    form.showModeless();
    openQuestion(form, 1);
    chooseAnswer(form, 2);
    submit(form);
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Сіз 1 дұрыс жауап бердіңіз")});
    QCOMPARE(storedResults(course), QStringList{QStringLiteral("aigerim=1:integer")});
    QCOMPARE(course.column(tables), before);
}

void TestingTest::creationWithMissingDatabaseReportsEachDataSet()
{
    TestCourse course(TestCourse::Database::None);
    DialogScript script;
    TForm2 form([] { return QStringLiteral("ghg"); });
    // Seven column data sets, then the preparation.
    QCOMPARE(script.texts(Dialogs::Kind::Error).size(), 8);
    for (const QString& text : script.texts())
        QVERIFY2(text.contains(QStringLiteral("does not exist")), qPrintable(text));
    script.clear();
    TForm6 results;
    QCOMPARE(script.texts(Dialogs::Kind::Error).size(), 1);
    script.clear();
    TForm8 hub([] { return QStringLiteral("ghg"); }, &form, &results);
    QVERIFY(script.shown().isEmpty());
}

// The hub decides by its own copy of the login, taken when it is built and at each show from
// hidden: the edit button is the administrator's, and the results filter follows the copy.
void TestingTest::hubFollowsItsCopyOfTheLogin()
{
    TestCourse course;
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('aigerim', "
                               "20);insert into Тесты(Пользователь, Верно) values('nurlan', 12);"
                               "insert into Тесты(Пользователь, Верно) values('aigerim', "
                               "25);insert into Тесты(Пользователь, Верно, Время) "
                               "values('Chief', 30, 1765350000);"
                               "insert into Тесты(Пользователь, Верно) values('chief', 7);"));
    DialogScript script;
    QString login = QStringLiteral("ghg");
    StubWindow testWindow;
    TForm6 results;
    TForm8 hub([&login] { return login; }, &testWindow, &results);
    QVERIFY(hub.editTestButton()->isHidden());
    auto showHubFor = [&](const QString& next) {
        login = next;
        hub.close();
        hub.showModeless();
        QTest::mouseClick(hub.resultsButton(), Qt::LeftButton);
    };

    showHubFor(QStringLiteral("aigerim"));
    QVERIFY(hub.editTestButton()->isHidden() && results.isVisible());
    QCOMPARE(gridRows(results),
             QStringList({QStringLiteral("aigerim=20"), QStringLiteral("aigerim=25")}));
    QCOMPARE(results.model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("Пользователь"));
    QCOMPARE(results.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Верно"));
    // Pressed again while open: the query runs again and shows the new row. A show of the open
    // hub does not take the login again.
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('aigerim', 3)"));
    login = QStringLiteral("Chief");
    hub.showModeless();
    QTest::mouseClick(hub.resultsButton(), Qt::LeftButton);
    QCOMPARE(gridRows(results).size(), 3);

    showHubFor(QStringLiteral("dana"));
    QVERIFY(gridRows(results).isEmpty());
    QCOMPARE(results.model()->columnCount(), 2);
    QCOMPARE(results.width(), TForm6::kWidth);

    // The administrator sees when each result was stored, after the described columns, in a
    // window as much wider; it is the program's record, not to be typed over.
    showHubFor(QStringLiteral("Chief"));
    QCOMPARE(gridRows(results).size(), 6);
    QCOMPARE(results.model()->headerData(2, Qt::Horizontal).toString(), ResultsModel::kTimeColumn);
    QCOMPARE(
        gridRows(results).at(3),
        QStringLiteral("Chief=30=") +
            QDateTime::fromSecsSinceEpoch(1765350000).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    QVERIFY(!(results.model()->flags(results.model()->index(3, 2)) & Qt::ItemIsEditable));
    QVERIFY(results.model()->flags(results.model()->index(3, 1)) & Qt::ItemIsEditable);
    QVERIFY(results.width() > TForm6::kWidth);
    QCOMPARE(results.grid()->width(), results.width());
    QVERIFY(hub.editTestButton()->isVisible());
    QTest::mouseClick(hub.editTestButton(), Qt::LeftButton); // no editor yet: nothing happens
    StubWindow editor;
    hub.setQuestionEditor(&editor);
    QTest::mouseClick(hub.editTestButton(), Qt::LeftButton);
    QCOMPARE(editor.shows, 1);
    QTest::mouseClick(hub.takeTestButton(), Qt::LeftButton);
    QCOMPARE(testWindow.shows, 1);
    QVERIFY(hub.takeTestButton()->isChecked() && !hub.editTestButton()->isChecked()); // one group
    // The administrator's login in other case is an ordinary user with rows of its own.
    showHubFor(QStringLiteral("chief"));
    QVERIFY(hub.editTestButton()->isHidden());
    QCOMPARE(gridRows(results), QStringList{QStringLiteral("chief=7")});
    QVERIFY(!results.model()->isEditable());
    QVERIFY(script.shown().isEmpty());
}

void TestingTest::ordinaryUserCannotChangeResults()
{
    TestCourse course;
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('aigerim', "
                               "20);insert into Тесты(Пользователь, Верно) values('nurlan', 12);"));
    const QStringList before = storedResults(course);
    DialogScript script;
    TForm6 results;
    results.openResults(QStringLiteral("aigerim"));
    results.showModeless();
    QTableView* grid = results.grid();
    grid->setCurrentIndex(grid->model()->index(0, 1));

    QVERIFY(!(grid->model()->flags(grid->currentIndex()) & Qt::ItemIsEditable));
    QVERIFY(!grid->model()->setData(grid->currentIndex(), QStringLiteral("30")));
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClicks(grid, "30");
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualRect(grid->currentIndex()).center());
    QVERIFY(!openEditor(grid));
    QTest::keyClick(grid, Qt::Key_Insert);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(gridRows(results), QStringList{QStringLiteral("aigerim=20")});
    results.close();
    QCOMPARE(storedResults(course), before);
    QVERIFY(script.shown().isEmpty()); // not even a delete confirmation
}

// Two rows hold the same values; a change reaches only the row it was made in, when the grid
// leaves that row. New rows are stored once something is entered; deleting asks first.
void TestingTest::administratorChangesExactlyTheRowsTouched()
{
    TestCourse course;
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('aigerim', 20);"
                               "insert into Тесты(Пользователь, Верно) values('aigerim', 20);"
                               "insert into Тесты(Пользователь, Верно) values('nurlan', 5);"));
    DialogScript script;
    TForm6 results;
    results.openResults(QStringLiteral("Chief"));
    results.showModeless();
    QTableView* grid = results.grid();
    grid->setFocus();
    auto typeInto = [grid](int row, int column, const QString& text) {
        grid->setCurrentIndex(grid->model()->index(row, column));
        QTest::keyClick(grid, Qt::Key_F2);
        QLineEdit* editor = openEditor(grid);
        QVERIFY(editor);
        editor->selectAll();
        typeText(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the text is taken on the loop's next turn
    };

    typeInto(1, 1, QStringLiteral("25"));
    QCOMPARE(storedResults(course).at(1), QStringLiteral("aigerim=20:integer")); // not yet
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(storedResults(course), QStringList({QStringLiteral("aigerim=20:integer"),
                                                 QStringLiteral("aigerim=25:integer"),
                                                 QStringLiteral("nurlan=5:integer")}));
    // A whole-number column refuses text; the row stays as stored.
    typeInto(0, 1, QStringLiteral("жиырма"));
    QCOMPARE(script.texts(Dialogs::Kind::Error),
             QStringList{QStringLiteral("'жиырма' is not a valid integer value.")});
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(storedResults(course).at(0), QStringLiteral("aigerim=20:integer"));

    // Insert adds a row at the current one; left empty, it is dropped.
    grid->setCurrentIndex(grid->model()->index(0, 0));
    QTest::keyClick(grid, Qt::Key_Insert);
    QVERIFY(grid->model()->rowCount() == 4 && grid->currentIndex().row() == 0);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->model()->rowCount(), 3);
    // Down past the last row appends one (only one while it is empty).
    grid->setCurrentIndex(grid->model()->index(2, 0));
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->model()->rowCount(), 4);
    typeInto(3, 0, QStringLiteral("dana"));
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(storedResults(course).size(), 4);
    QCOMPARE(storedResults(course).last(), QStringLiteral("dana=:null"));

    // Ctrl+Delete asks first; Cancel keeps the row, OK deletes exactly it.
    grid->setCurrentIndex(grid->model()->index(0, 1));
    script.answerConfirm(false);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    script.answerConfirm(true);
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(script.texts(Dialogs::Kind::Confirm),
             QStringList(2, QStringLiteral("Delete record?")));
    QCOMPARE(script.shown().last().title, QStringLiteral("Confirm"));
    QCOMPARE(storedResults(course),
             QStringList({QStringLiteral("aigerim=25:integer"), QStringLiteral("nurlan=5:integer"),
                          QStringLiteral("dana=:null")}));

    // A change still pending when the window hides is written, not lost.
    typeInto(1, 0, QStringLiteral("Нұрлан"));
    results.close();
    QCOMPARE(storedResults(course).at(1), QStringLiteral("Нұрлан=5:integer"));
    QVERIFY(gridRows(results).at(1).startsWith(QStringLiteral("Нұрлан=5=")));
}

// The grid opens on its first page; a row the administrator adds before the rest is read is
// not read a second time.
void TestingTest::resultsGridReadsPageByPage()
{
    TestCourse course;
    course.exec(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000) "
        "insert into Тесты(Пользователь, Верно) select 'u' || (i % 7), i % 31 from n;"));
    DialogScript script;
    TForm6 results;
    results.openResults(QStringLiteral("Chief"));
    ResultsModel* model = results.model();
    QVERIFY(model->rowCount() < 1000);
    QVERIFY(model->canFetchMore({}));
    // Rows stored by another program after the grid opened stay out of it while it scrolls.
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('later', 1);"
                               "insert into Тесты(Пользователь, Верно) values('u3', 2);"));

    model->insertBlankRow(0);
    QVERIFY(model->setData(model->index(0, 0), QStringLiteral("new")));
    model->post();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QCOMPARE(model->rowCount(), 1001);
    QCOMPARE(gridRows(results).filter(QStringLiteral("new=")).size(), 1);
    QVERIFY(gridRows(results).filter(QStringLiteral("later=")).isEmpty());

    results.openResults(QStringLiteral("u3"));
    while (model->canFetchMore({}))
        model->fetchMore({});
    QCOMPARE(model->rowCount(), 144); // i % 7 == 3 for i in 1..1000, and the later one
    results.openResults(QStringLiteral("Chief"));
    while (model->canFetchMore({}))
        model->fetchMore({});
    QCOMPARE(model->rowCount(), 1003);
    QVERIFY(script.shown().isEmpty());
}

QTEST_MAIN(TestingTest)
#include "tst_testing.moc"
