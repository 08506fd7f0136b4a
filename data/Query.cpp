#include "Query.h"

#include "AppError.h"
#include "Connection.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>

QString storeErrorText(const QSqlError& error)
{
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    return text.isEmpty() ? error.text() : text;
}

QString storedText(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

Query::Query(QString name) : m_name(std::move(name)) {}

Query::~Query() = default;

void Query::close()
{
    m_cursor.reset();
    m_rows.clear();
    m_columns.clear();
    m_open = false;
    m_atEnd = true;
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

QStringList Query::parameterNames() const
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
    return names;
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

QSqlQuery Query::prepareBound() const
{
    Connection::shared().ensureOpen();
    QSqlQuery query(Connection::shared().database());
    query.setForwardOnly(true);
    if (!query.prepare(sqlText()))
        throw AppError(storeErrorText(query.lastError()));
    const QStringList names = parameterNames();
    for (const QString& name : names) {
        if (!m_params.contains(name))
            throw AppError(QStringLiteral("No value given for the parameter '%1'").arg(name));
        query.bindValue(QLatin1Char(':') + name, m_params.value(name));
    }
    return query;
}

QSqlRecord Query::scan(const std::function<void(const QSqlQuery& row)>& onRow) const
{
    QSqlQuery cursor = prepareBound();
    if (!cursor.exec())
        throw AppError(storeErrorText(cursor.lastError()));
    const QSqlRecord record = cursor.record();
    while (cursor.next())
        onRow(cursor);
    if (cursor.lastError().isValid())
        throw AppError(storeErrorText(cursor.lastError()));
    return record;
}

void Query::open()
{
    close();
    auto cursor = std::make_unique<QSqlQuery>(prepareBound());
    if (!cursor->exec())
        throw AppError(storeErrorText(cursor->lastError()));
    const QSqlRecord record = cursor->record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    m_columns = columns;
    m_cursor = std::move(cursor);
    m_atEnd = false;
    m_open = true;
    if (!m_incremental) {
        while (!m_atEnd)
            fetchRow();
    }
}

int Query::execSql()
{
    close();
    Connection& connection = Connection::shared();
    connection.ensureOpen();
    const QString text = sqlText();
    if (!m_prepared || m_preparedText != text || m_preparedGeneration != connection.generation()) {
        m_prepared.reset();
        auto query = std::make_unique<QSqlQuery>(connection.database());
        query->setForwardOnly(true);
        if (!query->prepare(text))
            throw AppError(storeErrorText(query->lastError()));
        m_prepared = std::move(query);
        m_preparedText = text;
        m_preparedGeneration = connection.generation();
    }
    for (const QString& name : parameterNames()) {
        if (!m_params.contains(name))
            throw AppError(QStringLiteral("No value given for the parameter '%1'").arg(name));
        m_prepared->bindValue(QLatin1Char(':') + name, m_params.value(name));
    }
    const bool ok = m_prepared->exec();
    const QSqlError error = m_prepared->lastError();
    m_lastInsertId = ok ? m_prepared->lastInsertId().toLongLong() : 0;
    const int changed = ok ? m_prepared->numRowsAffected() : 0;
    m_prepared->finish();
    if (!ok) {
        m_prepared.reset();
        throw AppError(storeErrorText(error));
    }
    return changed;
}

void Query::reopen()
{
    close();
    open();
}

void Query::fetchRow()
{
    if (m_atEnd)
        return;
    if (!m_cursor->next()) {
        const QSqlError error = m_cursor->lastError();
        m_cursor.reset();
        m_atEnd = true;
        if (error.isValid())
            throw AppError(storeErrorText(error));
        return;
    }
    QVariantList row;
    row.reserve(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        row << m_cursor->value(i);
    m_rows << row;
}

int Query::rowCount()
{
    requireOpen();
    while (!m_atEnd)
        fetchRow();
    return static_cast<int>(m_rows.size());
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
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns.size())
        throw AppError(QStringLiteral("%1: row %2, column %3 is outside the result")
                           .arg(m_name.isEmpty() ? QStringLiteral("Query") : m_name)
                           .arg(row)
                           .arg(column));
    return m_rows[row][column];
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
