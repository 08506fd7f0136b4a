#pragma once

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
