// The question bank editor, driven through its real fields, navigator and buttons against a
// real database; and the way from the administrator's edit to a student's next attempt.

#include "Dialogs.h"
#include "MainWindow.h"
#include "Process.h"
#include "QuestionEditorWindow.h"
#include "RecordCursor.h"
#include "RecordNavigator.h"
#include "SignInWindow.h"
#include "TestCourse.h"
#include "TestHubWindow.h"
#include "TestWindow.h"
#include "WindowRegistry.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

using Field = QuestionBankModel::Field;
using Button = RecordNavigator::Button;

// Question i (from 1) reads "Q<i>", its answers "Q<i> A".."Q<i> E"; rights[i - 1] is its
// right-answer number.
void seedBank(const TestCourse& course, const QList<int>& rights)
{
    QString sql;
    for (int i = 0; i < rights.size(); ++i)
        sql +=
            QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр)"
                           " values('Q%1','Q%1 A','Q%1 B','Q%1 C','Q%1 D','Q%1 E',%2);")
                .arg(i + 1)
                .arg(rights[i]);
    course.exec(sql);
}

// The type the right-answer number is stored as: a whole number in the file's INTEGER column,
// a text on the server, whose column keeps any value the file could hold.
QString rightType()
{
    return TestCourse::onServer() ? QStringLiteral("text") : QStringLiteral("integer");
}

// Every stored row, in row order, as "question|A|B|C|D|E|right:type".
QStringList storedRows(const TestCourse& course)
{
    return course.column(QStringLiteral(
        "select ifnull(Вопрос,'~')||'|'||ifnull(Ответ1,'~')||'|'||ifnull(Ответ2,'~')||'|'||"
        "ifnull(Ответ3,'~')||'|'||ifnull(Ответ4,'~')||'|'||ifnull(Ответ5,'~')||'|'||"
        "ifnull(ОтветПр,'~')||':'||typeof(ОтветПр) from БДТест order by rowid"));
}

QString textOf(const TForm4& form, Field which)
{
    QWidget* field = form.field(which);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
        return memo->toPlainText();
    return qobject_cast<QLineEdit*>(field)->text();
}

// The navigator's buttons, one letter each when enabled, "." when not:
// first, prior, next, last, insert, delete, edit, post, cancel, refresh.
QString buttons(const TForm4& form)
{
    const QString letters = QStringLiteral("FPNLIDESCR");
    QString state;
    for (int i = 0; i < RecordNavigator::kButtons; ++i)
        state += form.navigator()->button(static_cast<Button>(i))->isEnabled() ? letters[i]
                                                                               : QLatin1Char('.');
    return state;
}

void press(TForm4& form, Button which)
{
    QTest::mouseClick(form.navigator()->button(which), Qt::LeftButton);
}

// Replaces the field's text by typing: select all, then one key per character (Return for a
// line break).
void retype(TForm4& form, Field which, const QString& text)
{
    QWidget* field = form.field(which);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(field, Qt::Key_Return);
        typeText(field, lines[i]);
    }
}

void search(TForm4& form, const QString& text)
{
    form.searchText()->setPlainText(text);
    QTest::mouseClick(form.findButton(), Qt::LeftButton);
}

QString accessible(QObject* object, QAccessible::Text which)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(which) : QStringLiteral("<no interface>");
}

} // namespace

class EditorTest : public QObject {
    Q_OBJECT
private slots:
    void navigatorFollowsPositionAndEditState();
    void typedChangeIsWrittenToThatRowOnly();
    void textsSurviveARoundTrip_data();
    void textsSurviveARoundTrip();
    void browsingRewritesNothing();
    void insertAndDeleteAskFirst();
    void emptyBankTypingStartsANewRow();
    void rightAnswerMustNameAnAnswer_data();
    void rightAnswerMustNameAnAnswer();
    void searchShowsFirstMatchWithNavigatorLocked();
    void changeDuringSearchIsNeverWritten();
    void bankWithoutABoundColumnIsReported();
    void keyboardReachesEveryControlByName();
    void administratorsEditReachesTheNextAttempt();
    void unwrittenEditIsAskedAboutAtTheEnd_data();
    void unwrittenEditIsAskedAboutAtTheEnd();
};

