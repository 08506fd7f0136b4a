// The data store: the connection and its faults, the statement sequence, the catalogue run
// against the real schema, column caches, row order, and the Unicode-aware LIKE.

#include "AppError.h"
#include "ColumnCache.h"
#include "Connection.h"
#include "Query.h"
#include "RowIdList.h"
#include "Statements.h"
#include "TestCourse.h"
#include "UnicodeLike.h"
#include "Utf8Text.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <sqlite3.h>

namespace {

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const AppError& error) {
        return error.message();
    }
    return {};
}

ColumnCache loadColumn(const QStringList& statement)
{
    Query query;
    query.setStatement(statement);
    query.open();
    ColumnCache cache;
    cache.appendColumn(query);
    return cache;
}

} // namespace

class DataTest : public QObject {
    Q_OBJECT
private slots:
    void missingFileIsReportedAndNeverCreated();
    void unreadableFilesGiveClearErrors_data();
    void unreadableFilesGiveClearErrors();
    void readOnlyFileRefusesChangesAndStaysUnchanged();
    void lockedFileFailsAfterBusyTimeout();
    void connectionReopensOnDemandAfterFailedOpen();
    void everyCatalogueStatementRunsAgainstSchema();
    void catalogueTextsAreExact();
    void statementSequenceClearsAndBindsByName();
    void awkwardValuesSurviveTheRoundTrip();
    void columnCacheReadsNullAsEmptyAndChecksBounds();
    void singleColumnStatementsKeepOneRowOrder();
    void rowIdListKeepsRunsAndPositions();
    void storedTextDecodesLikeQt();
    void incrementalResultReadsOneColumnWithoutKeepingRows();
    void likeFoldsKazakhAndRussianLetters();
    void searchFoldsEveryKazakhLetterPair();
    void likeWildcardsAndEscapes();
    void likeEscapesFollowSqlite_data();
    void likeEscapesFollowSqlite();
    void likeWorkGrowsLinearlyWithTheText_data();
    void likeWorkGrowsLinearlyWithTheText();
    void likeInSqlKeepsEachRowsAnswer();
};

void DataTest::missingFileIsReportedAndNeverCreated()
{
    SKIP_ON_SERVER("a missing db.mdb");
    TestCourse course(TestCourse::Database::None);
    const QString message = errorOf([] { Connection::shared().open(); });
    QVERIFY2(message.contains(QStringLiteral("db.mdb")) &&
                 message.contains(QStringLiteral("does not exist")),
             qPrintable(message));
    QVERIFY(!QFile::exists(course.dbPath()));

    // A data set opens the connection first and reports the same failure.
    Query query;
    query.setStatement(Statements::allResults);
    QCOMPARE(errorOf([&] { query.open(); }), message);
    QVERIFY(!query.isOpen());
    QVERIFY(!QFile::exists(course.dbPath()));
}

void DataTest::unreadableFilesGiveClearErrors_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    QByteArray noise(4096, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    QTest::newRow("random bytes") << noise << QStringLiteral("file is not a database");
    QByteArray jet =
        QByteArray("\x00\x01\x00\x00", 4) + QByteArray("Standard Jet DB") + QByteArray(2048, '\0');
    QTest::newRow("Access header") << jet << QStringLiteral("Microsoft Access");
    QFile sample(TestCourse::testDataDir() + QStringLiteral("/access-jet4-cyrillic.mdb"));
    if (sample.open(QIODevice::ReadOnly))
        QTest::newRow("Access sample") << sample.readAll() << QStringLiteral("Microsoft Access");
}

