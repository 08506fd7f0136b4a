// Start-up, the window registry, the on-show rule, the main window, help and the error model.

#include "AppError.h"
#include "AuthorsWindow.h"
#include "Connection.h"
#include "Dialogs.h"
#include "ErrorReport.h"
#include "FormWindow.h"
#include "HelpViewer.h"
#include "MainWindow.h"
#include "PictureButton.h"
#include "PictureLabel.h"
#include "Process.h"
#include "Startup.h"
#include "TestCourse.h"
#include "TestHubWindow.h"
#include "ToolkitTranslation.h"
#include "WindowRegistry.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHelpIndexWidget>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

namespace {

class CountingWindow : public FormWindow {
public:
    int shows = 0;
    bool failOnShow = false;

protected:
    void onShowing() override
    {
        ++shows;
        if (failOnShow)
            throw AppError(QStringLiteral("show failed"));
    }
};

} // namespace

class ShellTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void errorBoxTitleAndFullStop();
    void toolkitDialogsSpeakRussian();
    void fatalReportNamesTypeModuleAndOffset();
    void startupWithMissingDatabaseReportsEachFailureAndGoesOn();
    void startupReportsEachDataSetInCreationOrder();
    void errorEscapingStartupEndsWithStatusOne();
    void windowsAreCreatedOnceInFixedOrder();
    void onShowRunsOnlyFromHiddenToShown();
    void onShowErrorIsReportedAndWindowStillShows();
    void mainWindowLayoutAndToggles();
    void mainWindowStaysOutOfSightWhileConcealed();
    void closingMainWindowEndsProgram();
    void authorsWindowOpensAtItsPlace();
    void testButtonOpensHubOnce();
    void missingHelpGivesClearMessage();
    void helpOpensAtKeywordIndex();

private:
    QList<int> m_exits;
};

void ShellTest::init()
{
    m_exits.clear();
    Process::setTerminateHook([this](int status) { m_exits << status; });
}

void ShellTest::cleanup()
{
    Process::setTerminateHook({});
}

void ShellTest::errorBoxTitleAndFullStop()
{
    QCOMPARE(ErrorReport::titleFromProgramPath(QStringLiteral("/opt/x/okulyk")),
             QStringLiteral("Okulyk"));
    QCOMPARE(ErrorReport::titleFromProgramPath(QStringLiteral("C:/Prog/OKULYK.EXE")),
             QStringLiteral("Okulyk"));
    QCOMPARE(ErrorReport::withFullStop(QStringLiteral("no such table: X")),
             QStringLiteral("no such table: X."));
    QCOMPARE(ErrorReport::withFullStop(QStringLiteral("Done.")), QStringLiteral("Done."));
    QCOMPARE(ErrorReport::withFullStop(QStringLiteral("Stop!")), QStringLiteral("Stop!"));
    QCOMPARE(ErrorReport::withFullStop(QStringLiteral("trailing ")), QStringLiteral("trailing "));
    QCOMPARE(ErrorReport::withFullStop(QStringLiteral("ends in /")), QStringLiteral("ends in /."));
    QCOMPARE(ErrorReport::withFullStop(QString()), QString());

    DialogScript script;
    ErrorReport::showError(AppError(QStringLiteral("Қате")));
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown()[0].kind, Dialogs::Kind::Error);
    QCOMPARE(script.shown()[0].text, QStringLiteral("Қате."));
    QCOMPARE(script.shown()[0].title, ErrorReport::applicationTitle());
}

void ShellTest::fatalReportNamesTypeModuleAndOffset()
{
    const QString text = ErrorReport::fatalReportText(AppError(QStringLiteral("Broken")));
    QVERIFY2(
        QRegularExpression(
            QStringLiteral("^Exception AppError in module \\S+ at [0-9A-F]{8}\\.\nBroken\\.\n$"))
            .match(text)
            .hasMatch(),
        qPrintable(text));
    DialogScript script;
    ErrorReport::showFatal(std::runtime_error("bad alloc"));
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown()[0].title, QStringLiteral("Application Error"));
    QVERIFY(script.shown()[0].text.startsWith(
        QStringLiteral("Exception std::runtime_error in module ")));
}

