#include "CourseCopy.h"

#include "AnswerRows.h"
#include "AppError.h"
#include "Connection.h"
#include "CourseSettings.h"
#include "CourseTables.h"
#include "Cursor.h"
#include "Progress.h"
#include "Query.h"
#include "ServerDialect.h"
#include "SourceDatabase.h"
#include "Statements.h"
#include "Store.h"
#include "Transaction.h"

#include <QHash>

namespace CourseCopy {

namespace {

const QString kResults = QStringLiteral("Тесты");
const QString kRowId = QStringLiteral("rowid");

// Every answer of an attempt, where the course keeps them: ТестИд names its row of results.
const CourseTables::Table& answersTable()
{
    static const QString kInteger = QStringLiteral("INTEGER");
    static const CourseTables::Table table = {QStringLiteral("Ответы"),
                                              {{QStringLiteral("ТестИд"), kInteger},
                                               {QStringLiteral("Номер"), kInteger},
                                               {QStringLiteral("ВопросИд"), kInteger},
                                               {QStringLiteral("Ответ"), kInteger},
                                               {QStringLiteral("Верно"), kInteger},
                                               {QStringLiteral("Время"), kInteger}},
                                              {}};
    return table;
}

// One table as read from the source: the program's columns (the key left out) and, for the
// results, the columns of their own; the rows' values in that order, and each row's id.
struct TableRows {
    const CourseTables::Table* course = nullptr;
    QList<SourceColumn> columns;
    QList<QVariantList> rows;
    QList<qint64> rowIds;

