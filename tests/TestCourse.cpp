#include "TestCourse.h"

#include "Connection.h"

#include <QApplication>
#include <QClipboard>
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

namespace {

QString quotedName(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

void bindValue(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(statement, index);
    } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
        sqlite3_bind_int64(statement, index, value.toLongLong());
    } else {
        const QString text = value.toString();
        sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * sizeof(char16_t)),
                            SQLITE_TRANSIENT);
    }
}

QVariant columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    default: {
        const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
        return QString::fromUtf16(text, sqlite3_column_bytes16(statement, column) / 2);
    }
    }
}

} // namespace

void TestCourse::insert(const QString& table, const QStringList& columns,
                        const QVariantList& values) const
{
    QStringList names;
    QStringList marks;
    for (const QString& column : columns) {
        names << quotedName(column);
        marks << QStringLiteral("?");
    }
    const QString sql =
        QStringLiteral("insert into %1(%2) values(%3)")
            .arg(quotedName(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    sqlite3* db = openRaw(dbPath());
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr);
    for (int i = 0; rc == SQLITE_OK && i < values.size(); ++i)
        bindValue(statement, i + 1, values[i]);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement) == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
    const std::string message = sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("test insert failed: " + message);
}

QList<QVariantList> TestCourse::rows(const QString& table) const
{
    sqlite3* db = openRaw(dbPath());
    sqlite3_stmt* statement = nullptr;
    QList<QVariantList> result;
    const QString sql = QStringLiteral("select * from %1 order by rowid").arg(quotedName(table));
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK)
        sqlite3_prepare_v2(
            db, QStringLiteral("select * from %1").arg(quotedName(table)).toUtf8().constData(), -1,
            &statement, nullptr);
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        QVariantList row;
        for (int column = 0; column < sqlite3_column_count(statement); ++column)
            row << columnValue(statement, column);
        result << row;
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

QMap<QString, QList<QVariantList>> TestCourse::contents() const
{
    QMap<QString, QList<QVariantList>> tables;
    const QStringList names = column(QStringLiteral(
        "select name from sqlite_master where type='table' and name not like 'sqlite%'"));
    for (const QString& name : names)
        tables.insert(name, rows(name));
    return tables;
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

void pasteText(QWidget* widget, const QString& text)
{
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(widget, Qt::Key_Delete);
        return;
    }
    QApplication::clipboard()->setText(text);
    QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
}

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(content), content.size());
}
