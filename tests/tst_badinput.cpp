// Bad input in every text a user can type or the file chooser can return: logins, passwords and
// groups (sign-in and user administration), the search texts of the materials, the question bank
// editor and the users filter, material titles and paths, question and answer texts and the
// right-answer number. Each text is stored and read back exactly or refused with a clear
// message, and no table but the intended one changes.

#include "Dialogs.h"
#include "LookupList.h"
#include "MainWindow.h"
#include "MaterialKinds.h"
#include "MaterialsWindow.h"
#include "QuestionEditorWindow.h"
#include "RecordNavigator.h"
#include "ResultsModel.h"
#include "ResultsWindow.h"
#include "SignInCheck.h"
#include "SignInWindow.h"
#include "TestCourse.h"
#include "TestWindow.h"
#include "UsersModel.h"
#include "UsersWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using Contents = QMap<QString, QList<QVariantList>>;
using Field = QuestionBankModel::Field;

namespace {

struct BadText {
    const char* name;
    QString text;
};

QString withNul(const char16_t* before, const char16_t* after)
{
    return QString::fromUtf16(before) + QChar(u'\0') + QString::fromUtf16(after);
}

// The catalogue every entry point is tried with.
const QList<BadText>& catalogue()
{
    static const QList<BadText> texts = {
        {"single quote", QStringLiteral("O'Neil ' or '1'='1")},
        {"double quote", QStringLiteral("say \"hi\" \"\"")},
        {"both quotes", QStringLiteral("'\"'\"` '')")},
        {"percent", QStringLiteral("100% %")},
        {"underscore", QStringLiteral("a_b__")},
        {"semicolon", QStringLiteral("x'); drop table Пользователи; select ('")},
        {"comment", QStringLiteral("-- nothing /* here */")},
        {"line feed", QStringLiteral("first\nsecond")},
        {"CR LF", QStringLiteral("first\r\nsecond")},
        {"tab", QStringLiteral("a\tb")},
        {"NUL inside", withNul(u"a", u"b")},
        {"NUL alone", QString(1, QChar(u'\0'))},
        {"1 MB", QString(512 * 1024, QChar(u'ж')) + QStringLiteral("end")},
        {"Kazakh", QStringLiteral("Әліпби: ә ғ қ ң ө ұ ү һ і — ҚАЗАҚ")},
        {"Russian", QStringLiteral("Щёлкни Ёжика: съешь ещё этих")},
        {"emoji", QStringLiteral("📚 Оқу 👩‍🏫 ✅")},
        {"right to left", QStringLiteral("مرحبا שלום \u202Eabc\u202C")},
        {"blanks", QStringLiteral("  lead and trail  ")},
        {"empty", QString()},
    };
    return texts;
}

int g_inputsTried = 0;

void addCatalogue()
{
    QTest::addColumn<QString>("text");
    for (const BadText& entry : catalogue())
        QTest::newRow(entry.name) << entry.text;
}

bool typable(const QString& text)
{
    if (text.size() > 64)
        return false;
    for (const char32_t point : text.toUcs4()) {
        if (!QChar::isPrint(point) && QChar::category(point) != QChar::Other_Format)
            return false;
    }
    return true;
}

// Enters a text into a field as a user would: short printable texts key by key (a whole
// character per key, emoji included), everything else through the clipboard.
void enter(QWidget* field, const QString& text)
{
    ++g_inputsTried;
    if (!typable(text)) {
        pasteText(field, text);
        return;
    }
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    for (const char32_t point : text.toUcs4())
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString::fromUcs4(&point, 1),
                            Qt::NoModifier);
}

QString fieldText(QWidget* field)
{
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
        return memo->toPlainText();
    return qobject_cast<QLineEdit*>(field)->text();
}

