// Roles: an ordinary user reaches no administrator function (the users window, the materials
// editing group, the question bank editor, editing of results) by the mouse, the keyboard (Tab,
// arrows in button groups, Space and Enter, mnemonics and shortcuts) or the order in which
// windows are shown; the administrator reaches each of them the same ways.

#include "Dialogs.h"
#include "FormWindow.h"
#include "LookupList.h"
#include "MainWindow.h"
#include "MaterialsWindow.h"
#include "Process.h"
#include "QuestionEditorWindow.h"
#include "ResultsModel.h"
#include "ResultsWindow.h"
#include "SignInWindow.h"
#include "TestCourse.h"
#include "TestHubWindow.h"
#include "TestWindow.h"
#include "UsersWindow.h"
#include "WindowRegistry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

int g_actionsTried = 0;

// Accounts of the test course: the administrator first, then logins that resemble it.
const QString kAccounts =
    QStringLiteral("insert into Пользователи(Логин,Пароль) values('Chief','pw');"
                   "insert into Пользователи(Логин,Пароль) values('aigerim','12345');"
                   "insert into Пользователи(Логин,Пароль) values('chief','1');"
                   "insert into Пользователи(Логин,Пароль) values('CHIEF','2');"
                   "insert into Пользователи(Логин,Пароль) values('Chief ','3');"
                   "insert into Пользователи(Логин,Пароль) values(' Chief','4');"
                   "insert into Пользователи(Логин,Пароль) values('Сhief','5');" // Cyrillic С
                   "insert into Пользователи(Логин,Пароль) values('ghg','6');"   // the placeholder
                   "insert into Пользователи(Логин,Пароль) values('','');"
                   "insert into Тесты(Пользователь, Верно) values('aigerim',20);insert into "
                   "Тесты(Пользователь, Верно) values('Chief',30);"
                   "insert into Лекции(НазваниеЛекции,АдресЛекции) values('Дәріс','/l/1.html');"
                   "insert into Видео(НазваниеВидео,АдресВидео) values('Бейне','/v/1.avi');"
                   "insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр)"
                   " values('Q','a','b','c','d','e',1);");

// The whole program on a scratch course, signed in through the sign-in window.
struct Session {
    Session()
    {
        course.exec(kAccounts);
        Process::setTerminateHook([this](int status) { exits << status; });
        windows.createAll();
        for (FormWindow* window :
             {static_cast<FormWindow*>(windows.form4()), static_cast<FormWindow*>(windows.form5())})
            QObject::connect(window, &FormWindow::shownFromHidden, window,
                             [this] { ++administratorWindowShows; });
        windows.form1()->show();
        before = course.contents();
    }
    ~Session() { Process::setTerminateHook({}); }