    bool keyed() const
    {
        return std::any_of(course->columns.cbegin(), course->columns.cend(),
                           [](const CourseTables::Column& column) { return column.key; });
    }
    bool isCourseColumn(const QString& name) const
    {
        return std::any_of(
            course->columns.cbegin(), course->columns.cend(),
            [&name](const CourseTables::Column& column) { return column.name == name; });
    }
    QString keyName() const
    {
        for (const CourseTables::Column& column : course->columns) {
            if (column.key)
                return column.name;
        }
        return {};
    }
};

ColumnKind courseKind(const CourseTables::Column& column)
{
    return column.type == QLatin1String("INTEGER") ? ColumnKind::Integer : ColumnKind::Text;
}

// A column of the results' own takes the kind its values have: whole numbers, numbers, bytes
// or, for anything else, text.
ColumnKind kindOfValues(const QList<QVariantList>& rows, int column)
{
    bool integers = true;
    bool numbers = true;
    for (const QVariantList& row : rows) {
        const QVariant& value = row[column];
        if (value.isNull())
            continue;
        const int type = value.typeId();
        if (type == QMetaType::QByteArray)
            return ColumnKind::Blob;
        const bool integer = type == QMetaType::LongLong || type == QMetaType::Int;
        integers = integers && integer;
        numbers = numbers && (integer || type == QMetaType::Double);
    }
    return integers ? ColumnKind::Integer : numbers ? ColumnKind::Real : ColumnKind::Text;
}

TableRows readTable(const CourseTables::Table& course, const QString& location, QStringList& notes)
{
    Query query(QStringLiteral("rowsWithIds"));
    query.setStatement(Statements::rowsWithIds(course.name));
    QList<QVariantList> raw;
    ResultColumns result;
    try {
        result = query.scan([&raw](const Cursor& row) {
            QVariantList values;
            values.reserve(row.columnCount());
            for (int i = 0; i < row.columnCount(); ++i)
                values << row.value(i);
            raw << values;
        });
    } catch (const AppError& error) {
        throw AppError(QStringLiteral("%1: %2").arg(location, error.message()));
    }

    TableRows table;
    table.course = &course;
    QList<int> taken; // positions in the result, in the order of table.columns
    QList<int> shown = shownColumns(result.names);
    const auto findShown = [&](const QString& name) {
        for (const int index : std::as_const(shown)) {
            if (result.names[index].compare(name, Qt::CaseInsensitive) == 0)
                return index;
        }
        return -1;
    };
    for (const CourseTables::Column& column : course.columns) {
        const int index = findShown(column.name);
        if (column.key) {
            // On a file the key is the row id itself; an ordinary column of that name that
            // differs from it cannot be both.
            if (index >= 0 && std::any_of(raw.cbegin(), raw.cend(), [index](const auto& row) {
                    return row[index] != row[0];
                }))
                notes << QStringLiteral("%1: the values of %2 are not its row numbers; the rows "
                                        "keep their order, and %2 numbers them anew")
                             .arg(course.name, column.name);
            shown.removeAll(index);
            continue;
        }
        if (index < 0)
            throw AppError(QStringLiteral("%1: the table %2 has no column %3, which the program "
                                          "needs; nothing was copied")
                               .arg(location, course.name, column.name));
        table.columns << SourceColumn{column.name, courseKind(column)};
        taken << index;
        shown.removeAll(index);
    }
    for (const int index : std::as_const(shown)) {
        if (course.name != kResults) {
            notes << QStringLiteral("%1: the column %2 is not copied (only the results may have "
                                    "columns of their own)")
                         .arg(course.name, result.names[index]);
            continue;
        }
        table.columns << SourceColumn{result.names[index], kindOfValues(raw, index)};
        taken << index;
    }
    table.rows.reserve(raw.size());
    table.rowIds.reserve(raw.size());
    for (const QVariantList& row : std::as_const(raw)) {
        QVariantList values;
        values.reserve(taken.size());
        for (const int index : std::as_const(taken))
            values << row[index];
        table.rows << values;
        table.rowIds << row[0].toLongLong();
    }
    return table;
}

using Settings = QList<QPair<QString, QString>>;

QList<TableRows> readCourse(const StoreAddress& source, QStringList& notes, Settings& settings)
{
    Connection& connection = Connection::shared();
    connection.setAddress(source);
    connection.open();
    const QString location = connection.location();
    if (!connection.store().allowsAdministration())
        throw AppError(QStringLiteral("%1: this is a lab computer's role, which may not read the "
                                      "whole course; copy on the teacher's computer")
                           .arg(location));
    QList<TableRows> tables;
    {
        // One state of every table, whatever the lab writes meanwhile.
        Transaction transaction(Transaction::Intent::ReadOnly);
        for (const CourseTables::Table& course : CourseTables::all())
            tables << readTable(course, location, notes);
        if (AnswerRows::keepsAnswers())
            tables << readTable(answersTable(), location, notes);
        settings = CourseSettings::stored();
        transaction.commit();
    }
    connection.close();
    return tables;
}

// The course as a database to migrate from: a keyed table's key column carries the row ids, so
// that the new file keeps them.
class CourseSource : public SourceDatabase {
public:
    explicit CourseSource(const QList<TableRows>& tables) : m_tables(tables) {}

    QList<SourceTable> tables() const override
    {
        QList<SourceTable> tables;
        for (const TableRows& rows : m_tables) {
            SourceTable table{rows.course->name, rows.columns, rows.rows.size()};
            if (rows.keyed())
                table.columns.prepend(SourceColumn{rows.keyName(), ColumnKind::Integer});
            tables << table;
        }
        return tables;
    }