void DataTest::unreadableFilesGiveClearErrors()
{
    SKIP_ON_SERVER("a db.mdb that is no database");
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    TestCourse course(TestCourse::Database::None);
    QFile file(course.dbPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const QByteArray before = fileHash(course.dbPath());

    const QString message = errorOf([] { Connection::shared().open(); });
    QVERIFY2(message.contains(expected), qPrintable(message));
    QVERIFY(!Connection::shared().isOpen());
    Query query;
    query.setStatement(Statements::insertTestResult);
    query.bind(QStringLiteral("a1"), QStringLiteral("x"));
    query.bind(QStringLiteral("a2"), 1);
    QVERIFY(!errorOf([&] { query.execSql(); }).isEmpty());
    QCOMPARE(fileHash(course.dbPath()), before);
}

void DataTest::readOnlyFileRefusesChangesAndStaysUnchanged()
{
    SKIP_ON_SERVER("a read-only db.mdb");
    TestCourse course;
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('aigerim', 20)"));
    QFile::setPermissions(course.dbPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    const QByteArray before = fileHash(course.dbPath());

    Query results;
    results.setStatement(Statements::allResults);
    results.open();
    QCOMPARE(results.rowCount(), 1);

    Query insert;
    insert.setStatement(Statements::insertTestResult);
    insert.bind(QStringLiteral("a1"), QStringLiteral("nurlan"));
    insert.bind(QStringLiteral("a2"), 5);
    const QString message = errorOf([&] { insert.execSql(); });
    QVERIFY2(message.contains(QStringLiteral("readonly")), qPrintable(message));
    QCOMPARE(fileHash(course.dbPath()), before);
    QFile::setPermissions(course.dbPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void DataTest::lockedFileFailsAfterBusyTimeout()
{
    SKIP_ON_SERVER("another program locking db.mdb");
    TestCourse course;
    Connection::shared().setBusyTimeoutMs(200);
    Connection::shared().open();

    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(course.dbPath().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    Query insert;
    insert.setStatement(Statements::insertTestResult);
    insert.bind(QStringLiteral("a1"), QStringLiteral("nurlan"));
    insert.bind(QStringLiteral("a2"), 5);
    QElapsedTimer timer;
    timer.start();
    const QString message = errorOf([&] { insert.execSql(); });
    QVERIFY2(message.contains(QStringLiteral("locked")), qPrintable(message));
    QVERIFY(timer.elapsed() >= 150);

    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    // Once the other program lets go, the same statement goes through.
    QCOMPARE(insert.execSql(), 1);
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты")), QStringLiteral("1"));
    Connection::shared().setBusyTimeoutMs(5000);
}

void DataTest::connectionReopensOnDemandAfterFailedOpen()
{
    SKIP_ON_SERVER("db.mdb appearing after a failed open");
    TestCourse course(TestCourse::Database::None);
    QVERIFY(!errorOf([] { Connection::shared().open(); }).isEmpty());
    {
        TestCourse other;
        QFile::copy(other.dbPath(), course.dir() + QStringLiteral("/db.mdb"));
    }
    QDir::setCurrent(course.dir());
    Query query;
    query.setStatement(Statements::selectLogins);
    query.open();
    QVERIFY(Connection::shared().isOpen());
    QCOMPARE(Connection::shared().location(), course.dbPath());
}

void DataTest::everyCatalogueStatementRunsAgainstSchema()
{
    TestCourse course;
    course.exec(
        QStringLiteral("insert into БДТест(Вопрос,Ответ1,Ответ2,Ответ3,Ответ4,Ответ5,ОтветПр) "
                       "values('Q','a','b','c','d','e',2);"
                       "insert into Пользователи(Логин,Пароль,Группа) values('Chief','pw','');"
                       "insert into Лекции(НазваниеЛекции,АдресЛекции) values('L','/l');"
                       "insert into Лабы(НазваниеЛабы,АдресЛабы) values('B','/b');"
                       "insert into Видео(НазваниеВидео,АдресВидео) values('V','/v');"));
    for (const auto& entry : Statements::catalogue()) {
        if (entry.fileOnly && TestCourse::onServer())
            continue;
        Query query(entry.name);
        query.setStatement(entry.lines);
        // A pattern for LIKE, a row id that no row has, and a text that both stores take for
        // any column (the server's columns are typed).
        const QString text = query.sqlText();
        for (const QString& name : query.parameterNames()) {
            if (name == QLatin1String("a") && text.contains(QLatin1String("Like :a")))
                query.bind(name, QStringLiteral("%"));
            else if (name == QLatin1String("a") && text.contains(QLatin1String("rowid= :a")))
                query.bind(name, 999999);
            else
                query.bind(name, QStringLiteral("1"));
        }
        const QString first = entry.lines.constFirst().trimmed().toLower();
        const QString error = errorOf([&] {
            if (first.startsWith(QLatin1String("select")))
                query.open();
            else
                query.execSql();
        });
        QVERIFY2(error.isEmpty(), qPrintable(entry.name + QStringLiteral(": ") + error));
    }
    // The inserts and deletes did what they say (a result with its time and one without).
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Тесты where Пользователь='1'")),
             QStringLiteral("2"));
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Лекции where АдресЛекции='1'")),
             QStringLiteral("0"));
    QCOMPARE(course.scalar(QStringLiteral("select count(*) from Пользователи")),
             QStringLiteral("1"));
}

void DataTest::catalogueTextsAreExact()
{
    QCOMPARE(Statements::findQuestions.join(QLatin1Char('\n')),
             QStringLiteral("select * from БДТест\nwhere Вопрос  Like :a "));
    QCOMPARE(Statements::findLectures.at(1), QStringLiteral("where НазваниеЛекции  Like :a "));
    QCOMPARE(Statements::findLabs.at(1), QStringLiteral("where НазваниеЛабы Like :a "));
    QCOMPARE(Statements::removeUser,
             QStringList({QStringLiteral("delete from Пользователи "),
                          QStringLiteral("where Логин= :a1 and Пароль= :a2 ")}));
    QCOMPARE(Statements::addUser.size(), 1);
    QCOMPARE(Statements::removeLecture.at(0), QStringLiteral("delete from Лекции "));
    QCOMPARE(Statements::catalogue().size(), 75);
}

void DataTest::statementSequenceClearsAndBindsByName()
{
    TestCourse course;
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('a',1);"
                               "insert into Тесты(Пользователь, Верно) values('b',2);"));
    Query query;
    query.setStatement(Statements::resultsOfUser);
    QCOMPARE(query.parameterNames(), QStringList{QStringLiteral("a")});
    QVERIFY(errorOf([&] {
                query.bind(QStringLiteral("b"), 1);
            }).contains(QStringLiteral("'b' not found")));
    QVERIFY(errorOf([&] { query.open(); }).contains(QStringLiteral("No value")));
    query.bind(QStringLiteral("a"), QStringLiteral("b"));
    query.open();
    QCOMPARE(query.rowCount(), 1);
    // The server's tables end in their own row id column.
    QCOMPARE(query.columnNames(),
             QStringList({QStringLiteral("Пользователь"), QStringLiteral("Верно"),
                          QStringLiteral("Время")}) +
                 (TestCourse::onServer() ? QStringList{QStringLiteral("rowid")} : QStringList()));
    QCOMPARE(query.text(0, QStringLiteral("Верно")), QStringLiteral("2"));

    // Rebuilding drops the old parameters; reopening keeps text and values.
    query.setStatement(Statements::allResults);
    QVERIFY(query.boundValues().isEmpty());
    query.open();
    QCOMPARE(query.rowCount(), 2);
    course.exec(QStringLiteral("insert into Тесты(Пользователь, Верно) values('c',3)"));
    QCOMPARE(query.rowCount(), 2); // a static result
    query.reopen();
    QCOMPARE(query.rowCount(), 3);

    // The score is stored as an integer, an empty text as an empty text.
    Query insert;
    insert.setStatement(Statements::insertTestResult);
    insert.bind(QStringLiteral("a1"), QString());
    insert.bind(QStringLiteral("a2"), 7);
    QCOMPARE(insert.execSql(), 1);
    QCOMPARE(course.column(QStringLiteral(
                 "select typeof(Пользователь)||'/'||typeof(Верно) from Тесты where Верно=7")),
             QStringList{QStringLiteral("text/integer")});
}

void DataTest::awkwardValuesSurviveTheRoundTrip()
{
    TestCourse course;
    const QStringList values = {
        QStringLiteral("O'Brien \"quoted\""),
        QStringLiteral("100% _done_"),
        QStringLiteral("line one\nline two\r\nthree"),
        QStringLiteral("Қазақ тілі — Ә Ғ Қ Ң Ө Ұ Ү Һ І"),
        QStringLiteral("Русский ЁЖЩ"),
        QString(20000, QChar(u'ж')),
        QStringLiteral("'); drop table Лекции; --"),
    };
    for (const QString& value : values) {
        Query insert;
        insert.setStatement(Statements::addLecture);
        insert.bind(QStringLiteral("a1"), value);
        insert.bind(QStringLiteral("a2"), value);
        insert.execSql();
    }
    const ColumnCache titles = loadColumn({QStringLiteral("select НазваниеЛекции from Лекции")});
    QCOMPARE(titles.values(), values);

    Query remove;
    remove.setStatement(Statements::removeLecture);
    remove.bind(QStringLiteral("a1"), values[1]);
    QCOMPARE(remove.execSql(), 1); // "%" and "_" are plain characters to "="
}

void DataTest::columnCacheReadsNullAsEmptyAndChecksBounds()
{
    TestCourse course;
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль) values(null,null);"
                               "insert into Пользователи(Логин,Пароль) values('',' x ');"));
    const ColumnCache logins = loadColumn(Statements::selectLogins);
    const ColumnCache passwords = loadColumn(Statements::selectPasswords);
    QCOMPARE(logins.values(), QStringList({QString(), QString()}));
    QCOMPARE(passwords.at(1), QStringLiteral(" x "));
    QCOMPARE(errorOf([&] { logins.at(2); }), QStringLiteral("List index out of bounds (2)"));
    QCOMPARE(errorOf([&] { logins.at(-1); }), QStringLiteral("List index out of bounds (-1)"));
}