// One walk through a bank of three, checking the enabled buttons and the shown question after
// each step: start and end are reached by first/last or by a move that could not happen.
void EditorTest::navigatorFollowsPositionAndEditState()
{
    TestCourse course;
    seedBank(course, {1, 2, 3});
    DialogScript script;
    TForm4 form;
    form.showModeless();

    const struct {
        const char* step;
        int button; // -1: nothing pressed
        const char* state;
        const char* question;
    } walk[] = {
        {"opened", -1, "..NLIDE..R", "Q1"},
        {"next", Button::Next, "FPNLIDE..R", "Q2"},
        {"next", Button::Next, "FPNLIDE..R", "Q3"},
        {"next at end", Button::Next, "FP..IDE..R", "Q3"},
        {"prior", Button::Prior, "FPNLIDE..R", "Q2"},
        {"first", Button::First, "..NLIDE..R", "Q1"},
        {"prior at start", Button::Prior, "..NLIDE..R", "Q1"},
        {"last", Button::Last, "FP..IDE..R", "Q3"},
        {"edit", Button::Edit, "FP..ID.SCR", "Q3"},
        {"cancel", Button::Cancel, "FP..IDE..R", "Q3"},
        {"refresh", Button::Refresh, "FP..IDE..R", "Q3"},
    };
    for (const auto& step : walk) {
        if (step.button >= 0)
            press(form, static_cast<Button>(step.button));
        QCOMPARE(buttons(form) + QLatin1Char(' ') + textOf(form, Field::Question),
                 QString::fromLatin1(step.state) + QLatin1Char(' ') +
                     QString::fromLatin1(step.question));
    }
    QCOMPARE(textOf(form, Field::AnswerE), QStringLiteral("Q3 E"));
    QCOMPARE(textOf(form, Field::RightAnswer), QStringLiteral("3"));
    QVERIFY(script.shown().isEmpty());

    course.exec(QStringLiteral("delete from БДТест"));
    press(form, Button::Refresh);
    QCOMPARE(buttons(form), QStringLiteral("....I.E..R"));
    QCOMPARE(textOf(form, Field::Question), QString());
}

// Two rows hold the same values: the change reaches only the row it was typed into, and only
// when it is posted or the navigator leaves the row. Cancel restores; an edit left unchanged
// writes nothing.
void EditorTest::typedChangeIsWrittenToThatRowOnly()
{
    TestCourse course;
    seedBank(course, {2, 2, 4});
    course.exec(QStringLiteral("update БДТест set Вопрос='Q1' where Вопрос='Q2'"));
    const QStringList before = storedRows(course);
    DialogScript script;
    TForm4 form;
    form.showModeless();

    press(form, Button::Next);
    retype(form, Field::Question, QStringLiteral("Екінші сұрақ"));
    QCOMPARE(buttons(form), QStringLiteral("FPNLID.SCR"));
    QCOMPARE(storedRows(course), before); // not yet
    press(form, Button::Next);
    QStringList expected = before;
    expected[1] = QStringLiteral("Екінші сұрақ|Q2 A|Q2 B|Q2 C|Q2 D|Q2 E|2:") + rightType();
    QCOMPARE(storedRows(course), expected);

    retype(form, Field::AnswerC, QStringLiteral("жаңа"));
    press(form, Button::Post);
    expected[2].replace(QStringLiteral("Q3 C"), QStringLiteral("жаңа"));
    QCOMPARE(storedRows(course), expected);
    QCOMPARE(buttons(form), QStringLiteral("FPNLIDE..R"));

    press(form, Button::First);
    retype(form, Field::AnswerA, QStringLiteral("discarded"));
    press(form, Button::Cancel);
    QCOMPARE(textOf(form, Field::AnswerA), QStringLiteral("Q1 A"));
    press(form, Button::Edit);
    press(form, Button::Post);
    press(form, Button::Last);
    QCOMPARE(storedRows(course), expected);
    QVERIFY(script.shown().isEmpty());
}

