// Sign-in driven through the real windows: the checks in their order, the role controls, the
// main window kept out of sight until a sign-in succeeds, and the ways out.

#include "Dialogs.h"
#include "ErrorReport.h"
#include "MainWindow.h"
#include "Process.h"
#include "SignInWindow.h"
#include "TestCourse.h"
#include "WindowRegistry.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

// A started program on a scratch course: the windows built and the main window shown, which
// brings up the sign-in window.
struct Program {
    explicit Program(const QString& users,
                     TestCourse::Database database = TestCourse::Database::Schema)
        : course(database)
    {
        if (database == TestCourse::Database::Schema && !users.isEmpty())
            course.exec(users);
        windows.createAll();
        windows.form1()->show();
    }

    QLineEdit* field(const char* name) const
    {
        return windows.form3()->findChild<QLineEdit*>(QLatin1String(name));
    }
    QPushButton* button(const char* name) const
    {
        return windows.form3()->findChild<QPushButton*>(QLatin1String(name));
    }
    void enter(const QString& login, const QString& password) const
    {
        field("UserName")->setText(login);
        field("Password")->setText(password);
        QTest::mouseClick(button("OKButton"), Qt::LeftButton);
    }
    bool signedIn() const
    {
        return !windows.form3()->isVisible() && !windows.form1()->isConcealed();
    }

    TestCourse course;
    DialogScript dialogs;
    WindowRegistry windows;
};

const QString kUsers = QStringLiteral(
    "insert into Пользователи(Логин,Пароль,Группа) values('Chief','root pw','');"
    "insert into Пользователи(Логин,Пароль,Группа) values('aigerim','12345','ИС-21');"
    "insert into Пользователи(Логин,Пароль,Группа) values('chief','x','');"
    "insert into Пользователи(Логин,Пароль,Группа) values('Айгүл','құпия','');"
    "insert into Пользователи(Логин,Пароль,Группа) values('twin','first','');"
    "insert into Пользователи(Логин,Пароль,Группа) values('twin','second','');"
    "insert into Пользователи(Логин,Пароль,Группа) "
    "values('0123456789012345678901234567890123','p','');");

} // namespace

class SignInTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void windowLayoutAndKeyboard();
    void mainWindowHiddenUntilSignIn();
    void successSetsCurrentUserAndRole_data();
    void successSetsCurrentUserAndRole();
    void refusalsKeepFieldsAndAllowRetries_data();
    void refusalsKeepFieldsAndAllowRetries();
    void firstRowWithTheLoginCounts();
    void emptyLoginMatchesNullRow();
    void emptyUsersTable();
    void usersAddedLaterWaitForNextStart();
    void enterSignsInAndEscapeEnds();
    void missingDatabase();
    void eachRowSignsInWithItsOwnPasswordOnly_data();
    void eachRowSignsInWithItsOwnPasswordOnly();
    void tableWithoutRowOrderIsRefused_data();
    void tableWithoutRowOrderIsRefused();
    void closingBeforeSignInEndsTheProgram();

private:
    QList<int> m_exits;
};

void SignInTest::init()
{
    m_exits.clear();
    Process::setTerminateHook([this](int status) { m_exits << status; });
}

void SignInTest::cleanup()
{
    Process::setTerminateHook({});
}

void SignInTest::windowLayoutAndKeyboard()
{
    Program program(kUsers);
    TForm3* form = program.windows.form3();
    QVERIFY(form->isVisible());
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(form->size(), QSize(294, 141));
    QCOMPARE(program.button("OKButton")->text(), QStringLiteral("&OK"));
    QCOMPARE(program.button("CancelButton")->text(), QStringLiteral("&Болдырмау"));
    QCOMPARE(program.field("UserName")->maxLength(), 31);
    QCOMPARE(program.field("Password")->maxLength(), 31);
    program.field("Password")->setText(QStringLiteral("abc"));
    QCOMPARE(program.field("Password")->displayText(), QStringLiteral("***"));

    // Tab order: login, password, OK, Cancel.
    auto nextTabStop = [](QWidget* widget) {
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus));
        return widget;
    };
    QCOMPARE(nextTabStop(program.field("UserName")), program.field("Password"));
    QCOMPARE(nextTabStop(program.field("Password")), program.button("OKButton"));
    QCOMPARE(nextTabStop(program.button("OKButton")), program.button("CancelButton"));
    QTRY_COMPARE(QApplication::focusWidget(), program.field("UserName"));
}