void DataTest::singleColumnStatementsKeepOneRowOrder()
{
    // Every password is "p:" + its login, so a pairing by position can be checked row by row.
    TestCourse course;
    QString sql;
    for (int i = 0; i < 200; ++i)
        sql +=
            QStringLiteral("insert into Пользователи(Логин,Пароль) values('u%1','p:u%1');").arg(i);
    course.exec(sql);
    course.exec(QStringLiteral(
        "delete from Пользователи where Логин in ('u3','u50','u199');"
        "update Пользователи set Логин='aaa'||Логин, Пароль='p:aaa'||Логин where Логин='u120';"
        "update Пользователи set Пароль=null, Логин=null where Логин='u7';"
        "insert into Пользователи(Логин,Пароль) values('a0','p:a0');"));
    // A row put back under an id that was deleted comes back in its old place.
    course.exec(TestCourse::onServer()
                    ? QStringLiteral("insert into Пользователи(rowid,Логин,Пароль) overriding "
                                     "system value values(4,'back','p:back')")
                    : QStringLiteral("insert into Пользователи(Код,Логин,Пароль) "
                                     "values(4,'back','p:back')"));
    const ColumnCache logins = loadColumn(Statements::selectLogins);
    const ColumnCache passwords = loadColumn(Statements::selectPasswords);
    QCOMPARE(logins.count(), 199);
    QCOMPARE(passwords.count(), logins.count());
    for (int i = 0; i < logins.count(); ++i) {
        const QString login = logins.at(i);
        QCOMPARE(passwords.at(i), login.isEmpty() ? QString() : QStringLiteral("p:") + login);
    }
    QCOMPARE(logins.at(3), QStringLiteral("back"));
    QCOMPARE(logins.at(198), QStringLiteral("a0"));
}