void EditorTest::textsSurviveARoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("quotes") << QStringLiteral("It's \"8\" bit, isn''t it?");
    QTest::newRow("wildcards") << QStringLiteral("100% of a_b");
    QTest::newRow("lines") << QStringLiteral("first line\nsecond line\n\n  indented\n");
    QTest::newRow("Kazakh and Russian") << QStringLiteral("Әліпби ҒҚҢӨҰҮҺІ — Ёлка, щётка");
    QTest::newRow("blanks and tab") << QStringLiteral("  lead\tand trail  ");
    QTest::newRow("long") << QString(20000, QChar(u'ә')) + QStringLiteral("\nend");
}

// What the administrator enters is stored as entered, and shown so in a window opened later.
void EditorTest::textsSurviveARoundTrip()
{
    QFETCH(QString, text);
    TestCourse course;
    seedBank(course, {1});
    DialogScript script;
    {
        TForm4 form;
        form.showModeless();
        auto* question = qobject_cast<QPlainTextEdit*>(form.field(Field::Question));
        question->selectAll();
        question->insertPlainText(text);
        press(form, Button::Post);
    }
    QCOMPARE(course.scalar(QStringLiteral("select Вопрос from БДТест")), text);
    TForm4 later;
    QCOMPARE(textOf(later, Field::Question), text);
    QVERIFY(script.shown().isEmpty());
}

// A plain text field shows "\r\n" as "\n", a null as nothing: looking at such a row, moving over
// it and refreshing change nothing, and typing a field back to what it showed writes the stored
// value, not its shown form. A change to one field writes that field only.
void EditorTest::browsingRewritesNothing()
{
    TestCourse course;
    course.exec(QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,ОтветПр) values"
                               "('line one' || %1 || 'line two','a' || %2 || 'b',null,' 3');"
                               "insert into БДТест(Вопрос,ОтветПр) values('Q2',1);")
                    .arg(TestCourse::charsSql({13, 10}), TestCourse::charsSql({13})));
    const QStringList before =
        course.column(QStringLiteral("select quote(Вопрос)||quote(Ответ1)||quote(Ответ2)||"
                                     "quote(ОтветПр) from БДТест order by rowid"));
    DialogScript script;
    TForm4 form;
    form.showModeless();
    QCOMPARE(textOf(form, Field::Question), QStringLiteral("line one\nline two"));
    for (const Button step :
         {Button::Next, Button::Prior, Button::Refresh, Button::Last, Button::First})
        press(form, step);
    QCOMPARE(buttons(form), QStringLiteral("..NLIDE..R"));

    retype(form, Field::Question, QStringLiteral("line one\nline twoX"));
    retype(form, Field::Question, QStringLiteral("line one\nline two"));
    retype(form, Field::AnswerB, QStringLiteral("x"));
    retype(form, Field::AnswerB, QString());
    press(form, Button::Post);
    QCOMPARE(course.column(QStringLiteral("select quote(Вопрос)||quote(Ответ1)||quote(Ответ2)||"
                                          "quote(ОтветПр) from БДТест order by rowid")),
             before);

    const QString untouched = QStringLiteral("select quote(Ответ1)||quote(ОтветПр) from БДТест "
                                             "where rowid=1");
    const QString kept = course.scalar(untouched);
    retype(form, Field::AnswerD, QStringLiteral("D"));
    press(form, Button::Post);
    QCOMPARE(course.scalar(untouched), kept);
    QCOMPARE(course.scalar(QStringLiteral("select Ответ4 from БДТест where rowid=1")),
             QStringLiteral("D"));
    QVERIFY(script.shown().isEmpty());
}

