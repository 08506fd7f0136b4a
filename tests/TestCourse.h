#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

// A scratch course folder for one test: a temporary folder made current, holding db.mdb built
// from the course schema (unless told otherwise). The shared connection is closed on both ends,
// so each test opens its own file.
class TestCourse {
public:
    enum class Database { Schema, None };
    explicit TestCourse(Database database = Database::Schema);
    ~TestCourse();

    QString dir() const { return m_dir.path(); }
    QString dbPath() const;

    // Runs SQL on the file through a connection of its own (not the program's).
    void exec(const QString& sql) const;
    // The first column of every row, as text (null as empty), through that own connection.
    QStringList column(const QString& sql) const;
    QString scalar(const QString& sql) const;

    // Inserts one row with the values bound as they are (texts with NULs, 1 MB texts, nulls as
    // invalid variants), through that own connection.
    void insert(const QString& table, const QStringList& columns, const QVariantList& values) const;
    // A table's rows in rowid order, each value exact: null as an invalid variant, an integer as
    // qint64, a text with every character (NULs included).
    QList<QVariantList> rows(const QString& table) const;
    // Every table's rows, keyed by table name: compared before and after an action, it shows
    // that no table but the intended one changed.
    QMap<QString, QList<QVariantList>> contents() const;

    // Adds the demo course's rows (its logins, questions and results) from the seed script.
    void seedDemo() const;

    static QString schemaPath();
    static QString testDataDir();

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};

// Sends text into a widget one key event per character (QTest::keyClicks handles ASCII only).
class QWidget;
void typeText(QWidget* widget, const QString& text);
// Replaces a field's text the way a user pastes it: select all, then Ctrl+V from the clipboard.
// Control characters (line breaks, tabs, NULs) and very long texts arrive this way.
void pasteText(QWidget* widget, const QString& text);

// Writes a file with exactly these bytes, making its folder first; the test fails if it cannot.
void writeFile(const QString& path, const QByteArray& content);
