#include "Migration.h"

#include "AppError.h"
#include "Connection.h"
#include "Console.h"
#include "Progress.h"
#include "Query.h"
#include "Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>

namespace Migration {

namespace {

// Removes the temporary file (and the journal SQLite may leave beside it) unless it was renamed.
class TemporaryFile {
public:
    explicit TemporaryFile(const QString& target)
        : m_path(QStringLiteral("%1.%2.part").arg(target).arg(QCoreApplication::applicationPid()))
    {
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw AppError(
                QStringLiteral("%1: cannot create the file: %2").arg(m_path, file.errorString()));
    }
    ~TemporaryFile()
    {
        if (m_path.isEmpty())
            return;
        if (Connection::shared().location() == QFileInfo(m_path).absoluteFilePath())
            Connection::shared().close();
        QFile::remove(m_path);
        QFile::remove(m_path + QStringLiteral("-journal"));
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    QString path() const { return m_path; }

    void renameTo(const QString& target)
    {
        // QFile::rename never replaces an existing file.
        if (!QFile::rename(m_path, target))
            throw AppError(
                QStringLiteral("%1: cannot create the file (does it exist now?)").arg(target));
        m_path.clear();
    }

private:
    QString m_path;
};

// A process of another user counts as running.
bool processRuns(qint64 pid)
{
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

// A migration that is killed or cut off leaves its temporary file (and its journal) behind,
// never the target. The next migration to the same target removes those whose process has
// ended; one still running keeps its own.
void removeUnfinished(const QFileInfo& target, Console& console)
{
    static const QRegularExpression part(QStringLiteral("^([0-9]+)\\.part(-journal)?$"));
    const QDir folder = target.absoluteDir();
    const QString prefix = target.fileName() + QLatin1Char('.');
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!name.startsWith(prefix))
            continue;
        const QRegularExpressionMatch match = part.match(name.mid(prefix.size()));
        if (!match.hasMatch() || processRuns(match.captured(1).toLongLong()))
            continue;
        if (QFile::remove(folder.filePath(name)))
            console.message(QStringLiteral("%1: removed, left by a copy that did not finish")
                                .arg(folder.filePath(name)));
    }
}

void execute(const QStringList& statement)
{
    Query query(QStringLiteral("migration"));
    query.setStatement(statement);
    query.execSql();
}

// Checks the written file for the six tables and their columns.
QStringList missingCourseParts()
{
    QStringList problems;
    for (const CourseTables::Table& table : CourseTables::all()) {
        Query kind(QStringLiteral("tableKind"));
        kind.setStatement(Statements::tableKind);
        kind.bind(QStringLiteral("a"), table.name);
        kind.open();
        if (kind.rowCount() == 0) {
            problems << QStringLiteral("the table %1, which the program needs, is missing")
                            .arg(table.name);
            continue;
        }
        Query columns(QStringLiteral("tableColumns"));
        columns.setStatement(Statements::tableColumns);
        columns.bind(QStringLiteral("a"), table.name);
        columns.open();
        QStringList names;
        for (int row = 0; row < columns.rowCount(); ++row)
            names << columns.text(row, 0);
        for (const CourseTables::Column& column : table.columns) {
            if (!column.key && !names.contains(column.name))
                problems << QStringLiteral("the table %1 has no column %2, which the program "
                                           "needs")
                                .arg(table.name, column.name);
        }
    }
    return problems;
}

class Writer {
public:
    Writer(SourceDatabase& source, Console& console, const QString& label, qint64 totalRows)
        : m_source(source), m_progress(console, label, totalRows)
    {
    }

    TableCount copy(int index, const SourceTable& table, QStringList& notes)
    {
        TablePlan target = plan(table);
        notes << target.notes;
        QList<QVariantList> held;
        if (target.keyColumn >= 0) {
            // Whether the key can be the row id depends on all its values: read the rows first.
            m_source.readRows(index, [&](const QVariantList& row) { held << row; });
            if (!ascendingWholeNumbers(held, target.keyColumn)) {
                auto& key = target.columns[target.keyColumn];
                key.rowIdKey = false;
                key.type = QStringLiteral("INTEGER");
                notes << QStringLiteral("%1: the values of %2 are not whole numbers ascending in "
                                        "stored order, so %2 is kept as an ordinary column and "
                                        "the rows keep their order")
                             .arg(target.name, key.name);
            }
        }
        execute(Statements::createTable(target.name, target.columns));

        QStringList names;
        for (const auto& column : target.columns)
            names << column.name;
        const QStringList insert = Statements::insertRow(target.name, names);
        qint64 count = 0;
        const auto store = [&](const QVariantList& row) {
            Query query(QStringLiteral("insertRow"));
            query.setStatement(insert);
            for (int i = 0; i < names.size(); ++i)
                query.bind(QStringLiteral("a%1").arg(i + 1), i < row.size() ? row[i] : QVariant());
            try {
                query.execSql();
            } catch (const AppError& error) {
                throw AppError(QStringLiteral("table %1, row %2: %3")
                                   .arg(target.name, QString::number(count + 1), error.message()));
            }
            ++count;
            m_progress.step(++m_rowsDone);
        };
        if (target.keyColumn >= 0) {
            for (const QVariantList& row : std::as_const(held))
                store(row);
        } else {
            m_source.readRows(index, store);
        }
        if (target.course && !target.course->keyIndex.isEmpty() && target.keyColumn >= 0 &&
            target.columns[target.keyColumn].rowIdKey)
            execute(Statements::createIndex(target.course->keyIndex, target.name,
                                            target.columns[target.keyColumn].name));
        return {target.name, count};
    }

