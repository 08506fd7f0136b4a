// User administration driven through the real windows: the layout and keyboard, search and
// filter, adding and deleting users, the administrator's password, and what a restart sees.

#include "Dialogs.h"
#include "MainWindow.h"
#include "SignInWindow.h"
#include "TestCourse.h"
#include "UsersModel.h"
#include "UsersWindow.h"
#include "WindowRegistry.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <limits>

namespace {

const QString kUsers = QStringLiteral(
    "insert into Пользователи(Логин,Пароль,Группа) values('Chief','root','Әкімші');"
    "insert into Пользователи(Логин,Пароль,Группа) values('aigerim','12345','ИС-21');"
    "insert into Пользователи(Логин,Пароль,Группа) values('O''Brien','q','');"
    "insert into Пользователи(Логин,Пароль,Группа) values('','empty','');"
    "insert into Пользователи(Логин,Пароль,Группа) values(null,'nul','');"
    "insert into Пользователи(Логин,Пароль,Группа) values('twin','1','A');"
    "insert into Пользователи(Логин,Пароль,Группа) values('twin','2','B');"
    "insert into Пользователи(Логин,Пароль,Группа) values('Айгүл','құпия','ИС-22');");
// The same rows in a table whose login column ignores letter case: SQLite's NOCASE, or on the
// server a nondeterministic ICU collation.
QString noCaseTable()
{
    if (TestCourse::onServer())
        return QStringLiteral(
            "create collation nocase (provider = icu, locale = 'und-u-ks-level2', "
            "deterministic = false); drop table Пользователи; create table Пользователи(Логин "
            "TEXT COLLATE nocase, Пароль TEXT, Группа TEXT, rowid bigint generated always as "
            "identity primary key); grant all on Пользователи to okulyk_teacher;");
    return QStringLiteral("drop table Пользователи; create table Пользователи(Логин TEXT COLLATE "
                          "NOCASE, Пароль TEXT, Группа TEXT);");
}

// Signs in through the sign-in window of a started registry; true when it let the user in.
bool signIn(const WindowRegistry& windows, const QString& login, const QString& password)
{
    TForm3* form = windows.form3();
    form->findChild<QLineEdit*>(QStringLiteral("UserName"))->setText(login);
    form->findChild<QLineEdit*>(QStringLiteral("Password"))->setText(password);
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("OKButton")), Qt::LeftButton);
    return !form->isVisible() && windows.form1()->currentUser() == login;
}

// A started program on a scratch course, signed in as the administrator with the users window
// opened from the main window.
struct Program {
    explicit Program(const QString& sql = kUsers)
    {
        course.exec(sql);
        windows.createAll();
        windows.form1()->show();
        signIn(windows, QStringLiteral("Chief"), QStringLiteral("root"));
        QTest::mouseClick(windows.form1()->usersButton(), Qt::LeftButton);
    }

    TForm5* form() const { return windows.form5(); }
    template <typename T = QWidget> T* get(const char* name) const
    {
        return form()->findChild<T*>(QLatin1String(name));
    }
    QLineEdit* field(const char* name) const { return get<QLineEdit>(name); }
    void click(const char* name) const
    {
        QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton);
    }
    void search(const QString& text, bool filter) const
    {
        field("searchField")->setText(text);
        get<QCheckBox>("filterCheckBox")->setChecked(filter);
        click("sButton1");
    }
    QStringList gridLogins() const
    {
        QStringList logins;
        for (int row = 0; row < form()->model()->rowCount(); ++row)
            logins << form()->model()->user(row).login;
        return logins;
    }
    QString currentLogin() const
    {
        const int row = form()->currentRow();
        return row < 0 ? QStringLiteral("<none>") : form()->model()->user(row).login;
    }
    // Every stored row as login|password|group, nulls marked, in stored order.
    QStringList rows() const
    {
        return course.column(
            QStringLiteral("select coalesce(Логин,'<null>')||'|'||coalesce(Пароль,'<null>')||'|'||"
                           "coalesce(Группа,'<null>') from Пользователи order by rowid"));
    }

    TestCourse course;
    DialogScript dialogs;
    WindowRegistry windows;
};