void ShellTest::startupWithMissingDatabaseReportsEachFailureAndGoesOn()
{
    TestCourse course(TestCourse::Database::None);
    DialogScript script;
    WindowRegistry windows;
    windows.createAll();

    const QStringList texts = script.texts(Dialogs::Kind::Error);
    if (TestCourse::onServer()) {
        // A server that cannot be reached is one box that names it and says what to check,
        // not one per data set.
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].contains(QStringLiteral("does not exist")) &&
                     texts[0].contains(QStringLiteral("server:") + TestCourse::serviceName()) &&
                     texts[0].contains(QStringLiteral("Тексеріңіз")),
                 qPrintable(texts[0]));
    } else {
        // One box for the connection, then one for each data set that its window opens while
        // it is built, in creation order, then the failed creation handlers. Main window: the
        // connection. Test window: its seven column lists, then its preparation. Sign-in: its
        // two lists, then its creation handler. Question bank editor: its editing query. User
        // administration: its users table. Results: its query. Materials: its three lists,
        // then its creation handler.
        QCOMPARE(texts.size(), 1 + (7 + 1) + (2 + 1) + 1 + 1 + 1 + (3 + 1));
        for (const QString& text : texts)
            QVERIFY2(text.contains(QStringLiteral("does not exist")), qPrintable(text));
    }
    QVERIFY(!QFile::exists(course.dbPath()));
    QVERIFY(m_exits.isEmpty());
    QCOMPARE(windows.form1()->currentUser(), QStringLiteral("ghg"));
}

// A database without any table: every data set names its own table, so the order of the boxes
// shows the order in which the windows and their data sets are built.
void ShellTest::startupReportsEachDataSetInCreationOrder()
{
    TestCourse course(TestCourse::Database::Empty);
    DialogScript script;
    WindowRegistry windows;
    windows.createAll();

    auto missing = [](const char* table, int times) {
        return QStringList(times, TestCourse::noSuchTable(QString::fromUtf8(table)));
    };
    const QStringList expected =
        missing("БДТест", 7 + 1)         // test taking: seven column lists, its preparation
        + missing("Пользователи", 2 + 1) // sign-in: two lists, its creation handler
        + missing("БДТест", 1)           // question bank editor: its editing query
        + missing("Пользователи", 1)     // user administration: its users table
        + missing("Тесты", 1)            // results: its query
        + missing("Лекции", 1) + missing("Лабы", 1) + missing("Видео", 1) // materials: lists,
        + missing("Лекции", 1); // then its creation handler, at the first list again
    QCOMPARE(script.texts(Dialogs::Kind::Error), expected);
    QCOMPARE(script.texts(), expected); // nothing but error boxes
    QVERIFY(m_exits.isEmpty());
}

void ShellTest::errorEscapingStartupEndsWithStatusOne()
{
    DialogScript script;
    bool shown = false;
    const int status = Startup::run([] { throw AppError(QStringLiteral("Window broken")); },
                                    [&shown] { shown = true; });
    QCOMPARE(status, 1);
    QVERIFY(!shown);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown()[0].kind, Dialogs::Kind::Fatal);
    QVERIFY(script.shown()[0].text.endsWith(QStringLiteral("\nWindow broken.\n")));
}