// Insert adds a row at the current one; it is stored once something is entered and posted, and
// dropped when left untouched. Delete asks; Cancel keeps the row, OK deletes exactly it.
void EditorTest::insertAndDeleteAskFirst()
{
    TestCourse course;
    seedBank(course, {1, 2});
    course.exec(QStringLiteral("update БДТест set Вопрос='Q1', Ответ1='Q1 A', Ответ2='Q1 B', "
                               "Ответ3='Q1 C', Ответ4='Q1 D', Ответ5='Q1 E', ОтветПр=1"));
    DialogScript script;
    TForm4 form;
    form.showModeless();

    press(form, Button::Next);
    press(form, Button::Insert);
    QCOMPARE(buttons(form), QStringLiteral("FPNLID.SCR"));
    QCOMPARE(textOf(form, Field::Question), QString());
    press(form, Button::Next); // left untouched: dropped
    QCOMPARE(form.model()->rowCount(), 2);
    QCOMPARE(storedRows(course).size(), 2);

    press(form, Button::Insert);
    retype(form, Field::Question, QStringLiteral("Жаңа"));
    retype(form, Field::AnswerB, QStringLiteral("иә"));
    retype(form, Field::RightAnswer, QStringLiteral("2"));
    press(form, Button::Post);
    QCOMPARE(storedRows(course).last(), QStringLiteral("Жаңа|~|иә|~|~|~|2:") + rightType());
    QCOMPARE(form.model()->rowCount(), 3);
    QCOMPARE(textOf(form, Field::Question), QStringLiteral("Жаңа"));

    // The new row stands where it was inserted, before the second of the two alike rows,
    // which goes.
    press(form, Button::Last);
    script.answerConfirm(false);
    press(form, Button::Delete);
    QCOMPARE(storedRows(course).size(), 3);
    script.answerConfirm(true);
    press(form, Button::Delete);
    QCOMPARE(script.texts(Dialogs::Kind::Confirm),
             QStringList(2, QStringLiteral("Delete record?")));
    QCOMPARE(script.shown().last().title, QStringLiteral("Confirm"));
    QCOMPARE(course.column(QStringLiteral("select rowid from БДТест order by rowid")),
             QStringList({QStringLiteral("1"), QStringLiteral("3")}));
    QCOMPARE(textOf(form, Field::Question), QStringLiteral("Жаңа"));

    press(form, Button::Delete);
    press(form, Button::Delete);
    QCOMPARE(buttons(form), QStringLiteral("....I.E..R"));
    QVERIFY(storedRows(course).isEmpty());
    QCOMPARE(script.texts(Dialogs::Kind::Error), QStringList());
}

void EditorTest::emptyBankTypingStartsANewRow()
{
    TestCourse course;
    DialogScript script;
    TForm4 form;
    form.showModeless();
    QCOMPARE(buttons(form), QStringLiteral("....I.E..R"));

    retype(form, Field::AnswerE, QStringLiteral("бес"));
    QCOMPARE(buttons(form), QStringLiteral("FPNLID.SCR")); // as after Insert
    QCOMPARE(textOf(form, Field::AnswerE), QStringLiteral("бес"));
    retype(form, Field::RightAnswer, QStringLiteral("5"));
    press(form, Button::Post);
    QCOMPARE(storedRows(course), QStringList{QStringLiteral("~|~|~|~|~|бес|5:") + rightType()});
    QVERIFY(script.shown().isEmpty());
}