QString accessibleName(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

} // namespace

class UsersTest : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void keyboardAndScreenReaders();
    void search_data();
    void search();
    void filterSurvivesChangesAndHiding();
    void addUser_data();
    void addUser();
    void deleteUser_data();
    void deleteUser();
    void changeAdministratorPassword_data();
    void changeAdministratorPassword();
    void failedReinsertKeepsTheOldRow();
    void newPasswordCountsFromNextStart();
    void administratorCannotLockHimselfOut();
    void storeFailureKeepsTheFields();
    void demoAdministratorAddsStudentWhoSignsInAfterRestart();
};

void UsersTest::layout_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("place"); // in the client area; a label's size follows its text
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixels"); // bold Arial
    auto row = [](const char* name, QRect place, const QString& text, int pixels = 16) {
        QTest::newRow(name) << QString::fromLatin1(name) << place << text << pixels;
    };
    row("searchLabel", {338, 34, 0, 0}, QStringLiteral("Қолданушы"));
    row("searchField", {338, 50, 193, 27}, {});
    row("filterCheckBox", {338, 82, 128, 25}, QStringLiteral("Фильтрация"));
    row("sButton1", {354, 138, 113, 33}, QStringLiteral("Іздеу"));
    row("oldPasswordLabel", {562, 34, 0, 0}, QStringLiteral("Ескі пароль"));
    row("oldPasswordField", {562, 58, 129, 27}, {});
    row("newPasswordLabel", {562, 98, 0, 0}, QStringLiteral("Жаңа пароль"));
    row("newPasswordField", {562, 122, 129, 27}, {});
    row("sBitBtn3", {570, 186, 105, 25}, QStringLiteral("OK"));
    row("sSpeedButton1", {57, 274, 145, 49}, QStringLiteral("Қосу"), 19);
    row("sSpeedButton2", {57, 338, 145, 49}, QStringLiteral("Өшіру"), 19);
    row("loginLabel", {305, 266, 0, 0}, QStringLiteral("Қолданушы"));
    row("loginField", {305, 290, 185, 27}, {});
    row("passwordLabel", {513, 266, 0, 0}, QStringLiteral("Пароль"));
    row("passwordField", {513, 290, 185, 27}, {});
    row("groupLabel", {305, 330, 0, 0}, QStringLiteral("Топ"));
    row("groupField", {305, 354, 185, 27}, {});
    row("sBitBtn1", {545, 346, 145, 49}, QStringLiteral("Қосу"));
    row("sBitBtn2", {545, 346, 145, 49}, QStringLiteral("Өшіру"));
}

// Each control at its place in its font; a button's whole content (text with its mark or
// indicator) fits; no field masks its text.
void UsersTest::layout()
{
    QFETCH(QString, control);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    QFETCH(int, pixels);
    Program program;
    TForm5* form = program.form();
    QWidget* widget = form->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(widget->mapTo(form, QPoint(0, 0)), place.topLeft());
    if (!place.size().isEmpty())
        QCOMPARE(widget->size(), place.size());
    QCOMPARE(widget->font().pixelSize(), pixels);
    QVERIFY(widget->font().bold());
    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        QCOMPARE(field->echoMode(), QLineEdit::Normal);
        // No limit: the toolkit's default one would cut a longer text at 32767 characters.
        QCOMPARE(field->maxLength(), std::numeric_limits<int>::max());
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->text(), text);
    } else {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        QCOMPARE(button->text(), text);
        QVERIFY2(button->sizeHint().width() <= button->width(),
                 qPrintable(QStringLiteral("%1 wide").arg(button->sizeHint().width())));
    }
}