void ShellTest::windowsAreCreatedOnceInFixedOrder()
{
    TestCourse course;
    DialogScript script;
    WindowRegistry windows;
    windows.createAll();
    QVERIFY2(script.shown().isEmpty(), qPrintable(script.texts().join(QLatin1Char('\n'))));

    QStringList names;
    for (const FormWindow* window : windows.creationOrder())
        names << window->objectName();
    QCOMPARE(names.constFirst(), QStringLiteral("Form1"));
    QStringList sorted = names;
    sorted.sort();
    QCOMPARE(names, sorted); // Form1 .. Form9, each once, none out of place
    QCOMPARE(names.removeDuplicates(), 0);
    for (const FormWindow* window : windows.creationOrder())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

void ShellTest::onShowRunsOnlyFromHiddenToShown()
{
    CountingWindow window;
    window.showModeless();
    QCOMPARE(window.shows, 1);
    window.showModeless(); // already visible: only brought to the front
    window.show();
    QCOMPARE(window.shows, 1);

    window.showMinimized();
    QVERIFY(window.isMinimized());
    window.showModeless(); // restoring a minimised window is not a show
    QVERIFY(!window.isMinimized());
    QCOMPARE(window.shows, 1);

    window.close();
    QVERIFY(!window.isVisible());
    window.showModeless();
    QCOMPARE(window.shows, 2);
}

void ShellTest::onShowErrorIsReportedAndWindowStillShows()
{
    DialogScript script;
    CountingWindow window;
    window.failOnShow = true;
    window.showModeless();
    QVERIFY(window.isVisible());
    QCOMPARE(script.texts(Dialogs::Kind::Error), QStringList{QStringLiteral("show failed.")});
}

void ShellTest::mainWindowLayoutAndToggles()
{
    TestCourse course;
    DialogScript script;
    TForm1 form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Электронды окулыгы"));
    QCOMPARE(form.size(), QSize(804, 553));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(form.currentUser(), QStringLiteral("ghg"));
    QCOMPARE(form.currentUserPanel()->font().pixelSize(), 21);
    QVERIFY(form.currentUserPanel()->font().bold());

    const QList<QAbstractButton*> row = {form.lecturesButton(), form.labsButton(),
                                         form.videoButton(), form.testButton(), form.usersButton()};
    const QStringList captions = {QStringLiteral("Дәрістер"),
                                  QStringLiteral("Лабораторлық жұмыстар"), QStringLiteral("Видео"),
                                  QStringLiteral("Тест"), QStringLiteral("Қолданушылар")};
    for (int i = 0; i < row.size(); ++i) {
        QCOMPARE(row[i]->text(), captions[i]);
        QVERIFY(row[i]->isCheckable());
        QVERIFY(!row[i]->isChecked());
        QCOMPARE(row[i]->font().pixelSize(), 16);
        QVERIFY(!static_cast<PictureButton*>(row[i])->picture().isNull());
    }
    // The bottom panel starts 16 pixels left of the client area, so the first button is flush left.
    QCOMPARE(form.lecturesButton()->mapTo(&form, QPoint(0, 0)), QPoint(0, 488));
    QCOMPARE(form.usersButton()->mapTo(&form, QPoint(0, 0)), QPoint(616, 488));

    form.show();
    QTest::mouseClick(form.videoButton(), Qt::LeftButton);
    QVERIFY(form.videoButton()->isChecked());
    QTest::mouseClick(form.lecturesButton(), Qt::LeftButton);
    QVERIFY(form.lecturesButton()->isChecked());
    QVERIFY(!form.videoButton()->isChecked());
    QTest::mouseClick(form.lecturesButton(), Qt::LeftButton);
    QVERIFY(form.lecturesButton()->isChecked()); // one always stays down
    int down = 0;
    for (auto* button : row)
        down += button->isChecked();
    QCOMPARE(down, 1);
    QVERIFY(script.shown().isEmpty());
}

void ShellTest::mainWindowStaysOutOfSightWhileConcealed()
{
    TestCourse course;
    TForm1 form;
    CountingWindow signIn;
    TForm1::Targets targets;
    targets.signIn = &signIn;
    form.setTargets(targets);
    QObject::connect(&signIn, &FormWindow::shownFromHidden, &form,
                     [&form] { form.setAlphaBlend(true, 0); });

    form.show();
    QCOMPARE(signIn.shows, 1);
    QVERIFY(form.isConcealed());
    QVERIFY(form.testAttribute(Qt::WA_DontShowOnScreen));
    QCOMPARE(form.windowOpacity(), 0.0);

    form.setAlphaBlend(false);
    QVERIFY(form.isVisible());
    QVERIFY(!form.testAttribute(Qt::WA_DontShowOnScreen));
    QCOMPARE(form.windowOpacity(), 1.0);
    QCOMPARE(signIn.shows, 1); // revealing is not a new show
}

void ShellTest::closingMainWindowEndsProgram()
{
    TestCourse course;
    WindowRegistry windows;
    windows.createAll();
    windows.form1()->show();
    windows.form9()->showModeless();
    QVERIFY(windows.form1()->close());
    QCOMPARE(m_exits, QList<int>{0});
}

void ShellTest::authorsWindowOpensAtItsPlace()
{
    TestCourse course;
    WindowRegistry windows;
    windows.createAll();
    QTest::mouseClick(windows.form1()->findChild<QAbstractButton*>(QStringLiteral("authorsButton")),
                      Qt::LeftButton);
    QWidget* authors = windows.form9();
    QVERIFY(authors->isVisible());
    QCOMPARE(authors->windowTitle(), QStringLiteral("Авторы"));
    QCOMPARE(authors->size(), QSize(345, 153));
    QCOMPARE(authors->pos(), QPoint(509, 210));
    const auto* picture = authors->findChild<PictureLabel*>(QStringLiteral("picture"));
    QCOMPARE(picture->geometry(), QRect(0, 0, 345, 153));
    QVERIFY(!picture->picture().isNull());
}

void ShellTest::testButtonOpensHubOnce()
{
    TestCourse course;
    WindowRegistry windows;
    windows.createAll();
    windows.form1()->show();
    int hubShows = 0;
    connect(windows.form8(), &FormWindow::shownFromHidden, this, [&hubShows] { ++hubShows; });
    QTest::mouseClick(windows.form1()->testButton(), Qt::LeftButton);
    QVERIFY(windows.form8()->isVisible());
    QTest::mouseClick(windows.form1()->testButton(), Qt::LeftButton);
    QCOMPARE(hubShows, 1); // an open hub is only brought to the front
    QVERIFY(windows.form1()->testButton()->isChecked());
}

void ShellTest::missingHelpGivesClearMessage()
{
    TestCourse course;
    DialogScript script;
    TForm1 form;
    QTest::mouseClick(form.findChild<QAbstractButton*>(QStringLiteral("helpButton")),
                      Qt::LeftButton);
    const QStringList errors = script.texts(Dialogs::Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QStringLiteral("help.qhc")), qPrintable(errors[0]));
}

