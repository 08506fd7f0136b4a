// The demo course laid out by the build: a database the program can open, a question bank a
// test can be drawn from, and material paths that point at files which exist.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sqlite3.h>

namespace {

class CourseDb {
public:
    explicit CourseDb(const QString& path)
    {
        sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    }
    ~CourseDb() { sqlite3_close(m_db); }

    QStringList column(const char* sql) const
    {
        QStringList values;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return {QStringLiteral("<error: %1>").arg(QString::fromUtf8(sqlite3_errmsg(m_db)))};
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            values << QString::fromUtf8(text ? text : "");
        }
        sqlite3_finalize(statement);
        return values;
    }

private:
    sqlite3* m_db = nullptr;
};

QString courseDir()
{
    return QStringLiteral(OKULYK_COURSE_OUT);
}

} // namespace

class CourseTest : public QObject {
    Q_OBJECT
private slots:
    void questionBankIsUsable();
    void usersIncludeAdministratorAndStudents();
    void everyMaterialPathExists();
    void blankPageAndHelpArePresent();
};

void CourseTest::questionBankIsUsable()
{
    CourseDb db(courseDir() + QStringLiteral("/db.mdb"));
    const QStringList rights = db.column("select ОтветПр from БДТест");
    QVERIFY2(rights.size() >= 40, qPrintable(rights.join(QLatin1Char(','))));
    for (int answer = 1; answer <= 5; ++answer)
        QVERIFY2(rights.count(QString::number(answer)) >= 5, qPrintable(QString::number(answer)));
    QCOMPARE(rights.size(), rights.count(QStringLiteral("1")) + rights.count(QStringLiteral("2")) +
                                rights.count(QStringLiteral("3")) +
                                rights.count(QStringLiteral("4")) +
                                rights.count(QStringLiteral("5")));
    const QStringList empty =
        db.column("select Код from БДТест where coalesce(Вопрос,'')='' or "
                  "coalesce(Ответ1,'')='' or coalesce(Ответ2,'')='' or coalesce(Ответ3,'')='' "
                  "or coalesce(Ответ4,'')='' or coalesce(Ответ5,'')=''");
    QVERIFY2(empty.isEmpty(), qPrintable(empty.join(QLatin1Char(','))));
}

void CourseTest::usersIncludeAdministratorAndStudents()
{
    CourseDb db(courseDir() + QStringLiteral("/db.mdb"));
    const QStringList logins = db.column("select Логин from Пользователи");
    QCOMPARE(logins.count(QStringLiteral("Chief")), 1);
    QVERIFY(logins.size() >= 3);
}

void CourseTest::everyMaterialPathExists()
{
    CourseDb db(courseDir() + QStringLiteral("/db.mdb"));
    const QStringList paths =
        db.column("select АдресЛекции from Лекции union all select АдресЛабы from Лабы "
                  "union all select АдресВидео from Видео");
    QVERIFY(paths.size() >= 8);
    bool hasPdf = false;
    QStringList videoSuffixes;
    for (const QString& path : paths) {
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QVERIFY2(QDir::isAbsolutePath(path), qPrintable(path));
        hasPdf = hasPdf || path.endsWith(QLatin1String(".pdf"));
        videoSuffixes << QFileInfo(path).suffix();
    }
    QVERIFY(hasPdf);
    for (const char* suffix : {"avi", "mpg", "wmv"})
        QVERIFY2(videoSuffixes.contains(QLatin1String(suffix)), suffix);
}

void CourseTest::blankPageAndHelpArePresent()
{
    for (const char* name : {"Clear.htm", "help.qhc", "help.qch"})
        QVERIFY2(QFile::exists(courseDir() + QLatin1Char('/') + QLatin1String(name)), name);
}

QTEST_GUILESS_MAIN(CourseTest)
#include "tst_course.moc"