void DataTest::rowIdListKeepsRunsAndPositions()
{
    // Ids as a table hands them out after deletions, negative and very large ids included.
    const QList<qint64> ids = {-7, -6, 1, 2, 3, 5, 6, 10, 11, 12, 13, 1000000, 4611686018427387904};
    RowIdList list;
    QVERIFY(list.isEmpty());
    for (const qint64 id : ids)
        list.append(id);
    QCOMPARE(list.size(), ids.size());
    QCOMPARE(list.runs(), 6);
    for (int position = 0; position < ids.size(); ++position)
        QCOMPARE(list.at(position), ids[position]);

    list.clear();
    for (qint64 id = 1; id <= 1000000; ++id)
        list.append(id);
    QCOMPARE(list.runs(), 1);
    QCOMPARE(list.at(999999), 1000000);
}

// The fast decoder must give exactly what Qt's decoder gives, malformed bytes included.
void DataTest::storedTextDecodesLikeQt()
{
    QList<QByteArray> inputs = {QByteArray(),
                                QByteArray("ascii only"),
                                QStringLiteral("Қазақ тілі ӘҒҚҢӨҰҮҺІ").toUtf8(),
                                QStringLiteral("Русский ёЁ").toUtf8(),
                                QStringLiteral("emoji 😀 and 中文").toUtf8(),
                                QByteArray("\xC0\xAF overlong"),
                                QByteArray("cut \xD0"),
                                QByteArray("lone \x80 byte"),
                                QByteArray("\xED\xA0\x80 surrogate"),
                                QByteArray("nul \0 inside", 13),
                                QByteArray("\xF4\x90\x80\x80 beyond")};
    for (int i = 0; i < 256; ++i)
        inputs << QByteArray(1, char(i)) + QByteArray(1, char(255 - i)) + "ж";
    QString buffer;
    for (const QByteArray& input : std::as_const(inputs)) {
        const QString qt = QString::fromUtf8(input.constData(), input.size());
        QCOMPARE(utf8ToString(input.constData(), input.size()), qt);
        QCOMPARE(utf8ToView(input.constData(), input.size(), buffer).toString(), qt);
        QCOMPARE(stringToUtf8(qt), qt.toUtf8());
    }
    QVERIFY(!utf8ToString("", 0).isNull());
}

