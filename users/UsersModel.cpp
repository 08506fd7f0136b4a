#include "UsersModel.h"

#include "Query.h"
#include "RowOrder.h"
#include "Statements.h"

namespace {

const QStringList kTitles = {QStringLiteral("Қолданушы"), QStringLiteral("Пароль"),
                             QStringLiteral("Топ")};

} // namespace

UsersModel::UsersModel(QObject* parent) : QAbstractTableModel(parent) {}

QList<UsersModel::User> UsersModel::read(const std::optional<QString>& filter)
{
    RowOrder::require(kTable);
    Query table(QStringLiteral("ADOTable1"));
    table.setStatement(filter ? Statements::usersGridOfLogin : Statements::usersGrid);
    if (filter)
        table.bind(QStringLiteral("a"), *filter);
    table.open();
    QList<User> users;
    const int rows = table.rowCount();
    users.reserve(rows);
    for (int row = 0; row < rows; ++row)
        users.append({table.text(row, 0), table.text(row, 1), table.text(row, 2)});
    return users;
}

void UsersModel::reset(QList<User> users, const std::optional<QString>& filter)
{
    beginResetModel();
    m_users = std::move(users);
    m_filter = filter;
    m_open = true;
    endResetModel();
}

void UsersModel::refresh()
{
    reset(read(m_filter), m_filter);
}

void UsersModel::setFilter(const std::optional<QString>& login)
{
    reset(read(login), login);
}

int UsersModel::locate(const QString& login) const
{
    for (int row = 0; row < m_users.size(); ++row) {
        if (m_users[row].login == login)
            return row;
    }
    return -1;
}

int UsersModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_users.size());
}

int UsersModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(kTitles.size());
}

QVariant UsersModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_users.size() || role != Qt::DisplayRole)
        return {};
    const User& user = m_users[index.row()];
    switch (index.column()) {
    case 0:
        return user.login;
    case 1:
        return user.password;
    case 2:
        return user.group;
    default:
        return {};
    }
}

QVariant UsersModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kTitles.size())
        return kTitles[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags UsersModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}
