// The teacher's live view of the lab, on a throw-away cluster (with-server.sh): a simulated lesson
// of 30 lab computers appears as it happens, by group, with its counts, moved by the server's
// announcements; a db.mdb course and a lab computer's role are told why there is no view.

#include "LivePage.h"
#include "TeacherWindow.h"
#include "TestCourse.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

// Runs the lesson driver for the course as the given role; returns its standard output.
QProcess* lesson(const TestCourse& course, TestCourse::Role role, const QStringList& arguments)
{
    auto* driver = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGSERVICEFILE"), course.serviceFileFor(role));
    driver->setProcessEnvironment(environment);
    driver->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver->start(QStringLiteral(OKULYK_LAB_LESSON), arguments);
    return driver;
}

LivePage* openLivePage(TeacherWindow& window)
{
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("Tools"));
    auto* page = window.findChild<LivePage*>(QStringLiteral("LivePage"));
    tabs->setCurrentWidget(page);
    return page;
}

} // namespace

class LiveTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void lessonOfThirtyComputers();
    void noViewWithoutTheTeachersServerRole();
};

void LiveTest::initTestCase()
{
    QVERIFY2(TestCourse::onServer(), "this suite runs on a server only: tests/with-server.sh");
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("okulyk-tests"));
}

void LiveTest::lessonOfThirtyComputers()
{
    TestCourse course;
    const QString service = TestCourse::serviceName();
    std::unique_ptr<QProcess> setup(
        lesson(course, TestCourse::Role::Teacher, {QStringLiteral("--setup"), service}));
    QVERIFY(setup->waitForFinished(60000));
    QCOMPARE(setup->exitCode(), 0);

    TeacherWindow window;
    window.openCourse(CourseLocation::server(service));
    window.resize(1000, 700);
    window.show();
    LivePage* page = openLivePage(window);
    QTRY_COMPARE(page->counts(),
                 QStringLiteral("Кірген: 0 · Тест үстінде: 0 · Тапсырған: 0 · Сәтсіз кіру: 0"));

    // 30 computers over 3 seconds, three not submitting, every fourth mistyping first. The view
    // follows within the server's announcements: well before its own 15-second look.
    std::unique_ptr<QProcess> lab(lesson(course, TestCourse::Role::Lab,
                                         {service, QStringLiteral("--seconds"), QStringLiteral("3"),
                                          QStringLiteral("--hold"), QStringLiteral("30")}));
    QTRY_COMPARE_WITH_TIMEOUT(
        page->counts(),
        QStringLiteral("Кірген: 30 · Тест үстінде: 3 · Тапсырған: 27 · Сәтсіз кіру: 7"), 12000);
    QString tally;
    QTRY_VERIFY_WITH_TIMEOUT(
        (tally += QString::fromUtf8(lab->readAllStandardOutput())).contains("submitted 27"), 15000);

    // By group: ИС-21 and ИС-22, fifteen students each, every one on a computer of the lab.
    auto* students = page->findChild<QTreeWidget*>(QStringLiteral("LiveStudents"));
    QCOMPARE(students->topLevelItemCount(), 2);
    QVERIFY2(students->topLevelItem(0)->text(0).startsWith(QStringLiteral("ИС-21 — 15 оқушы")),
             qPrintable(students->topLevelItem(0)->text(0)));
    const QTreeWidgetItem* first = students->topLevelItem(0)->child(0);
    QCOMPARE(first->text(0), QStringLiteral("оқушы01"));
    QCOMPARE(first->text(1), QStringLiteral("PC-01"));
    QVERIFY(!first->text(2).isEmpty());
    auto* failures = page->findChild<QTableWidget*>(QStringLiteral("LiveFailures"));
    QCOMPARE(failures->rowCount(), 1); // every simulated computer has the address of this one
    QCOMPARE(failures->item(0, 1)->text(), QStringLiteral("7"));
    if (!qEnvironmentVariableIsEmpty("OKULYK_SHOTS"))
        window.grab().save(qEnvironmentVariable("OKULYK_SHOTS") + QStringLiteral("/live.png"));

    // The programs close: nobody is signed in, the results stay.
    lab->kill();
    lab->waitForFinished();
    QTRY_VERIFY_WITH_TIMEOUT((page->refresh(), page->lesson().signedIn == 0), 10000);
    QCOMPARE(page->lesson().submitted, 27);
    QCOMPARE(students->topLevelItem(0)->child(0)->text(1), QStringLiteral("шықты"));
}

void LiveTest::noViewWithoutTheTeachersServerRole()
{
    TestCourse course;
    TeacherWindow window;
    window.openCourse(CourseLocation::file(course.dir() + QStringLiteral("/db.mdb")));
    window.show();
    LivePage* page = openLivePage(window);
    QVERIFY2(page->state().contains(QStringLiteral("серверіндегі курспен ғана")),
             qPrintable(page->state()));
    course.useRole(TestCourse::Role::Lab);
    window.openCourse(CourseLocation::server(TestCourse::serviceName()));
    QVERIFY2(page->state().contains(QStringLiteral("мұғалімнің компьютерінен")),
             qPrintable(page->state()));
}

QTEST_MAIN(LiveTest)
#include "tst_live.moc"
