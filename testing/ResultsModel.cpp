#include "ResultsModel.h"

#include "AppError.h"
#include "Guard.h"
#include "Query.h"
#include "RowOrder.h"
#include "Statements.h"
#include "Transaction.h"

#include <QSqlField>
#include <algorithm>
#include <limits>

namespace {

constexpr qint64 kBeforeFirstRow = std::numeric_limits<qint64>::min();

bool isIntegerType(const QSqlField& field)
{
    const int type = field.metaType().id();
    return type == QMetaType::Int || type == QMetaType::LongLong;
}

} // namespace

ResultsModel::ResultsModel(QObject* parent) : QAbstractTableModel(parent) {}

ResultsModel::Page ResultsModel::readPage(const std::optional<QString>& login, qint64 after,
                                          qint64 upTo) const
{
    Query query(QStringLiteral("ADOQuery1"));
    query.setStatement(login ? Statements::resultsOfUserPage : Statements::resultsPage);
    if (login)
        query.bind(QStringLiteral("a"), *login);
    query.bind(QStringLiteral("a1"), after);
    query.bind(QStringLiteral("a2"), upTo);

    Page page;
    page.lastId = after;
    int read = 0;
    // Column 0 is the row id; the others are the columns of "select * from Тесты".
    const QSqlRecord record = query.scan([&](const QSqlQuery& cursor) {
        ++read;
        page.lastId = cursor.value(0).toLongLong();
        if (m_added.contains(page.lastId))
            return;
        Row row{page.lastId, true, {}};
        const int columns = cursor.record().count();
        row.values.reserve(columns - 1);
        for (int column = 1; column < columns; ++column)
            row.values << cursor.value(column);
        page.rows << row;
    });
    for (int column = 1; column < record.count(); ++column) {
        page.columns << record.fieldName(column);
        page.integer << isIntegerType(record.field(column));
    }
    page.atEnd = read < Statements::resultsPageSize;
    return page;
}

// The last row id and the first page are read in one transaction, so the grid holds exactly the
// rows stored at this moment.
void ResultsModel::open(const std::optional<QString>& login)
{
    Transaction transaction;
    RowOrder::require(QStringLiteral("Тесты"));
    Query last(QStringLiteral("ADOQuery1"));
    last.setStatement(Statements::resultsLastRowId);
    last.open();
    const QVariant lastId = last.rowCount() > 0 ? last.value(0, 0) : QVariant();
    const qint64 upTo = lastId.isNull() ? kBeforeFirstRow : lastId.toLongLong();
    Page page = readPage(login, kBeforeFirstRow, upTo);
    transaction.commit();
    beginResetModel();
    m_columns = page.columns;
    m_integer = page.integer;
    m_rows = std::move(page.rows);
    m_lastId = page.lastId;
    m_upTo = upTo;
    m_atEnd = page.atEnd;
    m_login = login;
    m_open = true;
    m_added.clear();
    clearPending();
    endResetModel();
}

void ResultsModel::setEditable(bool editable)
{
    if (editable == m_editable)
        return;
    if (!editable)
        cancel();
    m_editable = editable;
    if (!m_rows.isEmpty() && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int ResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return storedText(m_rows[index.row()].values.value(index.column()));
    case Qt::TextAlignmentRole:
        return m_integer[index.column()] ? int(Qt::AlignRight | Qt::AlignVCenter)
                                         : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (m_editable)
        result |= Qt::ItemIsEditable;
    return result;
}

bool ResultsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!m_editable || role != Qt::EditRole || !index.isValid())
        return false;
    return guarded([&] { setCell(index.row(), index.column(), value); });
}

bool ResultsModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_open && !m_atEnd;
}

void ResultsModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    const bool ok = guarded([this] {
        Page page = readPage(m_login, m_lastId, m_upTo);
        m_lastId = page.lastId;
        m_atEnd = page.atEnd;
        if (page.rows.isEmpty())
            return;
        const int first = rowCount();
        beginInsertRows({}, first, first + static_cast<int>(page.rows.size()) - 1);
        m_rows.append(std::move(page.rows));
        endInsertRows();
    });
    // A view asks again at once; one report of a failing store is enough.
    if (!ok)
        m_atEnd = true;
}