// The window as it opens, its grid, Tab order and names for screen readers, and the two modes.
void UsersTest::keyboardAndScreenReaders()
{
    Program program;
    TForm5* form = program.form();
    QVERIFY(form->isVisible());
    QVERIFY(form->isAddMode());
    QVERIFY(!program.get("sBitBtn2")->isVisible());
    QVERIFY(!program.get<QCheckBox>("filterCheckBox")->isChecked());
    QCOMPARE(form->windowTitle(), QStringLiteral("Колданушылар"));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    for (auto* group : form->findChildren<QGroupBox*>())
        QVERIFY(QFontMetrics(group->font()).horizontalAdvance(group->title()) + 16 <=
                group->width());
    QCOMPARE(form->grid()->geometry(), QRect(1, 1, 320, 247));
    QCOMPARE(form->grid()->font().pixelSize(), 11);
    QStringList titles;
    for (int column = 0; column < form->model()->columnCount(); ++column)
        titles << form->model()->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(titles, QStringList({QStringLiteral("Қолданушы"), QStringLiteral("Пароль"),
                                  QStringLiteral("Топ")}));
    QCOMPARE(form->model()->data(form->model()->index(0, 1)).toString(), QStringLiteral("root"));
    QVERIFY(!(form->model()->flags(form->model()->index(0, 0)) & Qt::ItemIsEditable));

    // Tab visits every control once, in reading order.
    const QStringList order = {
        "usersGrid",        "searchField", "filterCheckBox", "sButton1",      "oldPasswordField",
        "newPasswordField", "sBitBtn3",    "sSpeedButton1",  "sSpeedButton2", "loginField",
        "passwordField",    "groupField",  "sBitBtn1"};
    QWidget* widget = program.get(order[0].toLatin1().constData());
    QSet<QString> names;
    for (const QString& name : order) {
        QCOMPARE(widget->objectName(), name);
        const QString spoken = accessibleName(widget);
        QVERIFY2(!spoken.isEmpty() && !names.contains(spoken), qPrintable(name + ": " + spoken));
        names << spoken;
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(form));
    }
    QCOMPARE(widget->objectName(), order[0]);
    QCOMPARE(accessibleName(program.field("oldPasswordField")), QStringLiteral("Ескі пароль"));

    // Delete mode swaps the group field and the add button for the delete button.
    program.click("sSpeedButton2");
    QVERIFY(!form->isAddMode() && program.get<QAbstractButton>("sSpeedButton2")->isChecked());
    QVERIFY(!program.get<QAbstractButton>("sSpeedButton1")->isChecked());
    QVERIFY(program.get("sBitBtn2")->isVisible() && !program.get("sBitBtn1")->isVisible());
    QVERIFY(!program.field("groupField")->isVisible() && !program.get("groupLabel")->isVisible());
    QVERIFY(!names.contains(accessibleName(program.get("sBitBtn2"))));

    // Enter in the search field searches.
    program.field("searchField")->setText(QStringLiteral("twin"));
    QTest::keyClick(program.field("searchField"), Qt::Key_Return);
    QCOMPARE(form->currentRow(), 5);
}

