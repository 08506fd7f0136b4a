#include "ResultsModel.h"

#include "AppError.h"
#include "Cursor.h"
#include "Guard.h"
#include "Query.h"
#include "RowOrder.h"
#include "Statements.h"
#include "Transaction.h"

#include <QDateTime>
#include <limits>

namespace {

constexpr qint64 kBeforeFirstRow = std::numeric_limits<qint64>::min();

} // namespace

ResultsModel::ResultsModel(QObject* parent) : EditableResult(QStringLiteral("ADOQuery1"), parent) {}

ResultsModel::Page ResultsModel::readPage(const std::optional<QString>& login, qint64 after,
                                          qint64 upTo) const
{
    Query query(queryName());
    query.setStatement(login ? Statements::resultsOfUserPage : Statements::resultsPage);
    if (login)
        query.bind(QStringLiteral("a"), *login);
    query.bind(QStringLiteral("a1"), after);
    query.bind(QStringLiteral("a2"), upTo);

    Page page;
    page.lastId = after;
    int read = 0;
    // Column 0 is the row id; the others are the columns of "select * from Тесты". The time
    // each result was stored is the administrator's, who sees everyone's.
    const auto gridColumns = [&login](const QStringList& names) {
        QList<int> shown;
        for (const int column : shownColumns(names)) {
            if (!login || names[column] != kTimeColumn)
                shown << column;
        }
        return shown;
    };
    QList<int> shown;
    const ResultColumns columns = query.scan([&](const Cursor& cursor) {
        ++read;
        page.lastId = cursor.value(0).toLongLong();
        if (m_added.contains(page.lastId))
            return;
        if (shown.isEmpty())
            shown = gridColumns(cursor.columnNames());
        Row row{page.lastId, true, {}};
        row.values.reserve(shown.size());
        for (const int column : std::as_const(shown))
            row.values << cursor.value(column);
        page.rows << row;
    });
    for (const int column : gridColumns(columns.names)) {
        page.columns << columns.names[column];
        page.integer << columns.integer[column];
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
    Query last(queryName());
    last.setStatement(Statements::resultsLastRowId);
    last.open();
    const QVariant lastId = last.rowCount() > 0 ? last.value(0, 0) : QVariant();
    const qint64 upTo = lastId.isNull() ? kBeforeFirstRow : lastId.toLongLong();
    Page page = readPage(login, kBeforeFirstRow, upTo);
    transaction.commit();
    m_integer = page.integer;
    m_lastId = page.lastId;
    m_upTo = upTo;
    m_atEnd = page.atEnd;
    m_login = login;
    m_added.clear();
    resetRows(page.columns, std::move(page.rows));
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && index.column() == columnIndex(kTimeColumn) &&
        (role == Qt::DisplayRole || role == Qt::EditRole)) {
        const QVariant stored = EditableResult::data(index, ValueRole);
        bool ok = false;
        const qint64 seconds = stored.toLongLong(&ok);
        return stored.isNull() || !ok ? QVariant(EditableResult::data(index, role))
                                      : QVariant(QDateTime::fromSecsSinceEpoch(seconds).toString(
                                            QStringLiteral("yyyy-MM-dd HH:mm")));
    }
    if (role != Qt::TextAlignmentRole)
        return EditableResult::data(index, role);
    if (!index.isValid() || index.column() >= m_integer.size())
        return {};
    return m_integer[index.column()] ? int(Qt::AlignRight | Qt::AlignVCenter)
                                     : int(Qt::AlignLeft | Qt::AlignVCenter);
}

// When a result was stored is the program's record, not something to type over.
Qt::ItemFlags ResultsModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags flags = EditableResult::flags(index);
    return index.isValid() && index.column() == columnIndex(kTimeColumn)
               ? flags & ~Qt::ItemIsEditable
               : flags;
}

bool ResultsModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && isOpen() && !m_atEnd;
}

void ResultsModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    const bool ok = guarded([this] {
        Page page = readPage(m_login, m_lastId, m_upTo);
        m_lastId = page.lastId;
        m_atEnd = page.atEnd;
        appendRows(std::move(page.rows));
    });
    // A view asks again at once; one report of a failing store is enough.
    if (!ok)
        m_atEnd = true;
}

QStringList ResultsModel::addBlankStatement() const
{
    return Statements::addBlankResult;
}

QStringList ResultsModel::updateStatement(const QStringList& columns) const
{
    return Statements::updateResult(columns);
}

QStringList ResultsModel::deleteStatement() const
{
    return Statements::removeResult;
}

void ResultsModel::rowAdded(qint64 id)
{
    m_added.insert(id);
}

// Text typed into a whole-number column must be a whole number; an empty cell is null.
QVariant ResultsModel::enteredValue(int column, const QVariant& value) const
{
    if (column >= m_integer.size() || !m_integer[column])
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