void DataTest::incrementalResultReadsOneColumnWithoutKeepingRows()
{
    TestCourse course;
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль) values('Әлия', null);"
                               "insert into Пользователи(Логин,Пароль) values('b', 'x');"));
    Query query(QStringLiteral("ADOQuery1"));
    query.setIncremental(true);
    query.setStatement(Statements::selectPasswords);
    query.open();
    course.exec(QStringLiteral("insert into Пользователи(Логин,Пароль) values('c', 'у')"));
    // The rows are read when asked for: the store as it is then.
    QCOMPARE(query.columnTexts(0),
             QStringList({QString(), QStringLiteral("x"), QStringLiteral("у")}));
    QCOMPARE(query.rowCount(), 3);
    QVERIFY(errorOf([&] { query.value(0, 0); }).contains(QStringLiteral("outside the result")));
    QVERIFY(errorOf([&] { query.columnTexts(1); }).contains(QStringLiteral("outside the result")));
    // A full result gives the same texts from the rows it keeps.
    query.setIncremental(false);
    query.reopen();
    QCOMPARE(query.columnTexts(0).size(), 3);
    QCOMPARE(query.text(2, 0), QStringLiteral("у"));
    query.close();
    QVERIFY(errorOf([&] { query.columnTexts(0); }).contains(QStringLiteral("closed dataset")));
}