    bool signIn(const QString& login, const QString& password)
    {
        TForm3* form = windows.form3();
        auto* user = form->findChild<QLineEdit*>(QStringLiteral("UserName"));
        auto* secret = form->findChild<QLineEdit*>(QStringLiteral("Password"));
        user->setFocus();
        QTest::keyClick(user, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(user, Qt::Key_Delete);
        typeText(user, login);
        secret->setFocus();
        QTest::keyClick(secret, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(secret, Qt::Key_Delete);
        typeText(secret, password);
        QTest::keyClick(secret, Qt::Key_Return);
        return !form->isVisible();
    }

    // Every window a user has on screen now, the main window first.
    QList<FormWindow*> windowsOnScreen() const
    {
        QList<FormWindow*> shown;
        for (FormWindow* window : windows.creationOrder())
            if (window->isVisible() && !window->testAttribute(Qt::WA_DontShowOnScreen))
                shown << window;
        return shown;
    }

    // The administrator functions, each reachable or not.
    QStringList reachable() const
    {
        QStringList found;
        if (windows.form5()->isVisible() || administratorWindowShows > 0)
            found << QStringLiteral("administrator window shown");
        if (!windows.form1()->usersButton()->isHidden())
            found << QStringLiteral("users button");
        if (!windows.form7()->editingGroup()->isHidden())
            found << QStringLiteral("editing group");
        if (!windows.form8()->editTestButton()->isHidden())
            found << QStringLiteral("edit-test button");
        if (windows.form4()->isVisible())
            found << QStringLiteral("question bank editor");
        if (windows.form6()->model()->isEditable())
            found << QStringLiteral("editable results");
        if (course.contents() != before)
            found << QStringLiteral("tables changed");
        return found;
    }

    TestCourse course;
    DialogScript dialogs;
    WindowRegistry windows;
    QList<int> exits;
    int administratorWindowShows = 0;
    QMap<QString, QList<QVariantList>> before;
};

bool isAdministratorControl(const Session& session, const QWidget* widget)
{
    const QList<const QWidget*> controls = {session.windows.form1()->usersButton(),
                                            session.windows.form7()->editingGroup(),
                                            session.windows.form8()->editTestButton(),
                                            session.windows.form4(), session.windows.form5()};
    for (const QWidget* control : controls)
        if (widget == control || control->isAncestorOf(widget))
            return true;
    return false;
}

// Buttons that end the program or store a result are left alone: neither is an administrator
// function, and each would end the walk.
bool leftAlone(const Session& session, const QAbstractButton* button)
{
    return button->objectName() == QLatin1String("sSpeedButton3") &&
           session.windows.form2()->isAncestorOf(button);
}

// Presses every button a user can see in every window on screen, again in the windows these
// open, until no new button appears; after each press nothing of the administrator may be there.
QStringList pressEverything(Session& session)
{
    QSet<QAbstractButton*> pressed;
    for (bool more = true; more;) {
        more = false;
        for (FormWindow* window : session.windowsOnScreen()) {
            for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
                if (pressed.contains(button) || !button->isVisible() || !button->isEnabled() ||
                    leftAlone(session, button))
                    continue;
                pressed << button;
                more = true;
                ++g_actionsTried;
                QTest::mouseClick(button, Qt::LeftButton);
                const QStringList found = session.reachable();
                if (!found.isEmpty())
                    return QStringList{button->objectName()} + found;
            }
        }
    }
    return {};
}

// Walks each window's Tab chain; at every stop presses Space and Enter and the four arrows
// (which move and press within a group of toggle buttons), and tries Alt and Ctrl with every
// letter of the Latin and Kazakh alphabets.
QStringList walkKeyboard(Session& session)
{
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZАӘБВГҒДЕЁЖЗИЙКҚЛМНҢОӨПРСТУҰҮФХҺЦЧШЩЪЫІЬЭЮЯ");
    const Qt::Key moves[] = {Qt::Key_Right, Qt::Key_Down,  Qt::Key_Left,
                             Qt::Key_Up,    Qt::Key_Space, Qt::Key_Return};
    QSet<QWidget*> visited;
    for (FormWindow* window : session.windowsOnScreen()) {
        if (window == session.windows.form2())
            continue; // its only action that leaves the window stores a result
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            return {QStringLiteral("%1 cannot be activated").arg(window->objectName())};
        for (const QChar letter : letters) {
            for (const Qt::KeyboardModifier modifier : {Qt::AltModifier, Qt::ControlModifier}) {
                ++g_actionsTried;
                QWidget* target =
                    QApplication::focusWidget() ? QApplication::focusWidget() : window;
                QTest::sendKeyEvent(QTest::Click, target, Qt::Key(letter.unicode()),
                                    QString(letter.toLower()), modifier);
            }
        }
        if (const QStringList found = session.reachable(); !found.isEmpty())
            return QStringList{window->objectName() + QStringLiteral(" mnemonics")} + found;

        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            return {QStringLiteral("%1 cannot be activated").arg(window->objectName())};
        for (int step = 0; step < 60; ++step) {
            QWidget* focus = QApplication::focusWidget();
            if (!focus || focus->window() != window)
                break;
            if (isAdministratorControl(session, focus))
                return {QStringLiteral("Tab reached %1").arg(focus->objectName())};
            if (visited.contains(focus))
                break;
            visited << focus;
            if (qobject_cast<QAbstractButton*>(focus)) {
                for (const Qt::Key key : moves) {
                    ++g_actionsTried;
                    QTest::keyClick(
                        QApplication::focusWidget() ? QApplication::focusWidget() : focus, key);
                    if (const QStringList found = session.reachable(); !found.isEmpty())
                        return QStringList{focus->objectName() + QStringLiteral(" keys")} + found;
                    window->activateWindow();
                    focus->setFocus();
                }
            }
            QTest::keyClick(focus, Qt::Key_Tab);
        }
    }
    // The walk did reach the toggles next to the hidden ones.
    for (QWidget* expected : {static_cast<QWidget*>(session.windows.form1()->testButton()),
                              static_cast<QWidget*>(session.windows.form8()->resultsButton())})
        if (!visited.contains(expected))
            return {QStringLiteral("Tab never reached %1").arg(expected->objectName())};
    return {};
}

// The results grid of an ordinary user takes no change by any key or the mouse.
QStringList editResultsByKeyboard(Session& session)
{
    TForm8* hub = session.windows.form8();
    hub->showModeless();
    QTest::mouseClick(hub->resultsButton(), Qt::LeftButton);
    QTableView* grid = session.windows.form6()->grid();
    if (!grid->isVisible())
        return {QStringLiteral("results window not shown")};
    grid->setFocus();
    if (grid->model()->rowCount() > 0)
        grid->setCurrentIndex(grid->model()->index(0, 1));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {{Qt::Key_F2, {}},     {Qt::Key_3, {}},     {Qt::Key_Return, {}},
                {Qt::Key_Insert, {}}, {Qt::Key_Down, {}},  {Qt::Key_Delete, Qt::ControlModifier},
                {Qt::Key_Delete, {}}, {Qt::Key_Escape, {}}};
    for (const auto& key : keys) {
        ++g_actionsTried;
        QTest::keyClick(grid, key.key, key.modifiers);
    }
    if (grid->model()->rowCount() > 0)
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                           grid->visualRect(grid->model()->index(0, 1)).center());
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : grid;
    QTest::keyClicks(focus, "29");
    QTest::keyClick(focus, Qt::Key_Return);
    session.windows.form6()->close();
    return session.reachable();
}