void EditorTest::rightAnswerMustNameAnAnswer_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // empty: refused
    QTest::newRow("letter") << QStringLiteral("B") << QString();
    QTest::newRow("six") << QStringLiteral("6") << QString();
    QTest::newRow("zero") << QStringLiteral("0") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blank") << QStringLiteral("  ") << QString();
    QTest::newRow("fraction") << QStringLiteral("3.5") << QString();
    QTest::newRow("signed") << QStringLiteral("+3") << QString();
    QTest::newRow("negative") << QStringLiteral("-1") << QString();
    QTest::newRow("huge") << QStringLiteral("4294967299") << QString();
    QTest::newRow("Arabic-Indic digit") << QStringLiteral("٣") << QString();
    QTest::newRow("one") << QStringLiteral("1") << QStringLiteral("1:") + rightType();
    QTest::newRow("five") << QStringLiteral("5") << QStringLiteral("5:") + rightType();
    QTest::newRow("blanks around") << QStringLiteral(" 4 ") << QStringLiteral("4:") + rightType();
}

// A right-answer number that test taking could not use is refused on post and on leaving the
// row: the row stays in edit with what was typed, so it can be corrected.
void EditorTest::rightAnswerMustNameAnAnswer()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    TestCourse course;
    seedBank(course, {2, 3});
    const QStringList before = storedRows(course);
    DialogScript script;
    TForm4 form;
    form.showModeless();

    retype(form, Field::Question, QStringLiteral("changed"));
    retype(form, Field::RightAnswer, typed);
    press(form, Button::Post);
    if (!stored.isEmpty()) {
        QVERIFY(script.shown().isEmpty());
        QCOMPARE(storedRows(course).first(),
                 QStringLiteral("changed|Q1 A|Q1 B|Q1 C|Q1 D|Q1 E|") + stored);
        QCOMPARE(textOf(form, Field::RightAnswer), stored.section(QLatin1Char(':'), 0, 0));
        return;
    }
    press(form, Button::Next);
    const QString refusal =
        QStringLiteral("'%1' — дұрыс жауаптың нөмірі емес: 1-ден 5-ке дейінгі бүтін сан "
                       "енгізіңіз (1 = A, 2 = B, 3 = C, 4 = D, 5 = E)")
            .arg(typed);
    QCOMPARE(script.texts(Dialogs::Kind::Error), QStringList(2, refusal));
    QCOMPARE(storedRows(course), before);
    QCOMPARE(buttons(form), QStringLiteral("..NLID.SCR"));
    QCOMPARE(textOf(form, Field::Question), QStringLiteral("changed"));
    QCOMPARE(textOf(form, Field::RightAnswer), typed);

    retype(form, Field::RightAnswer, QStringLiteral("4"));
    press(form, Button::Next);
    QCOMPARE(storedRows(course).first(),
             QStringLiteral("changed|Q1 A|Q1 B|Q1 C|Q1 D|Q1 E|4:") + rightType());
    QCOMPARE(textOf(form, Field::Question), QStringLiteral("Q2"));
}