void SignInTest::mainWindowHiddenUntilSignIn()
{
    Program program(kUsers);
    TForm1* main = program.windows.form1();
    QVERIFY(main->isConcealed());
    QVERIFY(main->testAttribute(Qt::WA_DontShowOnScreen));
    QCOMPARE(main->windowOpacity(), 0.0);
    program.enter(QStringLiteral("aigerim"), QStringLiteral("12345"));
    QVERIFY(main->isVisible());
    QVERIFY(!main->testAttribute(Qt::WA_DontShowOnScreen));
    QCOMPARE(main->windowOpacity(), 1.0);
    // The reveal is not a second show: the sign-in window does not come back.
    QVERIFY(!program.windows.form3()->isVisible());
}

void SignInTest::successSetsCurrentUserAndRole_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("administrator");
    QTest::newRow("administrator") << QStringLiteral("Chief") << QStringLiteral("root pw") << true;
    QTest::newRow("student") << QStringLiteral("aigerim") << QStringLiteral("12345") << false;
    QTest::newRow("administrator's login in other case")
        << QStringLiteral("chief") << QStringLiteral("x") << false;
    QTest::newRow("Kazakh letters") << QStringLiteral("Айгүл") << QStringLiteral("құпия") << false;
}

void SignInTest::successSetsCurrentUserAndRole()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(bool, administrator);
    Program program(kUsers);
    program.enter(login, password);
    QVERIFY2(program.dialogs.shown().isEmpty(),
             qPrintable(program.dialogs.texts().join(QLatin1Char('|'))));
    QVERIFY(program.signedIn());
    QCOMPARE(program.windows.form1()->currentUser(), login);
    QCOMPARE(program.windows.form1()->usersButton()->isVisible(), administrator);
    QVERIFY(m_exits.isEmpty());
}

void SignInTest::refusalsKeepFieldsAndAllowRetries_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown") << QStringLiteral("nobody") << QStringLiteral("12345")
                             << TForm3::kNoSuchAccount;
    QTest::newRow("login case") << QStringLiteral("AIGERIM") << QStringLiteral("12345")
                                << TForm3::kNoSuchAccount;
    QTest::newRow("login with blank")
        << QStringLiteral("aigerim ") << QStringLiteral("12345") << TForm3::kNoSuchAccount;
    QTest::newRow("wrong password")
        << QStringLiteral("aigerim") << QStringLiteral("1234") << TForm3::kWrongPassword;
    QTest::newRow("password with blank")
        << QStringLiteral("aigerim") << QStringLiteral(" 12345") << TForm3::kWrongPassword;
    QTest::newRow("password case")
        << QStringLiteral("Chief") << QStringLiteral("ROOT PW") << TForm3::kWrongPassword;
    // A stored login longer than the field can never be typed in full.
    QTest::newRow("long login") << QStringLiteral("0123456789012345678901234567890123")
                                << QStringLiteral("p") << TForm3::kNoSuchAccount;
}

void SignInTest::refusalsKeepFieldsAndAllowRetries()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, message);
    Program program(kUsers);
    program.field("Password")->setFocus();
    program.enter(login, password);
    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Message), QStringList{message});
    QCOMPARE(program.dialogs.shown()[0].title, ErrorReport::applicationTitle());
    QVERIFY(!program.signedIn());
    QVERIFY(program.windows.form1()->isConcealed());
    QCOMPARE(program.field("UserName")->text(), login.left(31));
    QCOMPARE(program.field("Password")->text(), password);
    QCOMPARE(program.windows.form1()->currentUser(), QStringLiteral("ghg"));

    program.dialogs.clear();
    program.enter(QStringLiteral("aigerim"), QStringLiteral("12345"));
    QVERIFY(program.signedIn());
}