// What a multi-line field makes of a text: it shows a line break as one "\n".
QString asMultiLine(const QString& text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString describe(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("null");
    const QString text = value.toString();
    if (text.size() > 40)
        return QStringLiteral("%1 characters beginning \"%2\"").arg(text.size()).arg(text.left(20));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Every table but `changed` holds what it held before.
bool othersUnchanged(const Contents& before, const Contents& after, const QString& changed)
{
    if (before.keys() != after.keys()) {
        qWarning("tables differ: %s / %s", qPrintable(before.keys().join(u',')),
                 qPrintable(after.keys().join(u',')));
        return false;
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key() != changed && it.value() != after.value(it.key())) {
            qWarning("table %s changed", qPrintable(it.key()));
            return false;
        }
    }
    return true;
}

// The values of a row after its leading row id.
QVariantList valuesOf(const QVariantList& row)
{
    return row.mid(1);
}

QVariantList texts(std::initializer_list<QString> values)
{
    QVariantList list;
    for (const QString& value : values)
        list << value;
    return list;
}

template <typename Widget> Widget* child(const QWidget* window, const char* name)
{
    auto* widget = window->findChild<Widget*>(QLatin1String(name));
    if (!widget)
        qFatal("no control %s", name);
    return widget;
}

void click(const QWidget* window, const char* name)
{
    QTest::mouseClick(child<QAbstractButton>(window, name), Qt::LeftButton);
}

} // namespace

class BadInputTest : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase();

    void signInComparesTheTypedPairExactly_data() { addCatalogue(); }
    void signInComparesTheTypedPairExactly();
    void usersAreAddedAndDeletedExactly_data() { addCatalogue(); }
    void usersAreAddedAndDeletedExactly();
    void usersFilterAndSearchMatchTheWholeLogin_data() { addCatalogue(); }
    void usersFilterAndSearchMatchTheWholeLogin();
    void administratorPasswordTakesAnyTypableText_data() { addCatalogue(); }
    void administratorPasswordTakesAnyTypableText();
    void materialSearchFindsTheTitle_data() { addCatalogue(); }
    void materialSearchFindsTheTitle();
    void materialsAreAddedAndRemovedExactly_data() { addCatalogue(); }
    void materialsAreAddedAndRemovedExactly();
    void questionSearchFindsTheQuestion_data() { addCatalogue(); }
    void questionSearchFindsTheQuestion();
    void questionAndAnswerTextsAreStoredExactly_data() { addCatalogue(); }
    void questionAndAnswerTextsAreStoredExactly();
    void rightAnswerTakesOnlyANumberFromOneToFive_data();
    void rightAnswerTakesOnlyANumberFromOneToFive();
    void attemptShowsTheTextsAndStoresTheLogin_data() { addCatalogue(); }
    void attemptShowsTheTextsAndStoresTheLogin();
    void resultLoginIsStoredExactly_data() { addCatalogue(); }
    void resultLoginIsStoredExactly();
    void realInputBoxTakesAMegabyte();
    void longWordKeepsAFieldResponsive();
};

void BadInputTest::cleanupTestCase()
{
    qInfo("bad input: %d texts entered into the real windows", g_inputsTried);
}

// Sign-in only reads: the pair typed is compared whole with the stored one. The fields hold at
// most 31 characters and take no line break, so a longer or multi-line login is refused as
// unknown; nothing is ever written.
void BadInputTest::signInComparesTheTypedPairExactly()
{
    QFETCH(QString, text);
    TestCourse course;
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль) values('Chief','pw')"));
    course.insert(QStringLiteral("Пользователи"),
                  {QStringLiteral("Логин"), QStringLiteral("Пароль"), QStringLiteral("Группа")},
                  {text, text, text});
    const Contents before = course.contents();
    DialogScript dialogs;
    TForm1 main;
    TForm3 signIn(&main);
    signIn.showModeless();
    auto* login = child<QLineEdit>(&signIn, "UserName");
    auto* password = child<QLineEdit>(&signIn, "Password");
    enter(login, text);
    enter(password, text);
    click(&signIn, "OKButton");

    if (login->text() == text && password->text() == text) {
        QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.texts().join(u'\n')));
        QCOMPARE(main.currentUser(), text);
        QVERIFY(!signIn.isVisible());
    } else {
        QVERIFY2(text.size() > 31 || text.contains(QLatin1Char('\n')) ||
                     text.contains(QLatin1Char('\r')) || text.contains(QChar(u'\0')) ||
                     text.contains(QLatin1Char('\t')),
                 qPrintable(describe(login->text())));
        QCOMPARE(dialogs.texts(), QStringList{TForm3::kNoSuchAccount});
        QCOMPARE(main.currentUser(), TForm1::kNoUser);
    }
    QVERIFY(course.contents() == before);
}