void DataTest::likeFoldsKazakhAndRussianLetters()
{
    QVERIFY(UnicodeLike::matches(u"%дәріс%", u"ДӘРІС 1"));
    QVERIFY(UnicodeLike::matches(u"%ҚАЗАҚ%", u"қазақ тілі"));
    QVERIFY(UnicodeLike::matches(u"%ёж%", u"ЁЖИК"));
    QVERIFY(!UnicodeLike::matches(u"%дарис%", u"Дәріс"));

    TestCourse course;
    course.exec(
        QStringLiteral("insert into Лекции(НазваниеЛекции,АдресЛекции) values('Алгоритмдер','/1');"
                       "insert into Лекции(НазваниеЛекции,АдресЛекции) values('ЖЕЛІЛЕР','/2');"
                       "insert into Лекции(НазваниеЛекции,АдресЛекции) values(null,'/3');"));
    Query find;
    find.setStatement(Statements::findLectures);
    find.bind(QStringLiteral("a"), QStringLiteral("%желі%"));
    find.open();
    QCOMPARE(find.rowCount(), 1);
    QCOMPARE(find.text(0, QStringLiteral("АдресЛекции")), QStringLiteral("/2"));
    // Two percent signs match every row whose title holds a text, and no null one.
    find.setStatement(Statements::findLectures);
    find.bind(QStringLiteral("a"), QStringLiteral("%%"));
    find.open();
    QCOMPARE(find.rowCount(), 2);
}

// Each of the nine letters of Kazakh that Russian lacks, and Russian's own, found in either case
// by every search of the catalogue, on each store; a title that only looks alike is not.
void DataTest::searchFoldsEveryKazakhLetterPair()
{
    TestCourse course;
    const QString upper = QStringLiteral("ӘҒҚҢӨҰҮҺІЁЖЩ");
    const QString lower = QStringLiteral("әғқңөұүһіёжщ");
    QString sql;
    for (int i = 0; i < upper.size(); ++i) {
        sql += QStringLiteral("insert into Лекции(НазваниеЛекции,АдресЛекции) "
                              "values('%1-дәріс','/u%2');"
                              "insert into Лабы(НазваниеЛабы,АдресЛабы) values('%3 жұмыс','/l%2');")
                   .arg(upper[i])
                   .arg(i)
                   .arg(lower[i]);
    }
    sql += QStringLiteral("insert into Видео(НазваниеВидео,АдресВидео) values('Ұлттық ойын','/v');"
                          "insert into БДТест(Вопрос,ОтветПр) values('ҚАЗАҚСТАН астанасы?', '1');");
    course.exec(sql);
    const auto found = [](const QStringList& statement, const QString& text) {
        Query find;
        find.setStatement(statement);
        find.bind(QStringLiteral("a"), QLatin1Char('%') + text + QLatin1Char('%'));
        find.open();
        return find.rowCount();
    };
    for (int i = 0; i < upper.size(); ++i) {
        const QString pair = QString(upper[i]) + u'/' + lower[i];
        QVERIFY2(found(Statements::findLectures, QString(lower[i]) + QStringLiteral("-ДӘРІС")) == 1,
                 qPrintable(pair));
        QVERIFY2(found(Statements::findLabs, QString(upper[i]) + QStringLiteral(" ЖҰМЫС")) == 1,
                 qPrintable(pair));
    }
    QCOMPARE(found(Statements::findVideos, QStringLiteral("ұлттық")), 1);
    QCOMPARE(found(Statements::findQuestions, QStringLiteral("қазақстан")), 1);
    // Look-alikes are other letters: Cyrillic А is no Ә, Latin K no Қ.
    QCOMPARE(found(Statements::findLectures, QStringLiteral("а-дәріс")), 0);
    QCOMPARE(found(Statements::findVideos, QStringLiteral("Улттык")), 0);
    // A backslash is a plain character, as on the file: no escape is in force.
    course.exec(QStringLiteral(
        "insert into Видео(НазваниеВидео,АдресВидео) values('C:\\жол\\50%_дайын','/w')"));
    QCOMPARE(found(Statements::findVideos, QStringLiteral("\\ЖОЛ\\")), 1);
    QCOMPARE(found(Statements::findVideos, QStringLiteral("50\\%")), 0);
}