void addOrdinaryAccounts()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::newRow("student") << QStringLiteral("aigerim") << QStringLiteral("12345");
    QTest::newRow("lower case") << QStringLiteral("chief") << QStringLiteral("1");
    QTest::newRow("upper case") << QStringLiteral("CHIEF") << QStringLiteral("2");
    QTest::newRow("trailing blank") << QStringLiteral("Chief ") << QStringLiteral("3");
    QTest::newRow("leading blank") << QStringLiteral(" Chief") << QStringLiteral("4");
    QTest::newRow("Cyrillic letter") << QStringLiteral("Сhief") << QStringLiteral("5");
    QTest::newRow("placeholder login") << QStringLiteral("ghg") << QStringLiteral("6");
    QTest::newRow("empty login") << QString() << QString();
}

} // namespace

class RolesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase();

    void administratorReachesEveryFunction();
    void nothingIsReachableBeforeSignIn();
    void ordinaryUserReachesNothingByMouse_data() { addOrdinaryAccounts(); }
    void ordinaryUserReachesNothingByMouse();
    void ordinaryUserReachesNothingByKeyboard_data() { addOrdinaryAccounts(); }
    void ordinaryUserReachesNothingByKeyboard();
    void showingWindowsAgainKeepsTheRole();
};

void RolesTest::cleanupTestCase()
{
    qInfo("roles: %d presses, keys and shortcuts tried as ordinary users", g_actionsTried);
}

// The control case: the same walks that find nothing for others find each function here.
void RolesTest::administratorReachesEveryFunction()
{
    Session session;
    QVERIFY(session.signIn(QStringLiteral("Chief"), QStringLiteral("pw")));
    TForm1* main = session.windows.form1();
    QVERIFY(main->usersButton()->isVisible());
    QTest::mouseClick(main->usersButton(), Qt::LeftButton);
    QVERIFY(session.windows.form5()->isVisible());
    QTest::mouseClick(main->lecturesButton(), Qt::LeftButton);
    QVERIFY(session.windows.form7()->editingGroup()->isVisible());
    QTest::mouseClick(main->testButton(), Qt::LeftButton);
    QVERIFY(session.windows.form8()->editTestButton()->isVisible());
    QTest::mouseClick(session.windows.form8()->editTestButton(), Qt::LeftButton);
    QVERIFY(session.windows.form4()->isVisible());
    QTest::mouseClick(session.windows.form8()->resultsButton(), Qt::LeftButton);
    QVERIFY(session.windows.form6()->model()->isEditable());

    // By the keyboard: an arrow from the test toggle moves to the users toggle and presses it.
    session.windows.form5()->close();
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    main->testButton()->setFocus();
    QTest::keyClick(main->testButton(), Qt::Key_Right);
    QVERIFY(main->usersButton()->hasFocus());
    QVERIFY(main->usersButton()->isChecked());
    QVERIFY(session.windows.form5()->isVisible());
    QVERIFY(session.exits.isEmpty());
}