void UsersTest::search_data()
{
    QTest::addColumn<bool>("filter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<int>("current");
    const QStringList all = {"Chief", "aigerim", "O'Brien", "",
                             "",      "twin",    "twin",    QStringLiteral("Айгүл")};
    QTest::newRow("filter, quote") << true << "O'Brien" << QStringList{"O'Brien"} << 0;
    QTest::newRow("filter, empty text: empty logins, not null ones")
        << true << "" << QStringList{""} << 0;
    QTest::newRow("filter, duplicate") << true << "twin" << QStringList{"twin", "twin"} << 0;
    QTest::newRow("filter, no wildcard") << true << "%" << QStringList{} << -1;
    QTest::newRow("filter, letter case") << true << QStringLiteral("айгүл") << QStringList{} << -1;
    QTest::newRow("filter, Kazakh")
        << true << QStringLiteral("Айгүл") << QStringList{QStringLiteral("Айгүл")} << 0;
    QTest::newRow("locate first duplicate") << false << "twin" << all << 5;
    QTest::newRow("locate Kazakh") << false << QStringLiteral("Айгүл") << all << 7;
    QTest::newRow("locate empty login") << false << "" << all << 3;
    QTest::newRow("locate is whole-value") << false << "twi" << all << 0;
    QTest::newRow("locate keeps letter case") << false << "TWIN" << all << 0;
}

void UsersTest::search()
{
    QFETCH(bool, filter);
    QFETCH(QString, text);
    QFETCH(QStringList, listed);
    QFETCH(int, current);
    Program program;
    program.search(text, filter);
    QCOMPARE(program.gridLogins(), listed);
    QCOMPARE(program.form()->currentRow(), current);
    QVERIFY(program.dialogs.shown().isEmpty());
}

void UsersTest::filterSurvivesChangesAndHiding()
{
    Program program;
    program.search(QStringLiteral("aigerim"), true);
    program.field("loginField")->setText(QStringLiteral("newbie"));
    program.field("passwordField")->setText(QStringLiteral("pw"));
    program.click("sBitBtn1");
    QCOMPARE(program.gridLogins(), QStringList{"aigerim"});
    QVERIFY(program.rows().contains(QStringLiteral("newbie|pw|")));

    program.field("loginField")->setText(QStringLiteral("aigerim"));
    program.field("passwordField")->setText(QStringLiteral("second"));
    program.click("sBitBtn1");
    QCOMPARE(program.gridLogins(), QStringList({"aigerim", "aigerim"}));
    program.click("sSpeedButton2");
    program.field("loginField")->setText(QStringLiteral("aigerim"));
    program.field("passwordField")->setText(QStringLiteral("12345"));
    program.click("sBitBtn2");
    QCOMPARE(program.gridLogins(), QStringList{"aigerim"});
    QCOMPARE(program.form()->model()->user(0).password, QStringLiteral("second"));

    // Hidden and shown again: the grid is not read again, and everything is as it was left.
    program.course.exec(QStringLiteral("insert into Пользователи(Логин) values('aigerim')"));
    program.form()->close();
    QTest::mouseClick(program.windows.form1()->usersButton(), Qt::LeftButton);
    QVERIFY(program.form()->isVisible());
    QCOMPARE(program.gridLogins(), QStringList{"aigerim"});
    QVERIFY(!program.form()->isAddMode());
    QVERIFY(program.get<QCheckBox>("filterCheckBox")->isChecked());
    QCOMPARE(program.field("searchField")->text(), QStringLiteral("aigerim"));

    // Only a search with the box clear lifts the filter; a login that is not there moves nothing.
    program.search(QStringLiteral("twin"), false);
    QCOMPARE(program.gridLogins().size(), 10);
    QCOMPARE(program.currentLogin(), QStringLiteral("twin"));
    program.search(QStringLiteral("nobody"), false);
    QCOMPARE(program.currentLogin(), QStringLiteral("twin"));
}

void UsersTest::addUser_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("added");
    QTest::addColumn<bool>("tooLong");
    auto row = [](const char* name, const QString& login, const QString& password,
                  const QString& group, bool added, bool tooLong = false) {
        QTest::newRow(name) << login << password << group << added << tooLong;
    };
    row("student", "bolat", "pw", QStringLiteral("ИС-21"), true);
    row("empty group is stored empty, not null", "bolat", "pw", "", true);
    row("quotes and wildcards", "O\"Reilly's", "pa'ss\"%_", "a'b", true);
    row("line break and blanks", " a\nb ", "p\nq", "\n", true);
    row("longest texts the sign-in window takes", QString(31, QChar(u'ж')), QString(31, 'p'),
        QString(2000, QChar(u'г')), true);
    // Too long to type at sign-in: refused, or the user could never sign in.
    row("login too long to sign in", QString(32, QChar(u'ж')), "pw", "g", false, true);
    row("password too long to sign in", "bolat", QString(2000, 'p'), "g", false, true);
    row("Russian", QStringLiteral("Иван"), QStringLiteral("пароль"), QStringLiteral("ПИ-1"), true);
    row("duplicate login: a second row", "aigerim", "other", "", true);
    row("administrator's login: a second row", "Chief", "x", "", true);
    row("empty login", "", "pw", "g", false);
    row("empty password", "bolat", "", "g", false);
}

