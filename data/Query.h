#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

class Cursor;
class PreparedChange;

// The columns of a result: names, and which hold whole numbers by their declared type.
struct ResultColumns {
    QStringList names;
    QList<bool> integer;
};

// A data set over the shared connection, built with the program's one statement sequence:
// close, clear the text and the parameters, add lines, bind named parameters, then open (rows)
// or execute (changes). Statement texts are fixed; every value is a bound parameter.
//
// An opened result is static: it keeps its rows until it is closed. By default all rows are
// fetched on open; an incremental data set only checks that the statement runs, and reads its
// rows when they are first asked for.
class Query {
public:
    explicit Query(QString name = {});
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    QString name() const { return m_name; }

    void close();
    void clearSql();
    void clearParams();
    void addLine(const QString& line);
    // Close, clear both, then add the lines.
    void setStatement(const QStringList& lines);
    QStringList lines() const { return m_lines; }
    QString sqlText() const { return m_lines.join(QLatin1Char('\n')); }
    // Parameter names as written after the colon, in order of first use.
    const QStringList& parameterNames() const;

    // Binds a parameter by its name without the colon. Text is bound as text (an empty text
    // stays empty, never null); the score as an integer. Throws for an unknown name.
    void bind(const QString& name, const QVariant& value);
    QVariantMap boundValues() const { return m_params; }

    void open();
    // Checks that the statement's tables and columns exist without running it (a data set
    // opened only to report a database that lacks them).
    void verify();
    // Runs a changing statement; returns the number of rows it changed.
    int execSql();
    // The row id of the row that the last execSql() inserted.
    qint64 lastInsertId() const { return m_lastInsertId; }
    // Close and open again with the same text and parameters.
    void reopen();
    bool isOpen() const { return m_open; }

    void setIncremental(bool incremental) { m_incremental = incremental; }
    bool isIncremental() const { return m_incremental; }

    // Rows of an open result; a closed one throws. rowCount() reads the rows of an incremental
    // result.
    int rowCount();
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    QStringList columnNames() const { return m_columns; }
    int columnIndex(const QString& column) const;
    // The texts of one column of every row (null as empty text), read straight from the store
    // when the rows of an incremental result have not been read yet; the row count is then
    // known without the rows being kept.
    QStringList columnTexts(int column);
    // A value as text; null is the empty text.
    QString text(int row, int column) const;
    QString text(int row, const QString& column) const;
    // The raw value, null kept (grids and edits).
    QVariant value(int row, int column) const;

    // Runs the current statement on its own cursor and hands each row to the callback, first to
    // last, keeping none of them; returns the columns of the result. For large results that are
    // read once.
    ResultColumns scan(const std::function<void(const Cursor& row)>& onRow) const;

private:
    void requireOpen() const;
    void fetchAll();
    QVariantList parameterValues() const;
    std::unique_ptr<Cursor> runStatement() const;
    void readRows(Cursor& cursor);

    QString m_name;
    QStringList m_lines;
    QVariantMap m_params;
    bool m_open = false;
    bool m_incremental = false;
    bool m_fetched = false;
    // Rows counted by columnTexts() while none are kept.
    bool m_countedOnly = false;
    qint64 m_lastInsertId = 0;
    // The names after the colon, read from the text once per change of the text.
    mutable QStringList m_names;
    mutable bool m_namesKnown = false;
    // A changing statement stays prepared while its text and the connection stay the same, so
    // running it row after row does not parse it again each time.
    std::unique_ptr<PreparedChange> m_prepared;
    QString m_preparedText;
    quint64 m_preparedGeneration = 0;
    QStringList m_columns;
    QVariantList m_values;
    int m_rowCount = 0;
};

// Text of a stored value as every data set reads it: null is the empty text.
QString storedText(const QVariant& value);

// The columns of a "select rowid, * from ..." result that a window shows: every one after the
// leading row id but a column named rowid, which a table on the server has as its own last
// column and which is the row's identity, not its data.
QList<int> shownColumns(const QStringList& names);