bool ResultsModel::isNewRow(int row) const
{
    return row >= 0 && row < m_rows.size() && !m_rows[row].stored;
}

void ResultsModel::requireEditable() const
{
    if (!m_editable)
        throw AppError(QStringLiteral("Cannot modify a read-only dataset"));
}

// Text typed into a whole-number column must be a whole number; an empty cell is null.
QVariant ResultsModel::storedValue(int column, const QVariant& value) const
{
    if (!m_integer[column])
        return value.toString();
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return {};
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok);
    if (!ok)
        throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
    return number;
}

void ResultsModel::setCell(int row, int column, const QVariant& value)
{
    requireEditable();
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns.size())
        return;
    const QVariant stored = storedValue(column, value);
    if (m_pending != row)
        row = postKeeping(row);
    QVariant& cell = m_rows[row].values[column];
    if (storedText(cell) == storedText(stored))
        return;
    if (m_pending != row) {
        m_pending = row;
        m_original = m_rows[row].values;
        m_changed.clear();
    }
    cell = stored;
    m_changed.insert(column);
    emit dataChanged(index(row, column), index(row, column));
}

int ResultsModel::insertBlankRow(int row)
{
    requireEditable();
    row = std::clamp(postKeeping(row), 0, rowCount());
    beginInsertRows({}, row, row);
    m_rows.insert(row, Row{0, false, QVariantList(m_columns.size())});
    endInsertRows();
    m_pending = row;
    m_original.clear();
    m_changed.clear();
    return row;
}

void ResultsModel::post()
{
    if (m_pending < 0)
        return;
    Row& row = m_rows[m_pending];
    if (m_changed.isEmpty()) {
        // A new row left empty is not stored, an unchanged one needs nothing.
        cancel();
        return;
    }
    QList<int> changed = m_changed.values();
    std::sort(changed.begin(), changed.end());
    QStringList columns;
    for (const int column : changed)
        columns << m_columns[column];

    // A new row is added and filled in one transaction, so a refused value adds nothing.
    Transaction transaction;
    qint64 id = row.id;
    if (!row.stored) {
        Query add(QStringLiteral("ADOQuery1"));
        add.setStatement(Statements::addBlankResult);
        add.execSql();
        id = add.lastInsertId();
    }
    Query update(QStringLiteral("ADOQuery1"));
    update.setStatement(Statements::updateResult(columns));
    for (int i = 0; i < changed.size(); ++i)
        update.bind(QStringLiteral("a%1").arg(i + 1), row.values[changed[i]]);
    update.bind(QStringLiteral("a"), id);
    if (update.execSql() != 1)
        throw AppError(QStringLiteral("The row cannot be changed: it is no longer in the table"));
    transaction.commit();

    if (!row.stored)
        m_added.insert(id);
    row.id = id;
    row.stored = true;
    clearPending();
}

void ResultsModel::cancel()
{
    if (m_pending < 0)
        return;
    const int row = m_pending;
    if (!m_rows[row].stored) {
        clearPending();
        beginRemoveRows({}, row, row);
        m_rows.removeAt(row);
        endRemoveRows();
        return;
    }
    m_rows[row].values = m_original;
    clearPending();
    if (!m_columns.isEmpty())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void ResultsModel::removeResultRow(int row)
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
    Query remove(QStringLiteral("ADOQuery1"));
    remove.setStatement(Statements::removeResult);
    remove.bind(QStringLiteral("a"), m_rows[row].id);
    remove.execSql();
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

// Posting drops a new row left empty, which moves the rows below it up by one.
int ResultsModel::postKeeping(int row)
{
    const int pending = m_pending;
    const int before = rowCount();
    post();
    return pending >= 0 && pending < row && rowCount() < before ? row - 1 : row;
}

void ResultsModel::clearPending()
{
    m_pending = -1;
    m_original.clear();
    m_changed.clear();
}
