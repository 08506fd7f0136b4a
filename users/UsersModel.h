#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <optional>

// The rows of the read-only users grid: login, password and group of the users table, in stored
// row order. The grid is a snapshot, read when it is opened and again only when the window that
// owns it asks (after its own changes). A filter keeps only the rows whose login equals a text
// under the store's comparison rules; it stays in force across refreshes until it is lifted.
class UsersModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static inline const QString kTable = QStringLiteral("Пользователи");

    struct User {
        QString login;
        QString password;
        QString group;
    };

    explicit UsersModel(QObject* parent = nullptr);

    // Reads the rows again under the filter in force. A table without a stored row order is
    // refused. Throws AppError; the model is then unchanged.
    void refresh();
    // Sets the filter (std::nullopt lifts it) and reads the rows under it. Throws AppError; the
    // model and its filter are then unchanged.
    void setFilter(const std::optional<QString>& login);
    const std::optional<QString>& filter() const { return m_filter; }
    bool isOpen() const { return m_open; }

    // The first row whose login is exactly the text (whole value, letter case kept), or -1.
    int locate(const QString& login) const;
    const User& user(int row) const { return m_users.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    static QList<User> read(const std::optional<QString>& filter);
    void reset(QList<User> users, const std::optional<QString>& filter);

    QList<User> m_users;
    std::optional<QString> m_filter;
    bool m_open = false;
};