    void finish() { m_progress.finish(); }

private:
    SourceDatabase& m_source;
    Progress m_progress;
    qint64 m_rowsDone = 0;
};

} // namespace

QString typeOf(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Boolean:
        return QStringLiteral("BOOLEAN");
    case ColumnKind::Integer:
        return QStringLiteral("INTEGER");
    case ColumnKind::Real:
        return QStringLiteral("REAL");
    case ColumnKind::Decimal:
        return QStringLiteral("NUMERIC");
    case ColumnKind::DateTime:
        return QStringLiteral("DATETIME");
    case ColumnKind::Text:
        return QStringLiteral("TEXT");
    case ColumnKind::Blob:
        break;
    }
    return QStringLiteral("BLOB");
}

TablePlan plan(const SourceTable& table)
{
    TablePlan target;
    target.course = CourseTables::find(table.name);
    target.name = target.course ? target.course->name : table.name;
    if (target.name != table.name)
        target.notes << QStringLiteral("the table %1 is named %2, as the program spells it")
                            .arg(table.name, target.name);
    for (const SourceColumn& column : table.columns) {
        Statements::ColumnDefinition definition{column.name, typeOf(column.kind), false};
        if (target.course) {
            for (const CourseTables::Column& known : target.course->columns) {
                if (known.name.compare(column.name, Qt::CaseInsensitive) != 0)
                    continue;
                if (known.name != column.name)
                    target.notes << QStringLiteral("%1: the column %2 is named %3, as the "
                                                   "program spells it")
                                        .arg(target.name, column.name, known.name);
                definition = {known.name, known.type, known.key};
                if (known.key)
                    target.keyColumn = static_cast<int>(target.columns.size());
                break;
            }
        }
        target.columns << definition;
    }
    return target;
}

bool ascendingWholeNumbers(const QList<QVariantList>& rows, int column)
{
    qint64 previous = 0;
    bool first = true;
    for (const QVariantList& row : rows) {
        if (column >= row.size())
            return false;
        const QVariant& value = row[column];
        const int type = value.typeId();
        if (type != QMetaType::LongLong && type != QMetaType::Int && type != QMetaType::UInt &&
            type != QMetaType::ULongLong)
            return false;
        const qint64 number = value.toLongLong();
        if (!first && number <= previous)
            return false;
        previous = number;
        first = false;
    }
    return true;
}

Outcome run(SourceDatabase& source, const QString& target, Console& console, const QString& label)
{
    const QFileInfo info(target);
    if (info.exists() || info.isSymLink())
        throw AppError(QStringLiteral("%1: the file exists; okulyk-admin never writes over a "
                                      "file, so name a new one")
                           .arg(target));
    if (!info.absoluteDir().exists())
        throw AppError(
            QStringLiteral("%1: the folder %2 does not exist").arg(target, info.absolutePath()));

    const QList<SourceTable> tables = source.tables();
    qint64 totalRows = 0;
    for (const SourceTable& table : tables)
        totalRows += table.rowCount;

    Outcome outcome;
    outcome.notes << source.leftOut();
    removeUnfinished(info, console);
    TemporaryFile temporary(info.absoluteFilePath());
    Connection::shared().open(temporary.path());
    {
        Transaction transaction;
        Writer writer(source, console, label, totalRows);
        for (int i = 0; i < tables.size(); ++i)
            outcome.tables << writer.copy(i, tables[i], outcome.notes);
        writer.finish();
        outcome.problems = missingCourseParts();
        transaction.commit();
    }
    Connection::shared().close();
    temporary.renameTo(info.absoluteFilePath());
    return outcome;
}

} // namespace Migration