void UsersTest::addUser()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, group);
    QFETCH(bool, added);
    QFETCH(bool, tooLong);
    Program program;
    const QStringList before = program.rows();
    program.field("loginField")->setText(login);
    program.field("passwordField")->setText(password);
    program.field("groupField")->setText(group);
    program.click("sBitBtn1");
    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Message),
             tooLong ? QStringList{TForm5::kTooLongToSignIn.arg(31)} : QStringList());
    QVERIFY(program.dialogs.texts(Dialogs::Kind::Error).isEmpty());
    QCOMPARE(program.rows(),
             added ? before + QStringList{login + '|' + password + '|' + group} : before);
    QCOMPARE(program.gridLogins().size(), program.rows().size());
    if (added) {
        QCOMPARE(program.gridLogins().constLast(), login);
        QCOMPARE(program.form()->model()->user(before.size()).password, password);
    }
    QCOMPARE(program.field("loginField")->text(), added ? QString() : login);
    QCOMPARE(program.field("passwordField")->text(), added ? QString() : password);
    QCOMPARE(program.field("groupField")->text(), added ? QString() : group);
}

void UsersTest::deleteUser_data()
{
    QTest::addColumn<QString>("table"); // run before the rows; empty for the course schema
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("removed"); // logins of the removed rows
    QTest::addColumn<bool>("refused"); // "Нельзя удалить Администратора"
    QTest::addColumn<bool>("cleared");
    auto row = [](const char* name, const QString& table, const QString& login,
                  const QString& password, const QStringList& removed, bool refused, bool cleared) {
        QTest::newRow(name) << table << login << password << removed << refused << cleared;
    };
    const QString plain;
    row("administrator", plain, "Chief", "root", {}, true, false);
    row("administrator, empty password", plain, "Chief", "", {}, true, false);
    row("empty login", plain, "", "empty", {}, false, false);
    row("empty password", plain, "aigerim", "", {}, false, false);
    row("wrong password", plain, "aigerim", "1234", {}, false, true);
    row("student", plain, "aigerim", "12345", {"aigerim"}, false, true);
    row("one of two with the login", plain, "twin", "2", {"twin"}, false, true);
    row("quote", plain, "O'Brien", "q", {"O'Brien"}, false, true);
    row("administrator's login in other case", plain, "chief", "root", {}, false, true);
    row("other case on a column that ignores it", noCaseTable(), "chief", "root", {}, true, false);
    row("a student by the store's rules", noCaseTable(), "AIGERIM", "12345", {"aigerim"}, false,
        true);
}

void UsersTest::deleteUser()
{
    QFETCH(QString, table);
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QStringList, removed);
    QFETCH(bool, refused);
    QFETCH(bool, cleared);
    Program program(table + kUsers);
    const QStringList before = program.rows();
    program.click("sSpeedButton2");
    program.field("loginField")->setText(login);
    program.field("passwordField")->setText(password);
    program.field("groupField")->setText(QStringLiteral("kept"));
    program.click("sBitBtn2");

    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Message),
             refused ? QStringList{TForm5::kCannotDeleteAdministrator} : QStringList{});
    QVERIFY(program.dialogs.texts(Dialogs::Kind::Error).isEmpty());
    QStringList gone;
    for (const QString& row : before)
        if (!program.rows().contains(row))
            gone << row.section(QLatin1Char('|'), 0, 0);
    QCOMPARE(gone, removed);
    QVERIFY(program.rows().contains(QStringLiteral("Chief|root|Әкімші")));
    QCOMPARE(program.gridLogins().size(), program.rows().size());
    QCOMPARE(program.field("loginField")->text(), cleared ? QString() : login);
    QCOMPARE(program.field("passwordField")->text(), cleared ? QString() : password);
    QCOMPARE(program.field("groupField")->text(), QStringLiteral("kept"));
}

