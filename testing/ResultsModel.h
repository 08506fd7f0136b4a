#pragma once

#include "EditableResult.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <optional>

// The rows of the results grid: every column of "select * from Тесты", for all results or for
// one login's, read a page at a time as the grid scrolls, so that a table of a million results
// opens at once. The rows are those stored when the grid was opened; rows stored later by
// anyone else appear at the next opening. Each row keeps its row id, so that a change or a deletion
// touches exactly that row even when another row holds the same values.
//
// Only an editable model can be changed. A change goes into the pending row and is written to
// the table by post(), which the grid calls when it leaves the row; cancel() drops it. A new
// row is stored only once something has been entered into it. Text entered into a whole-number
// column must be a whole number.
//
// A course whose results carry the time they were stored (the column Время, seconds since
// 1970-01-01 UTC) shows it to the administrator as a local date and time, read-only; a login's
// own results leave it out.
class ResultsModel : public EditableResult {
    Q_OBJECT
public:
    static inline const QString kTimeColumn = QStringLiteral("Время");

    explicit ResultsModel(QObject* parent = nullptr);

    // Reads the first page of every result, or of the results whose user is the login.
    // Throws AppError when the store fails; the model is then unchanged.
    void open(const std::optional<QString>& login);
    void reload() override { open(m_login); }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    // Shows a store failure in the error box and stops reading further pages.
    void fetchMore(const QModelIndex& parent) override;

protected:
    QStringList addBlankStatement() const override;
    QStringList updateStatement(const QStringList& columns) const override;
    QStringList deleteStatement() const override;
    QVariant enteredValue(int column, const QVariant& value) const override;
    void rowAdded(qint64 id) override;

private:
    struct Page {
        QStringList columns;
        QList<bool> integer;
        QList<Row> rows;
        qint64 lastId = 0;
        bool atEnd = true;
    };

    Page readPage(const std::optional<QString>& login, qint64 after, qint64 upTo) const;

    QList<bool> m_integer;
    std::optional<QString> m_login;
    qint64 m_lastId = 0;
    // The last row id when the grid was opened: rows stored later are not shown.
    qint64 m_upTo = 0;
    bool m_atEnd = true;
    // Rows this grid added: they lie past the last page read and must not be read again.
    QSet<qint64> m_added;
};