void BadInputTest::usersAreAddedAndDeletedExactly()
{
    QFETCH(QString, text);
    TestCourse course;
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль,Группа) values"
                               "('Chief','pw','');insert into Лекции values(1,'L','/l');"
                               "insert into Тесты(Пользователь, Верно) values('aigerim',7)"));
    const Contents before = course.contents();
    DialogScript dialogs;
    TForm5 form;
    form.showModeless();
    enter(child<QLineEdit>(&form, "loginField"), text);
    enter(child<QLineEdit>(&form, "passwordField"), text);
    enter(child<QLineEdit>(&form, "groupField"), text);
    click(&form, "sBitBtn1");
    if (text.size() > SignInCheck::kLongestTyped) {
        // A login or password that the sign-in window could never take is refused.
        QCOMPARE(dialogs.texts(), QStringList{TForm5::kTooLongToSignIn.arg(31)});
        QVERIFY(course.contents() == before);
        return;
    }
    QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.texts().join(u'\n')));

    const Contents added = course.contents();
    QVERIFY(othersUnchanged(before, added, UsersModel::kTable));
    const QList<QVariantList> users = added.value(UsersModel::kTable);
    if (text.isEmpty()) {
        QCOMPARE(users, before.value(UsersModel::kTable)); // empty fields add nobody
        return;
    }
    QCOMPARE(users.size(), 2);
    QVERIFY2(valuesOf(users.last()) == texts({text, text, text}),
             qPrintable(describe(users.last().value(1))));
    QCOMPARE(form.model()->rowCount(), 2);
    QCOMPARE(form.model()->user(1).login, text);
    QCOMPARE(form.model()->user(1).group, text);
    QCOMPARE(child<QLineEdit>(&form, "loginField")->text(), QString());

    // The same pair deletes exactly that row.
    click(&form, "sSpeedButton2");
    enter(child<QLineEdit>(&form, "loginField"), text);
    enter(child<QLineEdit>(&form, "passwordField"), text);
    click(&form, "sBitBtn2");
    QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.texts().join(u'\n')));
    QVERIFY(course.contents() == before);
    QCOMPARE(form.model()->rowCount(), 1);
}

void BadInputTest::usersFilterAndSearchMatchTheWholeLogin()
{
    QFETCH(QString, text);
    TestCourse course;
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль) values('Chief','pw');"
                               "insert into Пользователи(Логин,Пароль) values('a','p');"));
    const QStringList columns = {QStringLiteral("Логин"), QStringLiteral("Пароль")};
    // A login that the text would match if it were taken as a pattern or a trimmed value.
    course.insert(UsersModel::kTable, columns, {text.trimmed() + QStringLiteral("x"), {}});
    course.insert(UsersModel::kTable, columns, {text, QStringLiteral("p")});
    const Contents before = course.contents();
    DialogScript dialogs;
    TForm5 form;
    form.showModeless();
    enter(child<QLineEdit>(&form, "searchField"), text);
    click(&form, "filterCheckBox");
    click(&form, "sButton1");
    QCOMPARE(form.model()->rowCount(), 1);
    QCOMPARE(form.model()->user(0).login, text);
    QCOMPARE(form.currentRow(), 0);

    // Clear: every row again, the exact login current.
    click(&form, "filterCheckBox");
    click(&form, "sButton1");
    QCOMPARE(form.model()->rowCount(), 4);
    QCOMPARE(form.currentRow(), 3);
    QVERIFY(dialogs.shown().isEmpty());
    QVERIFY(course.contents() == before);
}