void UsersTest::changeAdministratorPassword_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("filter"); // in force during the change; empty for none
    QTest::addColumn<QString>("oldPassword");
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("errors");
    auto row = [](const char* name, const QString& sql, const QString& filter,
                  const QString& oldPassword, const QString& newPassword, bool changed,
                  int errors) {
        QTest::newRow(name) << sql << filter << oldPassword << newPassword << changed << errors;
    };
    row("right old password", kUsers, "", "root", "new'pw", true, 0);
    row("with a filter on another login", kUsers, "aigerim", "root", "new", true, 0);
    row("wrong old password", kUsers, "", "ROOT", "new", false, 0);
    row("another user's password", kUsers, "", "12345", "new", false, 0);
    row("empty old password", kUsers, "", "", "new", false, 0);
    row("empty new password", kUsers, "", "root", "", false, 0);
    row("longest new password the sign-in window takes", kUsers, "", "root",
        QString(31, QChar(u'ә')), true, 0);
    // On a login column that ignores letter case, "chief" rows must not go with the change.
    const QString chief =
        QStringLiteral("insert into Пользователи(Логин,Пароль,Группа) values('chief','%1','');");
    row("another user shares the old password", noCaseTable() + kUsers + chief.arg("root"), "",
        "root", "new", false, 1);
    row("only another user has the old password", noCaseTable() + kUsers + chief.arg("other"), "",
        "other", "new", false, 0);
}

void UsersTest::changeAdministratorPassword()
{
    QFETCH(QString, sql);
    QFETCH(QString, filter);
    QFETCH(QString, oldPassword);
    QFETCH(QString, newPassword);
    QFETCH(bool, changed);
    QFETCH(int, errors);
    Program program(sql);
    if (!filter.isEmpty())
        program.search(filter, true);
    QStringList expected = program.rows();
    if (changed) {
        expected.removeAll(QStringLiteral("Chief|root|Әкімші"));
        expected << QStringLiteral("Chief|%1|").arg(newPassword);
    }
    program.field("oldPasswordField")->setText(oldPassword);
    program.field("newPasswordField")->setText(newPassword);
    program.click("sBitBtn3");
    QCOMPARE(program.rows(), expected);
    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Error).size(), errors);
    QVERIFY(program.dialogs.texts(Dialogs::Kind::Message).isEmpty());
    QCOMPARE(program.field("oldPasswordField")->text(), changed ? QString() : oldPassword);
    QCOMPARE(program.field("newPasswordField")->text(), changed ? QString() : newPassword);
    if (!filter.isEmpty())
        QCOMPARE(program.gridLogins(), QStringList{filter});
}

// The insert that writes the administrator back fails: the deleted row comes back with it.
void UsersTest::failedReinsertKeepsTheOldRow()
{
    Program program;
    program.course.exec(
        TestCourse::onServer()
            ? QStringLiteral("create function no_chief() returns trigger language plpgsql as $$ "
                             "begin if new.Логин = 'Chief' then raise exception 'the "
                             "administrator cannot be written'; end if; return new; end $$;"
                             "create trigger noChief before insert on Пользователи for each row "
                             "execute function no_chief();")
            : QStringLiteral("create trigger noChief before insert on Пользователи when "
                             "new.Логин = 'Chief' begin select raise(abort, 'the administrator "
                             "cannot be written'); end;"));
    const QStringList before = program.rows();
    program.field("oldPasswordField")->setText(QStringLiteral("root"));
    program.field("newPasswordField")->setText(QStringLiteral("new"));
    program.click("sBitBtn3");
    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Error),
             QStringList{QStringLiteral("the administrator cannot be written.")});
    QCOMPARE(program.rows(), before);
    QCOMPARE(program.field("oldPasswordField")->text(), QStringLiteral("root"));
    QCOMPARE(program.field("newPasswordField")->text(), QStringLiteral("new"));
}