// Find shows the first match with the navigator disabled and empties the search text; a search
// with no match leaves the fields empty; All records brings every row back at the first one.
void EditorTest::searchShowsFirstMatchWithNavigatorLocked()
{
    TestCourse course;
    course.exec(
        QStringLiteral(
            "insert into БДТест(Вопрос,ОтветПр) values(null,1);"
            "insert into БДТест(Вопрос,ОтветПр) values('Алгоритм' || %1 || 'қасиеті',2);"
            "insert into БДТест(Вопрос,ОтветПр) values('Екінші АЛГОРИТМ' || %1 || 'ҚАСИЕТІ',3);"
            "insert into БДТест(Вопрос,ОтветПр) values('100% _ дұрыс',4);")
            .arg(TestCourse::charsSql({10})));
    DialogScript script;
    TForm4 form;
    form.showModeless();

    search(form, QStringLiteral("алгоритм\nқасиеті"));
    QVERIFY(form.isSearchInForce());
    QCOMPARE(form.model()->rowCount(), 2);
    QCOMPARE(textOf(form, Field::Question), QStringLiteral("Алгоритм\nқасиеті"));
    QCOMPARE(form.searchText()->toPlainText(), QString());
    QCOMPARE(buttons(form), QStringLiteral(".........."));

    search(form, QStringLiteral("жоқ сөз"));
    QCOMPARE(form.model()->rowCount(), 0);
    for (int which = 0; which < QuestionBankModel::kFields; ++which)
        QCOMPARE(textOf(form, static_cast<Field>(which)), QString());

    // "%" and "_" are wildcards; pressing Табу again searches with the emptied text, which
    // matches every row that has a question.
    search(form, QStringLiteral("0_ %"));
    QCOMPARE(textOf(form, Field::Question), QStringLiteral("100% _ дұрыс"));
    QTest::mouseClick(form.findButton(), Qt::LeftButton);
    QCOMPARE(form.model()->rowCount(), 3);
    QCOMPARE(textOf(form, Field::RightAnswer), QStringLiteral("2"));

    form.searchText()->setPlainText(QStringLiteral("left over"));
    QTest::mouseClick(form.allRecordsButton(), Qt::LeftButton);
    QVERIFY(!form.isSearchInForce());
    QCOMPARE(form.model()->rowCount(), 4);
    QCOMPARE(textOf(form, Field::RightAnswer), QStringLiteral("1"));
    QCOMPARE(form.searchText()->toPlainText(), QString());
    QCOMPARE(buttons(form), QStringLiteral("..NLIDE..R"));
    QVERIFY(script.shown().isEmpty());
}