    void readRows(int table, const std::function<void(const QVariantList& row)>& onRow) override
    {
        const TableRows& rows = m_tables[table];
        const bool keyed = rows.keyed();
        for (int i = 0; i < rows.rows.size(); ++i) {
            if (!keyed) {
                onRow(rows.rows[i]);
                continue;
            }
            QVariantList row = rows.rows[i];
            row.prepend(rows.rowIds[i]);
            onRow(row);
        }
    }

private:
    const QList<TableRows>& m_tables;
};

// A new file numbers the results 1, 2, ... in their order: the answers follow their result.
// An answer whose result was deleted is kept without one.
void renumberAnswers(QList<TableRows>& tables, QStringList& notes)
{
    const auto find = [&tables](const QString& name) -> TableRows* {
        for (TableRows& table : tables) {
            if (table.course->name == name)
                return &table;
        }
        return nullptr;
    };
    const TableRows* results = find(kResults);
    TableRows* answers = find(answersTable().name);
    if (!results || !answers)
        return;
    QHash<qint64, qint64> position;
    for (qsizetype i = 0; i < results->rowIds.size(); ++i)
        position.insert(results->rowIds[i], i + 1);
    qsizetype unlinked = 0;
    for (QVariantList& row : answers->rows) {
        const auto found = position.constFind(row[0].toLongLong());
        if (row[0].isNull() || found == position.constEnd()) {
            unlinked += row[0].isNull() ? 0 : 1;
            row[0] = QVariant();
            continue;
        }
        row[0] = *found;
    }
    if (unlinked > 0)
        notes << QStringLiteral("%1: %2 answers belong to results that were deleted; they are "
                                "kept without one")
                     .arg(answersTable().name)
                     .arg(unlinked);
}

QString serverType(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Integer:
        return QStringLiteral("bigint");
    case ColumnKind::Real:
        return QStringLiteral("double precision");
    case ColumnKind::Blob:
        return QStringLiteral("bytea");
    default:
        break;
    }
    return QStringLiteral("text");
}

qint64 rowCount(const QString& table)
{
    Query count(QStringLiteral("rowCount"));
    count.setStatement(Statements::rowCount(table));
    count.open();
    return count.text(0, 0).toLongLong();
}

// The course's settings into the target's, each checked as it is set; one the target refuses
// (written by hand, or unknown to this version) is named and left behind.
void writeSettings(const Settings& settings, bool makeTable, QStringList& notes)
{
    for (const auto& [name, value] : settings) {
        try {
            if (!CourseSettings::find(name))
                throw AppError(QStringLiteral("this version has no such setting"));
            CourseSettings::write(name, value, makeTable);
        } catch (const AppError& error) {
            notes << QStringLiteral("the setting %1 (%2): %3").arg(name, value, error.message());
        }
    }
}

Outcome writeServer(const StoreAddress& target, const QList<TableRows>& tables,
                    const Settings& settings, Console& console)
{
    Connection& connection = Connection::shared();
    connection.setAddress(target);
    connection.open();
    const QString location = connection.location();
    if (!connection.store().allowsAdministration())
        throw AppError(QStringLiteral("%1: this is a lab computer's role, which may not write "
                                      "the course; copy as the database's owner")
                           .arg(location));
    qint64 total = 0;
    for (const TableRows& table : tables)
        total += table.rows.size();

    Outcome outcome;
    Transaction transaction(Transaction::Intent::ReadThenWrite);
    QList<TableRows> copied = tables;
    if (!AnswerRows::keepsAnswers()) {
        const auto answers = std::find_if(copied.begin(), copied.end(), [](const TableRows& t) {
            return t.course->name == answersTable().name;
        });
        if (answers != copied.end()) {
            outcome.notes << QStringLiteral("%1: the target has no table %2 to keep them in "
                                            "(okulyk-admin upgrade adds it)")
                                 .arg(answersTable().name, answersTable().name);
            copied.erase(answers);
        }
    }
    for (const TableRows& table : std::as_const(copied)) {
        qint64 rows = 0;
        try {
            rows = rowCount(table.course->name);
        } catch (const AppError& error) {
            throw AppError(QStringLiteral("%1: %2; set the course up with okulyk-admin "
                                          "server-init first")
                               .arg(location, error.message()));
        }
        if (rows > 0)
            throw AppError(QStringLiteral("%1: the table %2 already holds %3 rows; a course is "
                                          "copied only into an empty one, and nothing was changed")
                               .arg(location, table.course->name, QString::number(rows)));
    }
    Progress progress(console, QStringLiteral("copying"), total);
    qint64 done = 0;
    for (const TableRows& table : std::as_const(copied)) {
        const QString& name = table.course->name;
        Query present(QStringLiteral("tableColumnNames"));
        present.setStatement(Statements::Server::tableColumnNames);
        present.bind(QStringLiteral("a"), name);
        present.open();
        const QStringList targetColumns = present.columnTexts(0);
        QStringList columns;
        for (const SourceColumn& column : table.columns) {
            columns << column.name;
            // Only a column the target lacks needs the tables' owner.
            if (!table.isCourseColumn(column.name) && !targetColumns.contains(column.name))
                connection.store().executeScript(
                    QStringLiteral("alter table %1 add column if not exists %2 %3")
                        .arg(ServerDialect::quotedName(name),
                             ServerDialect::quotedName(column.name), serverType(column.kind)));
        }
        columns << kRowId;
        Query insert(QStringLiteral("copyRow"));
        insert.setStatement(Statements::Server::copyRow(name, columns));
        for (int row = 0; row < table.rows.size(); ++row) {
            const QVariantList& values = table.rows[row];
            for (int i = 0; i < values.size(); ++i)
                insert.bind(QStringLiteral("a%1").arg(i + 1), values[i]);
            insert.bind(QStringLiteral("a%1").arg(values.size() + 1), table.rowIds[row]);
            try {
                insert.execSql();
            } catch (const AppError& error) {
                throw AppError(QStringLiteral("%1: table %2, row %3: %4; nothing was changed")
                                   .arg(location, name, QString::number(row + 1), error.message()));
            }
            progress.step(++done);
        }
        if (!table.rowIds.isEmpty()) {
            // New rows are numbered after the copied ones, so they stay last.
            Query numbering(QStringLiteral("continueRowIds"));
            numbering.setStatement(Statements::Server::continueRowIds);
            numbering.bind(QStringLiteral("a1"), ServerDialect::quotedName(name));
            numbering.bind(QStringLiteral("a2"), table.rowIds.constLast());
            numbering.open();
        }
        outcome.tables << Migration::TableCount{name, table.rows.size()};
    }
    writeSettings(settings, false, outcome.notes);
    transaction.commit();
    progress.finish();
    connection.close();
    return outcome;
}

} // namespace