void DataTest::likeWildcardsAndEscapes()
{
    QVERIFY(UnicodeLike::matches(u"%", u""));
    QVERIFY(UnicodeLike::matches(u"a_c", u"abc"));
    QVERIFY(!UnicodeLike::matches(u"a_c", u"ac"));
    QVERIFY(UnicodeLike::matches(u"%a%b%", u"xxaxxbxx"));
    QVERIFY(!UnicodeLike::matches(u"%a%b", u"xxaxxbxxc"));
    QVERIFY(
        UnicodeLike::matches(u"%100%%", u"score 100% done")); // "%" typed by a user is a wildcard
    QVERIFY(UnicodeLike::matches(u"50!%", u"50%", u'!'));
    QVERIFY(!UnicodeLike::matches(u"50!%", u"50x", u'!'));
    QVERIFY(UnicodeLike::matches(u"%\nline%", u"first\nline two"));
}

void DataTest::likeEscapesFollowSqlite_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("escape");
    QTest::addColumn<bool>("matches");
    // "_" stands for one character, also one written as a surrogate pair.
    QTest::newRow("_ and an emoji") << "a_b"
                                    << "a😀b" << 0u << true;
    QTest::newRow("__ is two emoji") << "__"
                                     << "😀😀" << 0u << true;
    QTest::newRow("_ is not half an emoji") << "a__b"
                                            << "a😀b" << 0u << false;
    QTest::newRow("letters past the BMP fold") << "%𐐨%"
                                               << "x𐐀y" << 0u << true;
    QTest::newRow("escaped underscore") << "a!_b"
                                        << "a_b" << uint('!') << true;
    QTest::newRow("escaped underscore is plain") << "a!_b"
                                                 << "axb" << uint('!') << false;
    QTest::newRow("escaped escape") << "a!!b"
                                    << "a!b" << uint('!') << true;
    QTest::newRow("escaped letter folds") << "!Ә"
                                          << "ә" << uint('!') << true;
    QTest::newRow("a trailing escape matches nothing") << "ab!"
                                                       << "ab!" << uint('!') << false;
    QTest::newRow("% as escape is no wildcard") << "a%%"
                                                << "a%" << uint('%') << true;
    QTest::newRow("% as escape, a plain letter") << "a%b"
                                                 << "ab" << uint('%') << true;
    QTest::newRow("% as escape, no run") << "a%b%"
                                         << "axxb" << uint('%') << false;
    QTest::newRow("_ as escape is no wildcard") << "a_%"
                                                << "a%" << uint('_') << true;
    QTest::newRow("_ as escape, % still a run") << "a%b"
                                                << "axxb" << uint('_') << true;
    QTest::newRow("emoji as escape") << "1😀%"
                                     << "1%" << uint(U'😀') << true;
    QTest::newRow("lone surrogates match themselves")
        << QString(QChar(0xD83D)) + u'%' << QString(QChar(0xD83D)) + u'x' << 0u << true;
    QTest::newRow("NUL is a plain character")
        << QStringLiteral("a%c") << QString::fromUtf16(u"ab\0c", 4) << 0u << true;
    QTest::newRow("empty pattern, empty text") << ""
                                               << "" << 0u << true;
    QTest::newRow("empty pattern, a text") << ""
                                           << "a" << 0u << false;
    QTest::newRow("runs must not overlap") << "%aba%aba%"
                                           << "ababa" << 0u << false;
    QTest::newRow("first and last runs") << "ab%ba"
                                         << "aba" << 0u << false;
}

void DataTest::likeEscapesFollowSqlite()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(uint, escape);
    QFETCH(bool, matches);
    QCOMPARE(UnicodeLike::matches(pattern, text, escape), matches);
}