// The new password may be any text; the old one is matched whole, so the change can be made back.
void BadInputTest::administratorPasswordTakesAnyTypableText()
{
    QFETCH(QString, text);
    TestCourse course;
    course.exec(
        QStringLiteral("insert into Пользователи(Логин,Пароль,Группа) values"
                       "('Chief','pw','staff');insert into Пользователи(Логин,Пароль)"
                       " values('aigerim','12345');insert into БДТест(Вопрос) values('Q')"));
    const Contents before = course.contents();
    DialogScript dialogs;
    TForm5 form;
    auto change = [&form](const QString& from, const QString& to) {
        enter(child<QLineEdit>(&form, "oldPasswordField"), from);
        enter(child<QLineEdit>(&form, "newPasswordField"), to);
        click(&form, "sBitBtn3");
    };
    auto administrator = [&course] {
        QList<QVariantList> rows;
        for (const QVariantList& row : course.rows(UsersModel::kTable))
            if (row.value(1) == QStringLiteral("Chief"))
                rows << valuesOf(row);
        return rows;
    };
    change(QStringLiteral("pw"), text);
    const Contents after = course.contents();
    QVERIFY(othersUnchanged(before, after, UsersModel::kTable));
    if (text.size() > SignInCheck::kLongestTyped) {
        // The administrator would be locked out for good: refused, the old password kept.
        QCOMPARE(dialogs.texts(), QStringList{TForm5::kTooLongToSignIn.arg(31)});
        QVERIFY(after == before);
        return;
    }
    if (text.isEmpty()) {
        QVERIFY(after == before);
        return;
    }
    QCOMPARE(administrator(), QList<QVariantList>{texts({QStringLiteral("Chief"), text, {}})});
    QCOMPARE(child<QLineEdit>(&form, "newPasswordField")->text(), QString());

    change(text + QStringLiteral("x"), QStringLiteral("nope")); // a wrong old password
    QCOMPARE(administrator().value(0).value(1).toString(), text);
    change(text, QStringLiteral("pw"));
    QCOMPARE(administrator(), QList<QVariantList>{texts(
                                  {QStringLiteral("Chief"), QStringLiteral("pw"), QString()})});
    QCOMPARE(course.rows(UsersModel::kTable).size(), 2);
    QVERIFY(dialogs.shown().isEmpty());
}

namespace {

// The materials browser with stand-ins for the main window's three toggles.
struct Browser {
    Browser()
    {
        MaterialKind = 0;
        for (QToolButton* toggle : toggles) {
            toggle->setCheckable(true);
            group.addButton(toggle);
        }
        form = std::make_unique<TForm7>(TForm7::KindToggles{toggles[0], toggles[1], toggles[2]});
        form->editingGroup()->show();
        toggles[0]->setChecked(true);
        form->showModeless();
    }
    ~Browser()
    {
        form.reset();
        qDeleteAll(toggles);
    }
    LookupList* lectures() const { return form->list(MaterialKinds::kLectures); }

    QButtonGroup group;
    std::array<QToolButton*, 3> toggles{new QToolButton, new QToolButton, new QToolButton};
    std::unique_ptr<TForm7> form;
};

const QString kLectures = QStringLiteral("Лекции");
const QStringList kLectureColumns = {QStringLiteral("НазваниеЛекции"),
                                     QStringLiteral("АдресЛекции")};

} // namespace

// The text is taken into the pattern as typed ("%" and "_" stay wildcards), so the title that
// holds it is always found; the other row holds none of the catalogue's texts.
void BadInputTest::materialSearchFindsTheTitle()
{
    QFETCH(QString, text);
    TestCourse course;
    course.insert(kLectures, kLectureColumns, {QStringLiteral("Басқа"), QStringLiteral("/l/1")});
    course.insert(kLectures, kLectureColumns, {text, QStringLiteral("/l/2")});
    course.insert(QStringLiteral("Лабы"), {QStringLiteral("НазваниеЛабы")}, {text});
    const Contents before = course.contents();
    DialogScript dialogs;
    Browser browser;
    dialogs.answerInput(text);
    ++g_inputsTried;
    QTest::mouseClick(child<QPushButton>(browser.form.get(), "sButton1"), Qt::LeftButton);

    const QStringList expected =
        text.isEmpty() ? QStringList{QStringLiteral("Басқа"), text} : QStringList{text};
    QCOMPARE(browser.lectures()->titles(), expected);
    QCOMPARE(browser.lectures()->keys().constLast(), QStringLiteral("/l/2"));
    QCOMPARE(browser.form->list(MaterialKinds::kLabs)->titles(), QStringList{text});
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Введите имя, искомого файла")});
    QVERIFY(course.contents() == before);
}

