#include "TestCourse.h"

#include "Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sqlite3.h>
#include <stdexcept>

namespace {

sqlite3* openRaw(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open the test database");
    }
    sqlite3_busy_timeout(db, 2000);
    return db;
}

} // namespace

TestCourse::TestCourse(Database database) : m_previousDir(QDir::currentPath())
{
    Connection::shared().close();
    QDir::setCurrent(m_dir.path());
    if (database == Database::Schema) {
        sqlite3* db = nullptr;
        sqlite3_open(dbPath().toUtf8().constData(), &db);
        sqlite3_close(db);
        QFile schema(schemaPath());
        if (!schema.open(QIODevice::ReadOnly))
            throw std::runtime_error("schema.sql not found");
        exec(QString::fromUtf8(schema.readAll()));
    }
}

TestCourse::~TestCourse()
{
    Connection::shared().close();
    QDir::setCurrent(m_previousDir);
}

QString TestCourse::dbPath() const
{
    return m_dir.filePath(QStringLiteral("db.mdb"));
}

void TestCourse::exec(const QString& sql) const
{
    sqlite3* db = openRaw(dbPath());
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test SQL failed: " + message);
}

QStringList TestCourse::column(const QString& sql) const
{
    sqlite3* db = openRaw(dbPath());
    sqlite3_stmt* statement = nullptr;
    QStringList values;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
            values << (text ? QString::fromUtf8(text) : QString());
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return values;
}

QString TestCourse::scalar(const QString& sql) const
{
    const QStringList values = column(sql);
    return values.isEmpty() ? QString() : values.constFirst();
}

void TestCourse::seedDemo() const
{
    QFile seed(QFileInfo(schemaPath()).dir().filePath(QStringLiteral("seed.sql")));
    if (!seed.open(QIODevice::ReadOnly))
        throw std::runtime_error("seed.sql not found");
    exec(QString::fromUtf8(seed.readAll()));
}

QString TestCourse::schemaPath()
{
    return QStringLiteral(OKULYK_SCHEMA);
}

QString TestCourse::testDataDir()
{
    return QStringLiteral(OKULYK_TESTDATA);
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}
