#include "Query.h"

#include "AppError.h"
#include "Connection.h"
#include "Cursor.h"
#include "Store.h"

#include <QRegularExpression>

QString storedText(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

QList<int> shownColumns(const QStringList& names)
{
    QList<int> shown;
    for (int column = 1; column < names.size(); ++column) {
        if (names[column].compare(QLatin1String("rowid"), Qt::CaseInsensitive) != 0)
            shown << column;
    }
    return shown;
}

Query::Query(QString name) : m_name(std::move(name)) {}

Query::~Query() = default;

void Query::close()
{
    m_values.clear();
    m_rowCount = 0;
    m_countedOnly = false;
    m_columns.clear();
    m_open = false;
    m_fetched = false;
}

void Query::clearSql()
{
    m_lines.clear();
    m_namesKnown = false;
}

void Query::clearParams()
{
    m_params.clear();
}

void Query::addLine(const QString& line)
{
    m_lines << line;
    m_namesKnown = false;
}

void Query::setStatement(const QStringList& lines)
{
    close();
    clearSql();
    clearParams();
    for (const QString& line : lines)
        addLine(line);
}

const QStringList& Query::parameterNames() const
{
    if (m_namesKnown)
        return m_names;
    // Names after a colon outside quoted literals and quoted names; the texts of this program
    // quote nothing that holds a colon, but neither must be mistaken for a parameter.
    static const QRegularExpression token(
        QStringLiteral("'(?:[^']|'')*'|\"(?:[^\"]|\"\")*\"|:([A-Za-z_][A-Za-z0-9_]*)"));
    QStringList names;
    auto it = token.globalMatch(sqlText());
    while (it.hasNext()) {
        const auto match = it.next();
        const QString name = match.captured(1);
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    m_names = names;
    m_namesKnown = true;
    return m_names;
}

void Query::bind(const QString& name, const QVariant& value)
{
    if (!parameterNames().contains(name))
        throw AppError(QStringLiteral("Parameter '%1' not found").arg(name));
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        m_params.insert(name, QString(QLatin1String("")));
    else
        m_params.insert(name, value);
}

QVariantList Query::parameterValues() const
{
    QVariantList values;
    for (const QString& name : parameterNames()) {
        const auto value = m_params.constFind(name);
        if (value == m_params.constEnd())
            throw AppError(QStringLiteral("No value given for the parameter '%1'").arg(name));
        values << *value;
    }
    return values;
}

ResultColumns Query::scan(const std::function<void(const Cursor& row)>& onRow) const
{
    auto cursor = runStatement();
    ResultColumns columns;
    columns.names = cursor->columnNames();
    for (int column = 0; column < cursor->columnCount(); ++column)
        columns.integer << cursor->isIntegerColumn(column);
    while (cursor->next())
        onRow(*cursor);
    return columns;
}

std::unique_ptr<Cursor> Query::runStatement() const
{
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    return connection.store().select(sqlText(), parameterNames(), parameterValues());
}

void Query::verify()
{
    close();
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    connection.store().verify(sqlText());
}

void Query::open()
{
    close();
    auto statement = runStatement();
    if (m_incremental) {
        // The first step shows whether the statement runs; the rows are read when asked for.
        statement->next();
        m_columns = statement->columnNames();
        m_open = true;
        return;
    }
    m_columns = statement->columnNames();
    readRows(*statement);
    m_open = true;
}

int Query::execSql()
{
    close();
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    const QString text = sqlText();
    const QVariantList values = parameterValues();
    if (!m_prepared || m_preparedText != text || m_preparedGeneration != connection.generation()) {
        m_prepared.reset();
        m_prepared = connection.store().prepareChange(text, parameterNames());
        m_preparedText = text;
        m_preparedGeneration = connection.generation();
    }
    try {
        const int changed = m_prepared->run(values);
        m_lastInsertId = m_prepared->lastInsertId();
        return changed;
    } catch (const AppError&) {
        m_prepared.reset();
        throw;
    }
}

void Query::reopen()
{
    close();
    open();
}

void Query::fetchAll()
{
    if (m_fetched)
        return;
    readRows(*runStatement());
}

// The values of all rows in one list, row after row.
void Query::readRows(Cursor& cursor)
{
    const int columns = static_cast<int>(m_columns.size());
    m_rowCount = 0;
    while (cursor.next()) {
        for (int column = 0; column < columns; ++column)
            m_values << cursor.value(column);
        ++m_rowCount;
    }
    m_fetched = true;
}

int Query::rowCount()
{
    requireOpen();
    if (!m_countedOnly)
        fetchAll();
    return m_rowCount;
}

QStringList Query::columnTexts(int column)
{
    requireOpen();
    QStringList texts;
    if (m_fetched) {
        texts.reserve(m_rowCount);
        for (int row = 0; row < m_rowCount; ++row)
            texts << text(row, column);
        return texts;
    }
    m_countedOnly = false;
    auto statement = runStatement();
    if (column < 0 || column >= statement->columnCount())
        throw AppError(QStringLiteral("%1: column %2 is outside the result")
                           .arg(m_name.isEmpty() ? QStringLiteral("Query") : m_name)
                           .arg(column));
    while (statement->next())
        texts << statement->text(column);
    m_rowCount = static_cast<int>(texts.size());
    m_countedOnly = true;
    return texts;
}

void Query::requireOpen() const
{
    if (!m_open)
        throw AppError(QStringLiteral("%1: Cannot perform this operation on a closed dataset")
                           .arg(m_name.isEmpty() ? QStringLiteral("Query") : m_name));
}

int Query::columnIndex(const QString& column) const
{
    return static_cast<int>(m_columns.indexOf(column));
}

QVariant Query::value(int row, int column) const
{
    requireOpen();
    // Rows only counted are not kept: they are outside the result as far as values go.
    if (row < 0 || row >= m_rowCount || m_countedOnly || column < 0 || column >= m_columns.size())
        throw AppError(QStringLiteral("%1: row %2, column %3 is outside the result")
                           .arg(m_name.isEmpty() ? QStringLiteral("Query") : m_name)
                           .arg(row)
                           .arg(column));
    return m_values[qsizetype(row) * m_columns.size() + column];
}

QString Query::text(int row, int column) const
{
    return storedText(value(row, column));
}

QString Query::text(int row, const QString& column) const
{
    const int index = columnIndex(column);
    if (index < 0)
        throw AppError(QStringLiteral("%1: Field '%2' not found")
                           .arg(m_name.isEmpty() ? QStringLiteral("Query") : m_name, column));
    return text(row, index);
}