// A title of any text and a path as a chooser can return it (no NUL, one name of at most 255
// characters) are stored as given; removing the picked row takes exactly that row.
void BadInputTest::materialsAreAddedAndRemovedExactly()
{
    QFETCH(QString, text);
    TestCourse course;
    course.insert(kLectures, kLectureColumns, {QStringLiteral("Бар"), QStringLiteral("/l/1")});
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль) values('Chief','pw')"));
    const Contents before = course.contents();
    const QString path = QStringLiteral("/курс/") + QString(text).remove(QChar(u'\0')).left(255);
    DialogScript dialogs;
    Browser browser;
    dialogs.answerFile({true, path});
    dialogs.answerInput(text);
    g_inputsTried += 2;
    QTest::mouseClick(child<QPushButton>(browser.form.get(), "sButton3"), Qt::LeftButton);

    const Contents added = course.contents();
    QVERIFY(othersUnchanged(before, added, kLectures));
    if (text.isEmpty()) {
        QCOMPARE(dialogs.texts(Dialogs::Kind::Message), QStringList{TForm7::kNoTitle});
        QVERIFY(added == before);
        return;
    }
    QCOMPARE(dialogs.texts(Dialogs::Kind::Message), QStringList());
    const QList<QVariantList> rows = added.value(kLectures);
    QCOMPARE(rows.size(), 2);
    QVERIFY2(valuesOf(rows.last()) == texts({text, path}),
             qPrintable(describe(rows.last().value(1))));
    QCOMPARE(browser.lectures()->titles().constLast(), text);

    LookupList* list = browser.lectures();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(1, 0)).topLeft() + QPoint(4, 4));
    QCOMPARE(list->key(), std::optional<QString>(path));
    QTest::mouseClick(child<QPushButton>(browser.form.get(), "sButton4"), Qt::LeftButton);
    QCOMPARE(dialogs.texts(Dialogs::Kind::Error), QStringList());
    QVERIFY(course.contents() == before);
    QCOMPARE(list->titles(), QStringList{QStringLiteral("Бар")});
}

namespace {

const QString kBank = QStringLiteral("БДТест");
const QStringList kBankColumns = {QStringLiteral("Вопрос"), QStringLiteral("Ответ1"),
                                  QStringLiteral("Ответ2"), QStringLiteral("Ответ3"),
                                  QStringLiteral("Ответ4"), QStringLiteral("Ответ5"),
                                  QStringLiteral("ОтветПр")};

void addQuestion(const TestCourse& course, const QString& question, const QString& marker)
{
    course.insert(kBank, kBankColumns,
                  {question, marker, QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
                   QStringLiteral("E"), 1});
}

void press(TForm4& form, RecordNavigator::Button which)
{
    QTest::mouseClick(form.navigator()->button(which), Qt::LeftButton);
}

} // namespace

// The search text is taken whole into the pattern, line breaks as the field holds them: one
// "\n", which is how the editor stores a line break typed into a question.
void BadInputTest::questionSearchFindsTheQuestion()
{
    QFETCH(QString, text);
    TestCourse course;
    addQuestion(course, QStringLiteral("Басқа сұрақ"), QStringLiteral("other"));
    addQuestion(course, asMultiLine(text), QStringLiteral("found"));
    const Contents before = course.contents();
    DialogScript dialogs;
    TForm4 form;
    form.showModeless();
    enter(form.searchText(), text);
    QTest::mouseClick(form.findButton(), Qt::LeftButton);
    QVERIFY(form.isSearchInForce());
    QCOMPARE(form.searchText()->toPlainText(), QString());
    QCOMPARE(fieldText(form.field(Field::AnswerA)),
             text.isEmpty() ? QStringLiteral("other") : QStringLiteral("found"));
    QVERIFY(dialogs.shown().isEmpty());
    QVERIFY(course.contents() == before);
}

