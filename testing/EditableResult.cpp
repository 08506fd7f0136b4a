#include "EditableResult.h"

#include "AppError.h"
#include "Guard.h"
#include "Query.h"
#include "Transaction.h"

#include <algorithm>

EditableResult::EditableResult(QString queryName, QObject* parent)
    : QAbstractTableModel(parent), m_queryName(std::move(queryName))
{
}

void EditableResult::resetRows(QStringList columns, QList<Row> rows)
{
    beginResetModel();
    m_columns = std::move(columns);
    m_rows = std::move(rows);
    m_open = true;
    clearPending();
    endResetModel();
}

void EditableResult::closeRows()
{
    beginResetModel();
    m_columns.clear();
    m_rows.clear();
    m_open = false;
    clearPending();
    endResetModel();
}

void EditableResult::appendRows(QList<Row> rows)
{
    if (rows.isEmpty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.append(std::move(rows));
    endInsertRows();
}

void EditableResult::setEditable(bool editable)
{
    if (editable == m_editable)
        return;
    if (!editable)
        cancel();
    m_editable = editable;
    if (!m_rows.isEmpty() && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int EditableResult::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int EditableResult::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant EditableResult::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size())
        return {};
    const QVariant value = m_rows[index.row()].values.value(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return storedText(value);
    case ValueRole:
        return value;
    default:
        return {};
    }
}

QVariant EditableResult::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags EditableResult::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (m_editable)
        result |= Qt::ItemIsEditable;
    return result;
}

bool EditableResult::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!m_editable || role != Qt::EditRole || !index.isValid())
        return false;
    return guarded([&] { setCell(index.row(), index.column(), value); });
}

bool EditableResult::isNewRow(int row) const
{
    return row >= 0 && row < m_rows.size() && !m_rows[row].stored;
}

qint64 EditableResult::rowId(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].id : 0;
}

int EditableResult::rowOfId(qint64 id) const
{
    for (int row = 0; row < m_rows.size(); ++row)
        if (m_rows[row].stored && m_rows[row].id == id)
            return row;
    return -1;
}

QVariant EditableResult::enteredValue(int, const QVariant& value) const
{
    return value;
}

QVariantList EditableResult::valuesToWrite(const Row& row) const
{
    return row.values;
}

void EditableResult::rowAdded(qint64) {}

QVariantList EditableResult::readValues(qint64) const
{
    return QVariantList(m_columns.size());
}

void EditableResult::readRow(int row)
{
    if (row < 0 || row >= m_rows.size() || m_rows[row].values.size() == m_columns.size())
        return;
    QVariantList values = readValues(m_rows[row].id);
    values.resize(m_columns.size());
    m_rows[row].values = std::move(values);
    if (!m_columns.isEmpty())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void EditableResult::requireEditable() const
{
    if (!m_editable)
        throw AppError(QStringLiteral("Cannot modify a read-only dataset"));
}

void EditableResult::setCell(int row, int column, const QVariant& value)
{
    requireEditable();
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns.size())
        return;
    const QVariant entered = enteredValue(column, value);
    if (m_pending != row)
        row = postKeeping(row);
    readRow(row);
    QVariant& cell = m_rows[row].values[column];
    if (storedText(cell) == storedText(entered))
        return;
    if (m_pending != row)
        startPending(row);
    cell = entered;
    m_changed.insert(column);
    emit dataChanged(index(row, column), index(row, column));
}

int EditableResult::beginEdit(int row)
{
    requireEditable();
    if (row < 0 || row >= m_rows.size())
        throw AppError(QStringLiteral("%1: no row to edit").arg(m_queryName));
    if (m_pending == row)
        return row;
    row = postKeeping(row);
    readRow(row);
    startPending(row);
    return row;
}

int EditableResult::insertBlankRow(int row)
{
    requireEditable();
    row = std::clamp(postKeeping(row), 0, rowCount());
    beginInsertRows({}, row, row);
    m_rows.insert(row, Row{0, false, QVariantList(m_columns.size())});
    endInsertRows();
    m_pending = row;
    m_original.clear();
    m_changed.clear();
    emit editStateChanged();
    return row;
}

void EditableResult::post()
{
    if (m_pending < 0)
        return;
    Row& row = m_rows[m_pending];
    if (m_changed.isEmpty()) {
        // A new row left empty is not stored, an unchanged one needs nothing.
        cancel();
        return;
    }
    const QVariantList values = valuesToWrite(row);
    QList<int> changed = m_changed.values();
    std::sort(changed.begin(), changed.end());
    QStringList columns;
    for (const int column : changed)
        columns << m_columns[column];

    // A new row is added and filled in one transaction, so a refused value adds nothing.
    Transaction transaction;
    qint64 id = row.id;
    if (!row.stored) {
        Query add(m_queryName);
        add.setStatement(addBlankStatement());
        add.execSql();
        id = add.lastInsertId();
    }
    Query update(m_queryName);
    update.setStatement(updateStatement(columns));
    for (int i = 0; i < changed.size(); ++i)
        update.bind(QStringLiteral("a%1").arg(i + 1), values[changed[i]]);
    update.bind(QStringLiteral("a"), id);
    if (update.execSql() != 1)
        throw AppError(QStringLiteral("The row cannot be changed: it is no longer in the table"));
    transaction.commit();

    if (!row.stored)
        rowAdded(id);
    row.id = id;
    row.stored = true;
    // The row now holds what was written, which may differ in form from what was entered.
    bool rewritten = false;
    for (const int column : changed) {
        rewritten = rewritten || row.values[column] != values[column];
        row.values[column] = values[column];
    }
    const int written = m_pending;
    clearPending();
    emit editStateChanged();
    if (rewritten)
        emit dataChanged(index(written, 0), index(written, columnCount() - 1));
}

void EditableResult::cancel()
{
    if (m_pending < 0)
        return;
    const int row = m_pending;
    if (!m_rows[row].stored) {
        clearPending();
        beginRemoveRows({}, row, row);
        m_rows.removeAt(row);
        endRemoveRows();
        emit editStateChanged();
        return;
    }
    m_rows[row].values = m_original;
    clearPending();
    emit editStateChanged();
    if (!m_columns.isEmpty())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void EditableResult::deleteRow(int row)
{
    requireEditable();
    if (row < 0 || row >= m_rows.size())
        return;
    if (row == m_pending) {
        // The row's unwritten change goes with it; a new row only needs dropping.
        const bool stored = m_rows[row].stored;
        cancel();
        if (!stored)
            return;
    } else {
        row = postKeeping(row);
    }
    Query remove(m_queryName);
    remove.setStatement(deleteStatement());
    remove.bind(QStringLiteral("a"), m_rows[row].id);
    remove.execSql();
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

int EditableResult::postKeeping(int row)
{
    const int pending = m_pending;
    const int before = rowCount();
    post();
    return pending >= 0 && pending < row && rowCount() < before ? row - 1 : row;
}

void EditableResult::startPending(int row)
{
    m_pending = row;
    m_original = m_rows[row].values;
    m_changed.clear();
    emit editStateChanged();
}

void EditableResult::clearPending()
{
    m_pending = -1;
    m_original.clear();
    m_changed.clear();
}
