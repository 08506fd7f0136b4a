// Where the installed program works: the command line, the school's configuration file, and the
// user's own copy of the demo course made on the first start.

#include "AppError.h"
#include "CourseFolder.h"
#include "TestCourse.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A demo course as it is installed: read-only files, stored paths naming where it was built to
// be installed.
struct InstalledDemo {
    explicit InstalledDemo(const QString& builtFor) : built(builtFor)
    {
        course.exec(
            QStringLiteral(
                "insert into Лекции(НазваниеЛекции,АдресЛекции) values('A','%1/lectures/a.html');"
                "insert into Лекции(НазваниеЛекции,АдресЛекции) "
                "values('Сыртқы','/srv/other/b.html');"
                "insert into Лабы(НазваниеЛабы,АдресЛабы) values('L','%1/labs/l.html');"
                "insert into Видео(НазваниеВидео,АдресВидео) values('V','%1/videos/v.avi');")
                .arg(builtFor));
        writeFile(course.dir() + QStringLiteral("/lectures/a.html"), "<p>a</p>");
        writeFile(course.dir() + QStringLiteral("/videos/v.avi"), "v");
        for (const QString& name : {QStringLiteral("db.mdb"), QStringLiteral("lectures/a.html")})
            QFile::setPermissions(course.dir() + QLatin1Char('/') + name, QFileDevice::ReadOwner);
    }
    ~InstalledDemo()
    {
        QFile::setPermissions(course.dbPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    QString built;
    TestCourse course;
};

QStringList storedPaths(const QString& db)
{
    TestCourse reader(TestCourse::Database::None);
    QFile::copy(db, reader.dbPath());
    return reader.column(QStringLiteral("select АдресЛекции from Лекции union all "
                                        "select АдресЛабы from Лабы union all "
                                        "select АдресВидео from Видео"));
}

} // namespace

class InstallTest : public QObject {
    Q_OBJECT
private slots:
    void commandLine_data();
    void commandLine();
    void configurationNamesTheSharedFolder_data();
    void configurationNamesTheSharedFolder();
    void firstStartCopiesTheDemoCourse();
    void copyIsMadeOnceAndNeverOverFiles();
};

void InstallTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("folder");
    using Kind = CourseFolder::Request::Kind;
    QTest::newRow("nothing") << QStringList{} << int(Kind::Here) << QString();
    QTest::newRow("course") << QStringList{"--course", "/srv/курс"} << int(Kind::Folder)
                            << QStringLiteral("/srv/курс");
    QTest::newRow("course=") << QStringList{"--course=/a b"} << int(Kind::Folder)
                             << QStringLiteral("/a b");
    QTest::newRow("menu") << QStringList{"--default-course"} << int(Kind::Default) << QString();
    QTest::newRow("help") << QStringList{"--help"} << int(Kind::Help) << QString();
    QTest::newRow("no folder") << QStringList{"--course"} << int(Kind::Invalid) << QString();
    QTest::newRow("unknown") << QStringList{"--db", "x"} << int(Kind::Invalid) << QString();
}

void InstallTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, kind);
    QFETCH(QString, folder);
    const auto request = CourseFolder::parse(QStringList{QStringLiteral("okulyk")} + arguments);
    QCOMPARE(int(request.kind), kind);
    QCOMPARE(request.folder, folder);
    QCOMPARE(request.error.isEmpty(), kind != int(CourseFolder::Request::Kind::Invalid));
}

void InstallTest::configurationNamesTheSharedFolder_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("expected");
    const QString own = QStringLiteral("/home/u/.local/share/okulyk/course");
    QTest::newRow("no file") << QByteArray() << own;
    QTest::newRow("commented out") << QByteArray("# course = /srv/x\n") << own;
    QTest::newRow("shared folder")
        << QByteArray("# the school's course\n  course =  /srv/мектеп/курс/  \n")
        << QStringLiteral("/srv/мектеп/курс");
    QTest::newRow("empty value") << QByteArray("course =\n") << own;
    QTest::newRow("other keys") << QByteArray("courses = /x\ncolour = red\n") << own;
}

void InstallTest::configurationNamesTheSharedFolder()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("okulyk.conf"));
    if (!config.isEmpty())
        writeFile(file, config);
    QCOMPARE(
        CourseFolder::defaultFolder(file, QStringLiteral("/home/u/.local/share/okulyk/course")),
        expected);
}

void InstallTest::firstStartCopiesTheDemoCourse()
{
    InstalledDemo demo(QStringLiteral("/usr/share/okulyk/course"));
    QTemporaryDir home;
    const QString own = home.filePath(QStringLiteral(".local/share/okulyk/course"));
    const QString previous = QDir::currentPath();
    CourseFolder::ensureCopy(demo.course.dir(), {demo.course.dir(), demo.built}, own);
    QCOMPARE(QDir::currentPath(), previous);
    QVERIFY(!QFileInfo::exists(own + QStringLiteral(".new")));

    // The user may change the copy; its paths name the copy, other paths are left as they were.
    QVERIFY(QFileInfo(own + QStringLiteral("/db.mdb")).isWritable());
    QVERIFY(QFileInfo(own + QStringLiteral("/lectures/a.html")).isWritable());
    QCOMPARE(
        storedPaths(own + QStringLiteral("/db.mdb")),
        QStringList({own + QStringLiteral("/lectures/a.html"), QStringLiteral("/srv/other/b.html"),
                     own + QStringLiteral("/labs/l.html"), own + QStringLiteral("/videos/v.avi")}));
    // The installed course is untouched.
    QCOMPARE(storedPaths(demo.course.dbPath()).constFirst(),
             demo.built + QStringLiteral("/lectures/a.html"));
}

void InstallTest::copyIsMadeOnceAndNeverOverFiles()
{
    InstalledDemo demo(QStringLiteral("/usr/share/okulyk/course"));
    QTemporaryDir home;
    const QString own = home.filePath(QStringLiteral("course"));
    CourseFolder::ensureCopy(demo.course.dir(), {demo.built}, own);
    // A second start keeps what the user stored.
    writeFile(own + QStringLiteral("/mine.txt"), "mine");
    CourseFolder::ensureCopy(demo.course.dir(), {demo.built}, own);
    QVERIFY(QFile::exists(own + QStringLiteral("/mine.txt")));

    // A folder of the user's without db.mdb is never emptied for the copy.
    const QString other = home.filePath(QStringLiteral("other"));
    writeFile(other + QStringLiteral("/notes.txt"), "notes");
    QString message;
    try {
        CourseFolder::ensureCopy(demo.course.dir(), {demo.built}, other);
    } catch (const AppError& error) {
        message = error.message();
    }
    QVERIFY2(message.contains(other), qPrintable(message));
    QVERIFY(QFile::exists(other + QStringLiteral("/notes.txt")));
    QVERIFY(!QFile::exists(other + QStringLiteral("/db.mdb")));
    QVERIFY(!QFileInfo::exists(other + QStringLiteral(".new")));

    // No demo course: a clear error, nothing made.
    message.clear();
    try {
        CourseFolder::ensureCopy(home.filePath(QStringLiteral("none")), {},
                                 home.filePath(QStringLiteral("x")));
    } catch (const AppError& error) {
        message = error.message();
    }
    QVERIFY2(message.contains(QStringLiteral("none")), qPrintable(message));
    QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("x"))));
}

QTEST_MAIN(InstallTest)
#include "tst_install.moc"