void SignInTest::firstRowWithTheLoginCounts()
{
    Program program(kUsers);
    program.enter(QStringLiteral("twin"), QStringLiteral("second"));
    QCOMPARE(program.dialogs.texts(), QStringList{TForm3::kWrongPassword});
    program.dialogs.clear();
    program.enter(QStringLiteral("twin"), QStringLiteral("first"));
    QVERIFY(program.signedIn());
}

void SignInTest::emptyLoginMatchesNullRow()
{
    Program program(QStringLiteral("insert into Пользователи(Логин,Пароль) values('Chief','a');"
                                   "insert into Пользователи(Логин,Пароль) values(null,null);"));
    program.enter(QString(), QString());
    QVERIFY(program.dialogs.shown().isEmpty());
    QVERIFY(program.signedIn());
    QCOMPARE(program.windows.form1()->currentUser(), QString());
    QVERIFY(!program.windows.form1()->usersButton()->isVisible());
}

void SignInTest::emptyUsersTable()
{
    Program program{QString()};
    program.enter(QStringLiteral("Chief"), QStringLiteral("x"));
    QCOMPARE(program.dialogs.texts(), QStringList{TForm3::kNoSuchAccount});
    QVERIFY(!program.signedIn());
}

void SignInTest::usersAddedLaterWaitForNextStart()
{
    Program program(kUsers);
    program.course.exec(
        QStringLiteral("insert into Пользователи(Логин,Пароль) values('new','pw')"));
    program.enter(QStringLiteral("new"), QStringLiteral("pw"));
    QCOMPARE(program.dialogs.texts(), QStringList{TForm3::kNoSuchAccount});

    WindowRegistry restarted;
    restarted.createAll();
    restarted.form1()->show();
    restarted.form3()
        ->findChild<QLineEdit*>(QStringLiteral("UserName"))
        ->setText(QStringLiteral("new"));
    restarted.form3()
        ->findChild<QLineEdit*>(QStringLiteral("Password"))
        ->setText(QStringLiteral("pw"));
    QTest::mouseClick(restarted.form3()->findChild<QPushButton*>(QStringLiteral("OKButton")),
                      Qt::LeftButton);
    QCOMPARE(restarted.form1()->currentUser(), QStringLiteral("new"));
}

void SignInTest::enterSignsInAndEscapeEnds()
{
    {
        Program program(kUsers);
        program.field("UserName")->setText(QStringLiteral("aigerim"));
        program.field("Password")->setText(QStringLiteral("12345"));
        QTest::keyClick(program.field("Password"), Qt::Key_Return);
        QVERIFY(program.signedIn());
    }
    {
        Program program(kUsers);
        program.field("UserName")->setText(QStringLiteral("aigerim"));
        program.field("Password")->setText(QStringLiteral("wrong"));
        QTest::keyClick(program.field("UserName"), Qt::Key_Enter);
        QCOMPARE(program.dialogs.texts(), QStringList{TForm3::kWrongPassword});
        QVERIFY(m_exits.isEmpty());
        program.button("OKButton")->setFocus();
        QTest::keyClick(program.button("OKButton"), Qt::Key_Escape);
        QCOMPARE(m_exits, QList<int>{0});
        QTest::keyClick(program.field("Password"), Qt::Key_Escape);
        QCOMPARE(m_exits, QList<int>({0, 0}));
        QCOMPARE(program.course.scalar(QStringLiteral("select count(*) from Пользователи")),
                 QStringLiteral("7"));
    }
}