void UsersTest::newPasswordCountsFromNextStart()
{
    Program program;
    program.field("oldPasswordField")->setText(QStringLiteral("root"));
    program.field("newPasswordField")->setText(QStringLiteral("жаңа"));
    program.click("sBitBtn3");
    QVERIFY(program.dialogs.shown().isEmpty());

    WindowRegistry restarted;
    restarted.createAll();
    restarted.form1()->show();
    QVERIFY(!signIn(restarted, QStringLiteral("Chief"), QStringLiteral("root")));
    QCOMPARE(program.dialogs.texts(), QStringList{TForm3::kWrongPassword});
    QVERIFY(signIn(restarted, QStringLiteral("Chief"), QStringLiteral("жаңа")));
    QVERIFY(restarted.form1()->usersButton()->isVisible());
}

// A new password longer than the sign-in window takes is refused, with the reason; the old one
// still signs in after a restart.
void UsersTest::administratorCannotLockHimselfOut()
{
    Program program;
    const QStringList before = program.rows();
    const QString tooLong = QStringLiteral("ұзын-әрі-есте-қалатын-құпия-сөз-2026-ж");
    QCOMPARE(tooLong.size(), 38);
    program.field("oldPasswordField")->setText(QStringLiteral("root"));
    program.field("newPasswordField")->setText(tooLong);
    program.click("sBitBtn3");
    QCOMPARE(program.dialogs.texts(), QStringList{TForm5::kTooLongToSignIn.arg(31)});
    QCOMPARE(program.rows(), before);
    QCOMPARE(program.field("newPasswordField")->text(), tooLong);

    WindowRegistry restarted;
    restarted.createAll();
    restarted.form1()->show();
    QVERIFY(signIn(restarted, QStringLiteral("Chief"), QStringLiteral("root")));
}

// The store refuses the statements: the error box shows its text and the fields keep theirs.
void UsersTest::storeFailureKeepsTheFields()
{
    Program program;
    program.course.exec(QStringLiteral("drop table Пользователи"));
    program.field("loginField")->setText(QStringLiteral("bolat"));
    program.field("passwordField")->setText(QStringLiteral("pw"));
    program.click("sBitBtn1");
    program.click("sSpeedButton2");
    program.click("sBitBtn2");
    program.search(QStringLiteral("bolat"), true);
    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Error),
             QStringList(3, TestCourse::noSuchTable(QStringLiteral("Пользователи"))));
    QCOMPARE(program.field("loginField")->text(), QStringLiteral("bolat"));
    QCOMPARE(program.field("passwordField")->text(), QStringLiteral("pw"));
    QCOMPARE(program.gridLogins().size(), 8); // the grid keeps what it showed
    QVERIFY(!program.form()->model()->filter());
}

void UsersTest::demoAdministratorAddsStudentWhoSignsInAfterRestart()
{
    TestCourse course;
    course.seedDemo();
    DialogScript dialogs;
    const QString login = QStringLiteral("Әлия Нұрқызы");
    {
        WindowRegistry windows;
        windows.createAll();
        windows.form1()->show();
        QVERIFY(signIn(windows, QStringLiteral("Chief"), QStringLiteral("admin123")));
        QTest::mouseClick(windows.form1()->usersButton(), Qt::LeftButton);
        TForm5* form = windows.form5();
        QVERIFY(form->isVisible());
        typeText(form->findChild<QLineEdit*>(QStringLiteral("loginField")), login);
        typeText(form->findChild<QLineEdit*>(QStringLiteral("passwordField")),
                 QStringLiteral("құпия'1"));
        typeText(form->findChild<QLineEdit*>(QStringLiteral("groupField")),
                 QStringLiteral("ИС-22"));
        QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("sBitBtn1")),
                          Qt::LeftButton);
        QCOMPARE(form->model()->user(form->model()->rowCount() - 1).login, login);
        // The sign-in lists of this run were loaded at start-up.
        QCOMPARE(windows.form3()->logins().values().contains(login), false);
    }
    WindowRegistry restarted;
    restarted.createAll();
    restarted.form1()->show();
    QVERIFY(signIn(restarted, login, QStringLiteral("құпия'1")));
    QVERIFY(!restarted.form1()->usersButton()->isVisible());
    QVERIFY(dialogs.shown().isEmpty());
}

QTEST_MAIN(UsersTest)
#include "tst_users.moc"