void ShellTest::helpOpensAtKeywordIndex()
{
    const QString courseDir = QStringLiteral(OKULYK_COURSE_OUT);
    QVERIFY2(QFile::exists(courseDir + QStringLiteral("/help.qhc")),
             "the demo course is built with the tests");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(courseDir);
    DialogScript script;
    HelpViewer::openKeywordIndex(TForm1::kHelpFile);
    QDir::setCurrent(previous);
    QVERIFY(script.shown().isEmpty());
    QWidget* viewer = HelpViewer::window();
    QVERIFY(viewer && viewer->isVisible());
    auto* index = viewer->findChild<QHelpIndexWidget*>(QStringLiteral("helpIndex"));
    QVERIFY(index);
    QTRY_VERIFY(index->model()->rowCount() > 10);
}

// The file chooser and the standard buttons in a language the users read: Debian has no Kazakh
// for the toolkit, so Russian (qt6-translations-l10n, which scripts/deps installs).
void ShellTest::toolkitDialogsSpeakRussian()
{
    QCOMPARE(ToolkitTranslation::install(*QCoreApplication::instance()), QStringLiteral("ru"));
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
    const QString open = QCoreApplication::translate("QFileDialog", "Open");
    const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    for (auto* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    QCOMPARE(cancel, QStringLiteral("Отмена"));
    QCOMPARE(open, QStringLiteral("Открыть"));
    QCOMPARE(lookIn, QStringLiteral("Перейти к:"));
}

QTEST_MAIN(ShellTest)
#include "tst_shell.moc"