void SignInTest::missingDatabase()
{
    Program program(QString(), TestCourse::Database::None);
    const int startupBoxes = static_cast<int>(program.dialogs.texts(Dialogs::Kind::Error).size());
    // An unreachable server is reported once at start-up; a missing file by every data set.
    QVERIFY(TestCourse::onServer() ? startupBoxes == 1 : startupBoxes >= 4);
    QVERIFY(program.windows.form3()->isVisible());

    program.enter(QStringLiteral("Chief"), QStringLiteral("x"));
    const QStringList errors = program.dialogs.texts(Dialogs::Kind::Error);
    QCOMPARE(errors.size(), startupBoxes + 1);
    // The file's lists were never read; the server is asked again and cannot be reached.
    QVERIFY2(errors.last().contains(TestCourse::onServer()
                                        ? QStringLiteral("Курс серверіне қосылу мүмкін емес")
                                        : QStringLiteral("closed dataset")),
             qPrintable(errors.last()));
    QVERIFY(program.dialogs.texts(Dialogs::Kind::Message).isEmpty());
    QVERIFY(!program.signedIn());

    QTest::mouseClick(program.button("CancelButton"), Qt::LeftButton);
    QCOMPARE(m_exits, QList<int>{0});
}

void SignInTest::eachRowSignsInWithItsOwnPasswordOnly_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("rows"); // login:password, in stored order
    const auto table = [](const QString& login) {
        return TestCourse::createTableSql(
            QStringLiteral("Пользователи"),
            QStringLiteral("Логин TEXT%1, Пароль TEXT, Группа TEXT").arg(login));
    };
    const QString plain = table(QString());
    const QStringList three = {QStringLiteral("zed:pz"), QStringLiteral("Chief:admin"),
                               QStringLiteral("amy:pa"), QStringLiteral("Бақыт:құпия")};
    QTest::newRow("UNIQUE login") << table(QStringLiteral(" UNIQUE")) << three;
    QTest::newRow("index on the login")
        << plain + QStringLiteral("create index byLogin on Пользователи(Логин);") << three;
    QTest::newRow("index on both columns")
        << plain + QStringLiteral("create index byBoth on Пользователи(Пароль, Логин);") << three;
    // The server's own key is its row id column; a login key is a unique one there.
    QTest::newRow("login as the primary key")
        << table(TestCourse::onServer() ? QStringLiteral(" NOT NULL UNIQUE")
                                        : QStringLiteral(" PRIMARY KEY"))
        << three;
    // With a duplicate login only the first stored row counts, whatever the index.
    QTest::newRow("duplicate login")
        << plain + QStringLiteral("create index byLogin on Пользователи(Логин);")
        << QStringList{QStringLiteral("twin:second"), QStringLiteral("amy:pa"),
                       QStringLiteral("twin:first")};
}

void SignInTest::eachRowSignsInWithItsOwnPasswordOnly()
{
    QFETCH(QString, table);
    QFETCH(QStringList, rows);
    QString sql = QStringLiteral("drop table Пользователи;") + table;
    for (const QString& row : rows)
        sql += QStringLiteral("insert into Пользователи(Логин,Пароль) values('%1','%2');")
                   .arg(row.section(QLatin1Char(':'), 0, 0), row.section(QLatin1Char(':'), 1));

    QStringList passwords;
    for (const QString& row : rows)
        passwords << row.section(QLatin1Char(':'), 1);
    QStringList seen;
    for (const QString& row : rows) {
        const QString login = row.section(QLatin1Char(':'), 0, 0);
        if (seen.contains(login))
            continue; // a later row with the same login never counts
        seen << login;
        const QString own = row.section(QLatin1Char(':'), 1);
        for (const QString& password : passwords) {
            Program program(sql);
            program.enter(login, password);
            const QString attempt = login + QLatin1Char('/') + password;
            if (password == own) {
                QVERIFY2(program.signedIn(), qPrintable(attempt));
                QCOMPARE(program.windows.form1()->currentUser(), login);
            } else {
                QVERIFY2(!program.signedIn(), qPrintable(attempt));
                QCOMPARE(program.dialogs.texts(), QStringList{TForm3::kWrongPassword});
            }
        }
    }
}