// While a search is in force nothing typed can be written: Шығу keeps it for the next show, and
// the next Find or All records drops it.
void EditorTest::changeDuringSearchIsNeverWritten()
{
    TestCourse course;
    seedBank(course, {1, 2});
    const QStringList before = storedRows(course);
    DialogScript script;
    TForm4 form;
    form.showModeless();

    search(form, QStringLiteral("Q2"));
    retype(form, Field::AnswerA, QStringLiteral("typed in search"));
    QCOMPARE(buttons(form), QStringLiteral(".........."));
    QTest::mouseClick(form.exitButton(), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    form.showModeless();
    QVERIFY(form.isSearchInForce());
    QCOMPARE(textOf(form, Field::AnswerA), QStringLiteral("typed in search"));
    search(form, QStringLiteral("Q2"));
    QCOMPARE(textOf(form, Field::AnswerA), QStringLiteral("Q2 A"));

    // With no match, typing starts a new row, which All records drops.
    search(form, QStringLiteral("nothing"));
    retype(form, Field::Question, QStringLiteral("new in search"));
    QTest::mouseClick(form.allRecordsButton(), Qt::LeftButton);
    QCOMPARE(form.model()->rowCount(), 2);
    QCOMPARE(textOf(form, Field::Question), QStringLiteral("Q1"));
    QCOMPARE(storedRows(course), before);
    QVERIFY(script.shown().isEmpty());
}

void EditorTest::bankWithoutABoundColumnIsReported()
{
    TestCourse course;
    course.exec(
        QStringLiteral("drop table БДТест;") +
        TestCourse::createTableSql(QStringLiteral("БДТест"),
                                   QStringLiteral("Вопрос TEXT, Ответ1 TEXT, Ответ2 TEXT, "
                                                  "Ответ4 TEXT, Ответ5 TEXT, ОтветПр TEXT")) +
        QStringLiteral("insert into БДТест(Вопрос, Ответ1, Ответ2, Ответ4, Ответ5, ОтветПр) "
                       "values('Q','a','b','d','e',1);"));
    DialogScript script;
    TForm4 form;
    QCOMPARE(script.texts(Dialogs::Kind::Error),
             QStringList{QStringLiteral("ADOQuery1: Field 'Ответ3' not found.")});
    QCOMPARE(buttons(form), QStringLiteral(".........."));
    QVERIFY(qobject_cast<QPlainTextEdit*>(form.field(Field::Question))->isReadOnly());
    QCOMPARE(textOf(form, Field::Question), QString());
}

// Tab walks the window in screen order, passing over disabled navigator buttons; every control
// has a name for a screen reader, and the navigator's buttons describe themselves by their hint.
void EditorTest::keyboardReachesEveryControlByName()
{
    TestCourse course;
    seedBank(course, {1, 2});
    TForm4 form;
    form.showModeless();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.field(Field::Question)->setFocus();

    QStringList order;
    QStringList names;
    for (int i = 0; i < 16; ++i) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        order << focus->objectName();
        names << accessible(focus, QAccessible::Name);
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(order, QStringList({"questionField", "answerAField", "answerBField", "answerCField",
                                 "answerDField", "answerEField", "rightAnswerField", "nextButton",
                                 "lastButton", "insertButton", "deleteButton", "editButton",
                                 "refreshButton", "searchText", "findButton", "allRecordsButton"}));
    QCOMPARE(names.mid(0, 8), QStringList({QStringLiteral("Сұрақ"), QStringLiteral("Вариант А"),
                                           QStringLiteral("Вариант B"), QStringLiteral("Вариант C"),
                                           QStringLiteral("Вариант D"), QStringLiteral("Вариант Е"),
                                           QStringLiteral("Дұрыс жауабының нөмірі"),
                                           QStringLiteral("Next record")}));
    QCOMPARE(names.mid(13), QStringList({QStringLiteral("Іздеу: Сұрақ"), QStringLiteral("Табу"),
                                         QStringLiteral("Барлық жазба")}));
    QCOMPARE(accessible(form.exitButton(), QAccessible::Name), QStringLiteral("Шығу"));
    for (int i = 0; i < RecordNavigator::kButtons; ++i) {
        QAbstractButton* button = form.navigator()->button(static_cast<Button>(i));
        QCOMPARE(accessible(button, QAccessible::Description),
                 RecordNavigator::hint(static_cast<Button>(i)));
        QCOMPARE(button->toolTip(), RecordNavigator::hint(static_cast<Button>(i)));
    }
    QCOMPARE(RecordNavigator::hint(Button::First), QStringLiteral("First record"));
    QCOMPARE(RecordNavigator::hint(Button::Refresh), QStringLiteral("Refresh data"));
}

// The whole way through the program's own windows: the administrator signs in, opens the
// editor from the test hub, changes the one question and adds a second, and the next attempt
// draws both as they now stand (the test window had already listed the bank at start-up).
void EditorTest::administratorsEditReachesTheNextAttempt()
{
    TestCourse course;
    course.exec(QStringLiteral(
        "insert into Пользователи(Логин,Пароль,Группа) values('Chief','admin123','');"));
    seedBank(course, {1});
    DialogScript script;
    WindowRegistry windows;
    windows.createAll();
    windows.form1()->show();
    TForm3* signIn = windows.form3();
    signIn->findChild<QLineEdit*>(QStringLiteral("UserName"))->setText(QStringLiteral("Chief"));
    signIn->findChild<QLineEdit*>(QStringLiteral("Password"))->setText(QStringLiteral("admin123"));
    QTest::mouseClick(signIn->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    QTest::mouseClick(windows.form1()->testButton(), Qt::LeftButton);
    TForm8* hub = windows.form8();
    QVERIFY(hub->isVisible() && hub->editTestButton()->isVisible());
    QTest::mouseClick(hub->editTestButton(), Qt::LeftButton);
    TForm4& editor = *windows.form4();
    QVERIFY(editor.isVisible());

    retype(editor, Field::Question, QStringLiteral("Өзгертілген сұрақ"));
    retype(editor, Field::AnswerC, QStringLiteral("Дұрыс"));
    retype(editor, Field::RightAnswer, QStringLiteral("3"));
    press(editor, Button::Post);
    press(editor, Button::Insert);
    retype(editor, Field::Question, QStringLiteral("Қосылған сұрақ"));
    retype(editor, Field::RightAnswer, QStringLiteral("5"));
    press(editor, Button::Post);
    QTest::mouseClick(editor.exitButton(), Qt::LeftButton);
    QVERIFY(!editor.isVisible());

    QTest::mouseClick(hub->takeTestButton(), Qt::LeftButton);
    TForm2* test = windows.form2();
    QVERIFY(test->isVisible());
    auto* memo = test->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    QSet<QString> seen;
    for (int q = 1; q <= TForm2::kQuestions; ++q) {
        QTest::mouseClick(test->questionButton(q), Qt::LeftButton);
        const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
        seen << lines.first();
        if (lines.first() == QStringLiteral("Өзгертілген сұрақ")) {
            QCOMPARE(lines.at(3), QStringLiteral("Дұрыс"));
            QTest::mouseClick(test->answerButton(3), Qt::LeftButton);
        } else {
            QTest::mouseClick(test->answerButton(5), Qt::LeftButton);
        }
    }
    // Both rows among 30 draws: all on one of two rows happens once in 2^29 attempts.
    QCOMPARE(seen, QSet<QString>(
                       {QStringLiteral("Өзгертілген сұрақ"), QStringLiteral("Қосылған сұрақ")}));
    QTest::mouseClick(test->findChild<QAbstractButton*>(QStringLiteral("sSpeedButton3")),
                      Qt::LeftButton);
    QCOMPARE(script.texts(), QStringList{QStringLiteral("Сіз 30 дұрыс жауап бердіңіз")});
    QCOMPARE(course.scalar(QStringLiteral("select Пользователь||'='||Верно from Тесты")),
             QStringLiteral("Chief=30"));
}

void EditorTest::unwrittenEditIsAskedAboutAtTheEnd_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("ended");
    QTest::newRow("write it") << int(Dialogs::Unwritten::Write) << QStringLiteral("Жаңа") << true;
    QTest::newRow("drop it") << int(Dialogs::Unwritten::Drop) << QStringLiteral("Q1") << true;
    QTest::newRow("stay") << int(Dialogs::Unwritten::Stay) << QStringLiteral("Q1") << false;
}

// A change typed, then "Шығу", then the main window closed: the program asks, and does what the
// answer says; staying keeps the change on screen and the program running.
void EditorTest::unwrittenEditIsAskedAboutAtTheEnd()
{
    QFETCH(int, answer);
    QFETCH(QString, stored);
    QFETCH(bool, ended);
    TestCourse course;
    seedBank(course, {1});
    DialogScript script;
    QList<int> exits;
    Process::setTerminateHook([&exits](int status) { exits << status; });
    WindowRegistry windows;
    windows.createAll();
    TForm4& editor = *windows.form4();
    editor.showModeless();
    retype(editor, Field::Question, QStringLiteral("Жаңа"));
    QTest::mouseClick(editor.exitButton(), Qt::LeftButton);

    script.answerUnwritten(Dialogs::Unwritten(answer));
    windows.form1()->close();
    Process::setTerminateHook({});
    QCOMPARE(script.texts(Dialogs::Kind::Unwritten), QStringList{TForm4::kUnwrittenQuestion});
    QCOMPARE(exits, ended ? QList<int>{0} : QList<int>{});
    QCOMPARE(course.column(QStringLiteral("select Вопрос from БДТест")), QStringList{stored});
    QCOMPARE(editor.isVisible(), !ended);

    // With nothing unwritten, the program ends without a question.
    if (!ended) {
        press(editor, Button::Cancel);
        script.clear();
        Process::setTerminateHook([&exits](int status) { exits << status; });
        windows.form1()->close();
        Process::setTerminateHook({});
        QVERIFY(script.shown().isEmpty());
        QCOMPARE(exits, QList<int>{0});
    }
}

QTEST_MAIN(EditorTest)
#include "tst_editor.moc"