Outcome run(const StoreAddress& source, const StoreAddress& target, Console& console)
{
    if (source.isServer() == target.isServer() &&
        (source.isServer() ? source.service == target.service : source.path == target.path))
        throw AppError(
            QStringLiteral("%1: the source and the target are the same course").arg(target.text()));
    Outcome outcome;
    Settings settings;
    const QList<TableRows> tables = readCourse(source, outcome.notes, settings);
    if (target.isServer()) {
        const Outcome written = writeServer(target, tables, settings, console);
        outcome.tables = written.tables;
        outcome.notes << written.notes;
        return outcome;
    }
    QList<TableRows> renumbered = tables;
    renumberAnswers(renumbered, outcome.notes);
    CourseSource course(renumbered);
    const Migration::Outcome written =
        Migration::run(course, target.path, console, QStringLiteral("copying"));
    outcome.tables = written.tables;
    outcome.notes << written.notes;
    outcome.problems = written.problems;
    // The settings go into the new file, in a table as the program makes it.
    if (!settings.isEmpty()) {
        try {
            Connection::shared().open(target.path);
            Transaction transaction(Transaction::Intent::ReadThenWrite);
            writeSettings(settings, true, outcome.notes);
            transaction.commit();
        } catch (const AppError& error) {
            outcome.problems
                << QStringLiteral("the course's settings are not copied: %1").arg(error.message());
        }
        Connection::shared().close();
    }
    Connection::shared().setAddress(StoreAddress::file());
    return outcome;
}

} // namespace CourseCopy