void DataTest::likeWorkGrowsLinearlyWithTheText_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<int>("stepsPerLetter");
    const QString a(QStringLiteral("a"));
    QTest::newRow("%a%a%a%a%a%a%a%b") << "%a%a%a%a%a%a%a%b" << a << false << 4;
    QTest::newRow("%a%a%a%a%a%a%a%") << "%a%a%a%a%a%a%a%" << a << true << 4;
    QTest::newRow("a%a%a%a%a%b%") << "a%a%a%a%a%b%" << a << false << 4;
    QTest::newRow("_%_%_%_%_%_%_%b") << "_%_%_%_%_%_%_%b" << a << false << 4;
    QTest::newRow("%aaaaaaaab") << "%aaaaaaaab" << a << false << 4;
    QTest::newRow("a run of 4000 letters")
        << u'%' + QString(4000, u'a') + QStringLiteral("b%") << a << false << 4;
    QTest::newRow("a run of 4000 letters over ab")
        << u'%' + QString(4000, u'a') + QStringLiteral("b%") << "ab" << false << 4;
    QTest::newRow("a run with _") << "%a_a_a_a_a_a_a_a_a_b%" << a << false << 4;
    QTest::newRow("a run of 601 with _")
        << u'%' + QStringLiteral("a_").repeated(300) + QStringLiteral("b%") << a << false << 4 * 10;
    QTest::newRow("Kazakh letters in both cases") << "%ә%Ә%ә%Ә%ә%б"
                                                  << "Әә" << false << 4;
    QTest::newRow("a match at the very end") << "%a%a%a%ab"
                                             << "aaaaaaa" << false << 4;
}

void DataTest::likeWorkGrowsLinearlyWithTheText()
{
    // The same pattern over a text of 512 K and of 1 M letters: the work doubles (a matcher
    // that backs up over the text would take four times as many steps, or 4000 times here),
    // and stays within a few steps per letter.
    QFETCH(QString, pattern);
    QFETCH(QString, unit);
    QFETCH(bool, matches);
    QFETCH(int, stepsPerLetter);
    const UnicodeLike::Pattern compiled(pattern);
    qint64 work[2] = {};
    for (int i = 0; i < 2; ++i) {
        const QString text = unit.repeated((qsizetype(1) << (19 + i)) / unit.size());
        QCOMPARE(compiled.matches(text, &work[i]), matches);
        QVERIFY2(
            work[i] <= stepsPerLetter * (text.size() + pattern.size()),
            qPrintable(QStringLiteral("%1 steps over %2 letters").arg(work[i]).arg(text.size())));
    }
    QVERIFY2(work[1] <= 2.1 * work[0],
             qPrintable(QStringLiteral("%1 steps, then %2").arg(work[0]).arg(work[1])));
}

void DataTest::likeInSqlKeepsEachRowsAnswer()
{
    SKIP_ON_SERVER("the program's own like() function of the file");
    // The pattern is read once per statement and kept while it stays the same; an escape or a
    // pattern that changes from row to row still gives each row its own answer.
    TestCourse course;
    const auto matching = [](const QString& sql, const QString& pattern) {
        Query query;
        query.setStatement({QStringLiteral("select x from (select 'Ә_1' as x, '!' as e, 'ә_1' "
                                           "as p union all select 'Ә_2', '#', 'ә_1' union all "
                                           "select 'Ә!_3', '#', '%3') where ") +
                            sql});
        if (!pattern.isNull())
            query.bind(QStringLiteral("a"), pattern);
        query.open();
        QStringList rows;
        for (int row = 0; row < query.rowCount(); ++row)
            rows << query.text(row, 0);
        return rows;
    };
    QCOMPARE(matching(QStringLiteral("x like :a escape e"), QStringLiteral("ә!_%")),
             QStringList({QStringLiteral("Ә_1"), QStringLiteral("Ә!_3")}));
    QCOMPARE(matching(QStringLiteral("x like p"), QString()),
             QStringList({QStringLiteral("Ә_1"), QStringLiteral("Ә!_3")}));
    QCOMPARE(matching(QStringLiteral("x like :a escape '😀'"), QStringLiteral("%😀_%")),
             QStringList({QStringLiteral("Ә_1"), QStringLiteral("Ә_2"), QStringLiteral("Ә!_3")}));
    QVERIFY(errorOf([&] {
                matching(QStringLiteral("x like :a escape '!!'"), QStringLiteral("%"));
            }).contains(QStringLiteral("single character")));
}

QTEST_GUILESS_MAIN(DataTest)
#include "tst_data.moc"
