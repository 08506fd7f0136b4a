#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QStringList>

// An editable result of one table, shown in a grid or in fields bound to its current row. Each
// row keeps the row id it was read with, so that a change or a deletion touches exactly that row
// even when another row holds the same values.
//
// A change goes into the pending row and is written to the table by post(); cancel() drops it.
// One row is pending at a time: changing, inserting or deleting another row posts it first. A
// new row is stored only once something has been entered into it. The subclass reads the rows,
// names the table's statements and may refuse a value as it is entered or a row as it is posted.
class EditableResult : public QAbstractTableModel {
    Q_OBJECT
public:
    // The value as stored, null kept; the display and edit roles give it as text.
    static constexpr int ValueRole = Qt::UserRole;

    // queryName names the data set in the store's errors.
    explicit EditableResult(QString queryName, QObject* parent = nullptr);

    bool isOpen() const { return m_open; }
    // Turning editing off drops a pending change.
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

    int columnIndex(const QString& name) const { return static_cast<int>(m_columns.indexOf(name)); }
    // The row that holds an unwritten change or is new, or -1.
    int pendingRow() const { return m_pending; }
    bool isNewRow(int row) const;
    // The row id of a stored row (0 for a new one), and the row that has an id (or -1).
    qint64 rowId(int row) const;
    int rowOfId(qint64 id) const;

    // The operations below throw AppError; a failed post keeps the pending row as it is.
    // Reads the result again with the statement it was opened with; a pending change is dropped.
    virtual void reload() = 0;
    // Reads the values of a row that a subclass has not read yet.
    void readRow(int row);
    // Makes the row pending, unchanged, after posting any other pending row; returns the row.
    int beginEdit(int row);
    // Adds an empty row at the position, after posting any pending one; returns its row.
    int insertBlankRow(int row);
    void post();
    // Posts and returns where the row now is: posting drops a new row left empty, which moves
    // the rows below it up by one.
    int postKeeping(int row);
    void cancel();
    // Deletes the row from the table (a new row is only dropped).
    void deleteRow(int row);

signals:
    // A row became pending or was released.
    void editStateChanged();

protected:
    struct Row {
        qint64 id = 0;
        bool stored = false;
        // Empty until read, for a subclass that reads rows on demand.
        QVariantList values;
    };

    // The statements that change the table: add an empty row, write the named columns of the row
    // whose id is :a (values :a1, :a2... in order), delete the row whose id is :a.
    virtual QStringList addBlankStatement() const = 0;
    virtual QStringList updateStatement(const QStringList& columns) const = 0;
    virtual QStringList deleteStatement() const = 0;
    // The value kept for what was entered into a column; throws AppError to refuse it.
    virtual QVariant enteredValue(int column, const QVariant& value) const;
    // The values written when the row is posted; throws AppError to refuse the row.
    virtual QVariantList valuesToWrite(const Row& row) const;
    // Told of each row this model adds to the table.
    virtual void rowAdded(qint64 id);
    // The values of a stored row that has not been read yet (nulls by default).
    virtual QVariantList readValues(qint64 id) const;

    // Opens the model on these rows, dropping any pending change.
    void resetRows(QStringList columns, QList<Row> rows);
    void closeRows();
    void appendRows(QList<Row> rows);
    const QString& queryName() const { return m_queryName; }

private:
    void setCell(int row, int column, const QVariant& value);
    void startPending(int row);
    void clearPending();
    void requireEditable() const;

    QString m_queryName;
    QStringList m_columns;
    QList<Row> m_rows;
    bool m_open = false;
    bool m_editable = false;

    int m_pending = -1;
    QVariantList m_original;
    QSet<int> m_changed;
};