void BadInputTest::questionAndAnswerTextsAreStoredExactly()
{
    QFETCH(QString, text);
    TestCourse course;
    addQuestion(course, QStringLiteral("Q1"), QStringLiteral("A1"));
    addQuestion(course, QStringLiteral("Q2"), QStringLiteral("A2"));
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль) values('Chief','pw')"));
    const Contents before = course.contents();
    DialogScript dialogs;
    {
        TForm4 form;
        form.showModeless();
        for (int which = Field::Question; which <= Field::AnswerE; ++which)
            enter(form.field(static_cast<Field>(which)), text);
        press(form, RecordNavigator::Post);
        QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.texts().join(u'\n')));
    }
    const Contents after = course.contents();
    QVERIFY(othersUnchanged(before, after, kBank));
    const QString stored = asMultiLine(text);
    const QList<QVariantList> rows = after.value(kBank);
    QCOMPARE(rows.size(), 2);
    QVERIFY2(valuesOf(rows.first()) ==
                 texts({stored, stored, stored, stored, stored, stored}) + QVariantList{1},
             qPrintable(describe(rows.first().value(1))));
    QCOMPARE(rows.last(), before.value(kBank).last());

    // A window opened later shows the texts as they were entered.
    TForm4 later;
    for (int which = Field::Question; which <= Field::AnswerE; ++which)
        QCOMPARE(fieldText(later.field(static_cast<Field>(which))), stored);
}

void BadInputTest::rightAnswerTakesOnlyANumberFromOneToFive_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored"); // 0: refused
    for (const BadText& entry : catalogue())
        QTest::newRow(entry.name) << entry.text << 0;
    const struct {
        const char* name;
        const char16_t* text;
        int stored;
    } numbers[] = {
        {"zero", u"0", 0},
        {"six", u"6", 0},
        {"negative", u"-3", 0},
        {"plus", u"+3", 0},
        {"decimal", u"3.0", 0},
        {"exponent", u"3e0", 0},
        {"hexadecimal", u"0x3", 0},
        {"fullwidth digit", u"３", 0},
        {"Arabic digit", u"٣", 0},
        {"too large", u"4294967299", 0},
        {"two numbers", u"3 4", 0},
        {"leading zero", u"03", 3},
        {"blanks around", u" 4 ", 4},
        {"five", u"5", 5},
    };
    for (const auto& number : numbers)
        QTest::newRow(number.name) << QString::fromUtf16(number.text) << number.stored;
}

// Test taking converts the number: anything but 1..5 is refused when posted, with the reason.
void BadInputTest::rightAnswerTakesOnlyANumberFromOneToFive()
{
    QFETCH(QString, text);
    QFETCH(int, stored);
    TestCourse course;
    addQuestion(course, QStringLiteral("Q1"), QStringLiteral("A1"));
    const Contents before = course.contents();
    DialogScript dialogs;
    TForm4 form;
    form.showModeless();
    enter(form.field(Field::RightAnswer), text);
    press(form, RecordNavigator::Post);
    if (stored == 0) {
        const QStringList errors = dialogs.texts(Dialogs::Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(QStringLiteral("1-ден 5-ке дейінгі")),
                 qPrintable(errors[0].left(200)));
        QVERIFY(errors[0].size() < 200 + text.size());
        press(form, RecordNavigator::Cancel);
        QVERIFY(course.contents() == before);
    } else {
        QVERIFY(dialogs.shown().isEmpty());
        QCOMPARE(course.rows(kBank).value(0).value(7), QVariant::fromValue<qint64>(stored));
    }
}

// The test window shows the question and its answers as stored, and the result is stored under
// the signed-in login, whatever it holds.
void BadInputTest::attemptShowsTheTextsAndStoresTheLogin()
{
    QFETCH(QString, text);
    TestCourse course;
    course.insert(kBank, kBankColumns, {text, text, text, text, text, text, 1});
    const Contents before = course.contents();
    DialogScript dialogs;
    TForm2 form([text] { return text; });
    form.showModeless();
    QTest::mouseClick(form.questionButton(7), Qt::LeftButton);
    QCOMPARE(form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText(),
             QStringList(6, asMultiLine(text)).join(QLatin1Char('\n')));
    QTest::mouseClick(form.findChild<QAbstractButton*>(QStringLiteral("sSpeedButton3")),
                      Qt::LeftButton);
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Сіз 30 дұрыс жауап бердіңіз")});
    Contents after = course.contents();
    // The attempt's answers are kept beside its row of results.
    QCOMPARE(after.take(QStringLiteral("Ответы")).size(), 30);
    Contents unanswered = before;
    unanswered.remove(QStringLiteral("Ответы"));
    QVERIFY(othersUnchanged(unanswered, after, QStringLiteral("Тесты")));
    const QList<QVariantList> results = after.value(QStringLiteral("Тесты"));
    QCOMPARE(results.size(), 1);
    const QVariantList stored{text, QVariant::fromValue<qint64>(30)};
    QVERIFY2(results[0].mid(0, 2) == stored, qPrintable(describe(results[0].value(0))));
    QVERIFY(qAbs(results[0].value(2).toLongLong() - QDateTime::currentSecsSinceEpoch()) < 600);
}