void SignInTest::tableWithoutRowOrderIsRefused_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("reason");
    if (TestCourse::onServer()) {
        QTest::newRow("no row id column")
            << QStringLiteral("create table Пользователи(Логин TEXT, Пароль TEXT, Группа TEXT);"
                              "grant all on Пользователи to okulyk_teacher;")
            << QStringLiteral("no column \"rowid\"");
        QTest::newRow("a row id that repeats")
            << QStringLiteral("create table Пользователи(Логин TEXT, Пароль TEXT, rowid bigint);"
                              "grant all on Пользователи to okulyk_teacher;")
            << QStringLiteral("not unique");
    } else {
        QTest::newRow("WITHOUT ROWID")
            << QStringLiteral("create table Пользователи(Логин TEXT PRIMARY KEY, Пароль TEXT, "
                              "Группа TEXT) without rowid;")
            << QStringLiteral("WITHOUT ROWID");
        QTest::newRow("column named rowid")
            << QStringLiteral("create table Пользователи(rowid TEXT, Логин TEXT, Пароль TEXT);")
            << QStringLiteral("\"rowid\"");
    }
    const QString view = QStringLiteral("create table Люди(Логин TEXT, Пароль TEXT);"
                                        "create view Пользователи as select * from Люди;");
    QTest::newRow("view") << view + (TestCourse::onServer()
                                         ? QStringLiteral("grant all on Пользователи to "
                                                          "okulyk_teacher;")
                                         : QString())
                          << QStringLiteral("view");
}

void SignInTest::tableWithoutRowOrderIsRefused()
{
    QFETCH(QString, table);
    QFETCH(QString, reason);
    const QString rows = QStringLiteral("insert into %1(Логин,Пароль) values('zed','pz');"
                                        "insert into %1(Логин,Пароль) values('Chief','admin');");
    const QString target = table.contains(QLatin1String("view")) ? QStringLiteral("Люди")
                                                                 : QStringLiteral("Пользователи");
    Program program(QStringLiteral("drop table Пользователи;") + table + rows.arg(target));
    // One clear box at start-up, naming the table and the reason, and the same one from the users
    // grid of user administration; no list was read.
    const QStringList errors = program.dialogs.texts(Dialogs::Kind::Error).mid(0, 1);
    QCOMPARE(program.dialogs.texts(Dialogs::Kind::Error), errors + errors);
    QVERIFY2(errors[0].contains(QStringLiteral("Пользователи")) && errors[0].contains(reason),
             qPrintable(errors[0]));
    QVERIFY(program.windows.form3()->logins().isEmpty());
    QVERIFY(program.windows.form3()->isVisible());

    // Every attempt, right or wrong, gives the same refusal and nothing opens.
    for (const auto& [login, password] :
         {std::pair{QStringLiteral("Chief"), QStringLiteral("admin")},
          std::pair{QStringLiteral("Chief"), QStringLiteral("pz")}}) {
        program.dialogs.clear();
        program.enter(login, password);
        QCOMPARE(program.dialogs.texts(Dialogs::Kind::Error), errors);
        QVERIFY(!program.signedIn());
    }
    QCOMPARE(program.windows.form1()->currentUser(), QStringLiteral("ghg"));
}

void SignInTest::closingBeforeSignInEndsTheProgram()
{
    Program program(kUsers);
    // Alt+F4 or the window manager's close: the program ends as on "Болдырмау".
    QVERIFY(!program.windows.form3()->close());
    QCOMPARE(m_exits, QList<int>{0});
    QCloseEvent event;
    QApplication::sendEvent(program.windows.form3(), &event);
    QVERIFY(!event.isAccepted());
    QCOMPARE(m_exits, QList<int>({0, 0}));
    QVERIFY(program.windows.form1()->isConcealed());

    // After a sign-in, the window's own close only hides it.
    program.enter(QStringLiteral("aigerim"), QStringLiteral("12345"));
    QVERIFY(program.signedIn());
    QCOMPARE(m_exits, QList<int>({0, 0}));
}

QTEST_MAIN(SignInTest)
#include "tst_signin.moc"
