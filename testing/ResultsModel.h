#pragma once

#include <QAbstractTableModel>
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
// row is stored only once something has been entered into it.
class ResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultsModel(QObject* parent = nullptr);

    // Reads the first page of every result, or of the results whose user is the login.
    // Throws AppError when the store fails; the model is then unchanged.
    void open(const std::optional<QString>& login);
    bool isOpen() const { return m_open; }

    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Shows a refused value in the error box and returns false.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    // Shows a store failure in the error box and stops reading further pages.
    void fetchMore(const QModelIndex& parent) override;

    // The row that holds an unwritten change or is new, or -1.
    int pendingRow() const { return m_pending; }
    bool isNewRow(int row) const;

    // The operations below throw AppError; a failed post keeps the pending row as it is.
    // Adds an empty row at the position, after posting any pending one; returns its row.
    int insertBlankRow(int row);
    void post();
    void cancel();
    // Deletes the row from the table (a new row is only dropped).
    void removeResultRow(int row);

private:
    struct Row {
        qint64 id = 0;
        bool stored = false;
        QVariantList values;
    };
    struct Page {
        QStringList columns;
        QList<bool> integer;
        QList<Row> rows;
        qint64 lastId = 0;
        bool atEnd = true;
    };

    Page readPage(const std::optional<QString>& login, qint64 after, qint64 upTo) const;
    void setCell(int row, int column, const QVariant& value);
    QVariant storedValue(int column, const QVariant& value) const;
    void clearPending();
    int postKeeping(int row);
    void requireEditable() const;

    QStringList m_columns;
    QList<bool> m_integer;
    QList<Row> m_rows;
    std::optional<QString> m_login;
    qint64 m_lastId = 0;
    // The last row id when the grid was opened: rows stored later are not shown.
    qint64 m_upTo = 0;
    bool m_atEnd = true;
    bool m_open = false;
    bool m_editable = false;
    // Rows this grid added: they lie past the last page read and must not be read again.
    QSet<qint64> m_added;

    int m_pending = -1;
    QVariantList m_original;
    QSet<int> m_changed;
};