// The administrator types a login into the results grid: it is stored as typed, in that row only.
void BadInputTest::resultLoginIsStoredExactly()
{
    QFETCH(QString, text);
    TestCourse course;
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('aigerim',20);"
                               "insert into Тесты(Пользователь, Верно) values('aigerim',20);"));
    const Contents before = course.contents();
    DialogScript dialogs;
    TForm6 results;
    results.openResults(QStringLiteral("Chief"));
    results.showModeless();
    QTableView* grid = results.grid();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    QTest::keyClick(grid, Qt::Key_F2);
    QLineEdit* editor = nullptr;
    for (QLineEdit* open : grid->viewport()->findChildren<QLineEdit*>())
        if (open->isVisible())
            editor = open;
    QVERIFY(editor);
    enter(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();   // the editor's text is taken on the loop's next turn
    QTest::keyClick(grid, Qt::Key_Down); // leaving the row writes it
    QVERIFY2(dialogs.shown().isEmpty(), qPrintable(dialogs.texts().join(u'\n')));
    const Contents after = course.contents();
    QVERIFY(othersUnchanged(before, after, QStringLiteral("Тесты")));
    const QList<QVariantList> rows = after.value(QStringLiteral("Тесты"));
    QVERIFY2(rows.value(0).mid(0, 2) == (QVariantList{text, QVariant::fromValue<qint64>(20)}),
             qPrintable(describe(rows.value(0).value(0))));
    QCOMPARE(rows.value(1), before.value(QStringLiteral("Тесты")).value(1));
}

// The real input box: a title of a megabyte arrives whole (the toolkit's own field would cut it
// at 32767 characters without a word).
void BadInputTest::realInputBoxTakesAMegabyte()
{
    const QString text = catalogue()[12].text;
    QString seen;
    QTimer::singleShot(0, this, [&] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        auto* field = box->findChild<QLineEdit*>();
        QVERIFY(field);
        pasteText(field, text);
        seen = field->text();
        QTest::keyClick(field, Qt::Key_Return);
    });
    QElapsedTimer timer;
    timer.start();
    const QString answer = Dialogs::input(QStringLiteral("Добавить"),
                                          QStringLiteral("Введите имя, добавляемого файла"), {});
    QCOMPARE(seen.size(), text.size());
    QCOMPARE(answer, text);
    qInfo("a 1 MB text through the input box: %lld ms", timer.elapsed());
}

// A pasted run of a megabyte without a blank is laid out in a moment, broken anywhere; ordinary
// text keeps its word wrap, also once the long run is gone.
void BadInputTest::longWordKeepsAFieldResponsive()
{
    TestCourse course;
    addQuestion(course, QStringLiteral("Q1"), QStringLiteral("A1"));
    TForm4 form;
    form.showModeless();
    auto* question = qobject_cast<QPlainTextEdit*>(form.field(Field::Question));
    QCOMPARE(question->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    const QString ordinary = QStringLiteral("Алгоритм дегеніміз не? ").repeated(40000);
    pasteText(question, ordinary);
    QCOMPARE(question->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);

    QElapsedTimer timer;
    timer.start();
    pasteText(question, catalogue()[12].text);
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(question->wordWrapMode(), QTextOption::WrapAnywhere);
    QCOMPARE(question->toPlainText(), catalogue()[12].text);
    // It took over a minute while the run was wrapped at word boundaries.
    QVERIFY2(elapsed < 5000, qPrintable(QString::number(elapsed)));
    qInfo("a 1 MB word pasted into a question field: %lld ms", elapsed);

    pasteText(question, QStringLiteral("Қысқа сұрақ"));
    QCOMPARE(question->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}

QTEST_MAIN(BadInputTest)
#include "tst_badinput.moc"