// Until a sign-in succeeds only the sign-in window is on screen: the main window, whose users
// button is still in its designed state, is kept off the screen, and a refused attempt, even
// with the administrator's login, changes nothing.
void RolesTest::nothingIsReachableBeforeSignIn()
{
    Session session;
    QCOMPARE(session.windowsOnScreen(), QList<FormWindow*>{session.windows.form3()});
    QVERIFY(session.windows.form1()->isConcealed());
    QVERIFY(QApplication::activeWindow() != session.windows.form1());
    QVERIFY(!session.signIn(QStringLiteral("Chief"), QStringLiteral("PW")));
    QVERIFY(!session.signIn(QStringLiteral("Chief "), QStringLiteral("pw")));
    QCOMPARE(session.windowsOnScreen(), QList<FormWindow*>{session.windows.form3()});
    QVERIFY(session.windows.form1()->isConcealed());
    QVERIFY(session.windows.form7()->editingGroup()->isHidden());
    QVERIFY(session.windows.form8()->editTestButton()->isHidden());
    QVERIFY(!session.windows.form6()->model()->isEditable());
    QVERIFY(!session.windows.form4()->isVisible() && !session.windows.form5()->isVisible());

    // The sign-in window's own keys: its mnemonics are OK and Cancel, and nothing else acts.
    for (const char letter : QByteArray("ABCDEFGHIJKLMNPQRSTUVWXYZ")) {
        ++g_actionsTried;
        QTest::keyClick(session.windows.form3(), letter, Qt::AltModifier);
    }
    QCOMPARE(session.windowsOnScreen(), QList<FormWindow*>{session.windows.form3()});
    QVERIFY(session.exits.isEmpty());
}

void RolesTest::ordinaryUserReachesNothingByMouse()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    Session session;
    QVERIFY(session.signIn(login, password));
    QCOMPARE(session.windows.form1()->currentUser(), login);
    QVERIFY2(session.reachable().isEmpty(), qPrintable(session.reachable().join(u',')));
    const QStringList found = pressEverything(session);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u',')));
    // Every window an ordinary user can open was opened.
    for (FormWindow* window : {static_cast<FormWindow*>(session.windows.form7()),
                               static_cast<FormWindow*>(session.windows.form8()),
                               static_cast<FormWindow*>(session.windows.form6()),
                               static_cast<FormWindow*>(session.windows.form2())})
        QVERIFY2(window->isVisible(), qPrintable(window->objectName()));
    const QStringList edited = editResultsByKeyboard(session);
    QVERIFY2(edited.isEmpty(), qPrintable(edited.join(u',')));
    QVERIFY(session.exits.isEmpty());
}

void RolesTest::ordinaryUserReachesNothingByKeyboard()
{
    QFETCH(QString, login);
    QFETCH(QString, password);
    Session session;
    QVERIFY(session.signIn(login, password));
    TForm1* main = session.windows.form1();
    // The windows an ordinary user can have open, each after its own button.
    QTest::mouseClick(main->lecturesButton(), Qt::LeftButton);
    QTest::mouseClick(main->testButton(), Qt::LeftButton);
    QTest::mouseClick(session.windows.form8()->resultsButton(), Qt::LeftButton);
    QCOMPARE(session.windowsOnScreen().size(), 4);
    const QStringList found = walkKeyboard(session);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u',')));
    QVERIFY(session.exits.isEmpty());
}

// Closing and showing the windows again in any order never brings back what the role hides:
// the hub decides its button from the signed-in login at each show, and the results the
// hub's copy at each press of its button.
void RolesTest::showingWindowsAgainKeepsTheRole()
{
    Session session;
    TForm8* hub = session.windows.form8();
    QCOMPARE(hub->userCopy(), TForm1::kNoUser); // built before anyone signed in
    QVERIFY(session.signIn(QStringLiteral("aigerim"), QStringLiteral("12345")));
    TForm1* main = session.windows.form1();
    for (int round = 0; round < 3; ++round) {
        QTest::mouseClick(main->testButton(), Qt::LeftButton);
        QCOMPARE(hub->userCopy(), QStringLiteral("aigerim"));
        QTest::mouseClick(hub->resultsButton(), Qt::LeftButton);
        QCOMPARE(session.windows.form6()->model()->rowCount(), 1);
        QTest::mouseClick(main->videoButton(), Qt::LeftButton);
        QTest::mouseClick(hub->takeTestButton(), Qt::LeftButton);
        QVERIFY2(session.reachable().isEmpty(), qPrintable(session.reachable().join(u',')));
        // Each closed window is shown again by its own button in the next round.
        const QList<FormWindow*> shown = session.windowsOnScreen();
        for (FormWindow* window : shown)
            if (window != main)
                window->close();
    }
    // Minimising and restoring the main window is not a new show: the sign-in stays closed.
    main->showMinimized();
    main->showNormal();
    QVERIFY(!session.windows.form3()->isVisible());
    QVERIFY(session.reachable().isEmpty());
    QVERIFY(session.exits.isEmpty());
}

QTEST_MAIN(RolesTest)
#include "tst_roles.moc"
