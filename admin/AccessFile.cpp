#include "AccessFile.h"

#include "AppError.h"
#include "Connection.h"

#include <QFileInfo>
#include <QList>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

// glib must come first: mdbtools.h includes it inside extern "C", which its C++ parts refuse.
#include <glib.h>
#include <mdbtools.h>

struct AccessFile::Handle {
    MdbHandle* mdb = nullptr;
    std::vector<MdbCatalogEntry*> entries; // one per table in m_tables
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

namespace {

ColumnKind kindOf(int type)
{
    switch (type) {
    case MDB_BOOL:
        return ColumnKind::Boolean;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return ColumnKind::Integer;
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return ColumnKind::Real;
    case MDB_MONEY:
    case MDB_NUMERIC:
        return ColumnKind::Decimal;
    case MDB_DATETIME:
        return ColumnKind::DateTime;
    case MDB_BINARY:
    case MDB_OLE:
        return ColumnKind::Blob;
    default:
        return ColumnKind::Text;
    }
}

MdbColumn* columnAt(MdbTableDef* table, unsigned i)
{
    return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
}

// A float as the shortest decimal that reads back as the same float (0.15, not
// 0.150000006), then as a double.
double widened(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return QByteArray(text, static_cast<qsizetype>(result.ptr - text)).toDouble();
}

// A value that is not a memo lies within one page: at most MDB_PGSIZE bytes of UCS-2 or of a
// code page, which decode to at most three bytes of UTF-8 per byte. (An OLE object is read
// apart; its bound value is the pointer to its pages.)
constexpr size_t kPageValueBytes = 4 * MDB_PGSIZE;

class TableReader {
public:
    TableReader(MdbHandle* mdb, MdbCatalogEntry* entry, const QString& path)
        : m_mdb(mdb), m_path(path)
    {
        m_table = mdb_read_table(entry);
        if (!m_table)
            throw AppError(QStringLiteral("%1: the table %2 cannot be read")
                               .arg(path, QString::fromUtf8(entry->object_name)));
        m_name = QString::fromUtf8(m_table->name);
        mdb_read_columns(m_table);
        mdb_rewind_table(m_table);
        // The library writes up to the bind size into every bound buffer, and allocates that
        // size again for every value it converts, so the size follows the table's longest
        // value rather than the limit: 16 MB for each of a few thousand values made a small
        // migration slow, and very slow where each allocation is costly.
        m_bindSize =
            std::clamp(3 * longestMemo() + 16, kPageValueBytes, AccessFile::kMaxValueBytes);
        mdb_set_bind_size(mdb, m_bindSize);
        m_buffers.resize(m_table->num_cols);
        m_lengths.assign(m_table->num_cols, 0);
        for (unsigned i = 0; i < m_table->num_cols; ++i) {
            m_buffers[i].reset(new char[m_bindSize]);
            m_buffers[i][0] = '\0';
            mdb_bind_column(m_table, static_cast<int>(i) + 1, m_buffers[i].get(), &m_lengths[i]);
        }
    }
    ~TableReader() { mdb_free_tabledef(m_table); }
    TableReader(const TableReader&) = delete;
    TableReader& operator=(const TableReader&) = delete;

    void readAll(const std::function<void(const QVariantList& row)>& onRow)
    {
        qint64 row = 0;
        while (mdb_fetch_row(m_table)) {
            ++row;
            // The raw values are read from the row's page; reading an OLE object may page.
            std::memcpy(m_page, m_mdb->pg_buf, sizeof m_page);
            QVariantList values;
            values.reserve(static_cast<qsizetype>(m_table->num_cols));
            for (unsigned i = 0; i < m_table->num_cols; ++i)
                values << value(i, row);
            onRow(values);
        }
    }

private:
    // The stored length of the table's longest memo, in bytes, read from the memo fields'
    // headers in a scan that converts nothing (no column is bound yet). Decoded to UTF-8, a
    // memo takes at most three bytes per stored byte.
    size_t longestMemo()
    {
        std::vector<MdbColumn*> memos;
        for (unsigned i = 0; i < m_table->num_cols; ++i) {
            if (columnAt(m_table, i)->col_type == MDB_MEMO)
                memos.push_back(columnAt(m_table, i));
        }
        size_t longest = 0;
        if (memos.empty())
            return longest;
        while (mdb_fetch_row(m_table)) {
            for (const MdbColumn* memo : memos) {
                const int start = memo->cur_value_start;
                if (memo->cur_value_len < 4 || start < 0 || start + 4 > MDB_PGSIZE)
                    continue;
                // The low 30 bits hold the length; the top two tell where the text lies.
                const auto length =
                    static_cast<size_t>(mdb_get_int32(m_mdb->pg_buf, start)) & 0x3fffffffu;
                longest = std::max(longest, length);
            }
        }
        mdb_rewind_table(m_table);
        return longest;
    }

    [[noreturn]] void fail(unsigned column, qint64 row, const QString& why) const
    {
        throw AppError(QStringLiteral("%1: table %2, row %3, column %4: %5")
                           .arg(m_path, m_name, QString::number(row),
                                QString::fromUtf8(columnAt(m_table, column)->name), why));
    }

    QVariant value(unsigned i, qint64 row)
    {
        MdbColumn* column = columnAt(m_table, i);
        const char* bound = m_buffers[i].get();
        const int length = m_lengths[i];
        const int start = column->cur_value_start;
        const int size = column->cur_value_len;
        if (column->col_type == MDB_BOOL)
            return qint64(bound[0] == '1' ? 1 : 0);
        if (size == 0 && length == 0)
            return {};
        if (static_cast<size_t>(length) + 1 >= m_bindSize)
            fail(i, row, QStringLiteral("the value is longer than %1 bytes").arg(m_bindSize - 2));
        const bool inPage = start >= 0 && size >= 0 && start + size <= int(sizeof m_page);
        switch (column->col_type) {
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
        case MDB_COMPLEX: {
            bool ok = false;
            const qint64 number = QByteArray(bound, length).toLongLong(&ok);
            if (!ok)
                fail(i, row,
                     QStringLiteral("\"%1\" is not a whole number")
                         .arg(QString::fromUtf8(bound, length)));
            return number;
        }
        case MDB_FLOAT:
            if (!inPage || size < 4)
                fail(i, row, QStringLiteral("the value lies outside its page"));
            return widened(mdb_get_single(m_page, start));
        case MDB_DOUBLE:
            if (!inPage || size < 8)
                fail(i, row, QStringLiteral("the value lies outside its page"));
            return mdb_get_double(m_page, start);
        case MDB_MONEY:
        case MDB_NUMERIC: {
            const QByteArray text(bound, length);
            bool ok = false;
            const double number = text.toDouble(&ok);
            const qsizetype point = text.indexOf('.');
            const int decimals = point < 0 ? 0 : static_cast<int>(text.size() - point - 1);
            if (!ok || QByteArray::number(number, 'f', decimals) != text)
                fail(i, row,
                     QStringLiteral("%1 cannot be stored as a number without rounding it")
                         .arg(QString::fromLatin1(text)));
            return number;
        }
        case MDB_BINARY:
            if (!inPage)
                fail(i, row, QStringLiteral("the value lies outside its page"));
            return QByteArray(reinterpret_cast<const char*>(m_page) + start, size);
        case MDB_OLE: {
            size_t read = 0;
            void* data = mdb_ole_read_full(m_mdb, column, &read);
            if (!data)
                return {};
            const QByteArray bytes(static_cast<const char*>(data), static_cast<qsizetype>(read));
            free(data);
            return bytes;
        }
        default:
            return QString::fromUtf8(bound, length);
        }
    }

    MdbHandle* m_mdb;
    QString m_path;
    QString m_name;
    MdbTableDef* m_table = nullptr;
    size_t m_bindSize = 0;
    std::vector<std::unique_ptr<char[]>> m_buffers;
    std::vector<int> m_lengths;
    unsigned char m_page[MDB_PGSIZE];
};

} // namespace

AccessFile::AccessFile(const QString& path) : m_handle(std::make_unique<Handle>()), m_path(path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw AppError(QStringLiteral("%1: the file does not exist").arg(path));
    if (!Connection::isAccessFile(path)) {
        QFile file(path);
        const bool sqlite =
            file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
        throw AppError(sqlite ? QStringLiteral("%1: this is already an SQLite database; the "
                                               "program opens it as it is")
                                    .arg(path)
                              : QStringLiteral("%1: not a Microsoft Access database").arg(path));
    }
    m_handle->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!m_handle->mdb)
        throw AppError(QStringLiteral("%1: the Access database cannot be opened").arg(path));
    MdbHandle* mdb = m_handle->mdb;
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb);
    if (!mdb_read_catalog(mdb, MDB_ANY))
        throw AppError(QStringLiteral("%1: the list of tables cannot be read").arg(path));

    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        const QString name = QString::fromUtf8(entry->object_name);
        if (entry->object_type == MDB_LINKED_TABLE) {
            m_leftOut << QStringLiteral("the linked table %1 is left out: its rows are in "
                                        "another file")
                             .arg(name);
            continue;
        }
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        MdbTableDef* table = mdb_read_table(entry);
        if (!table)
            throw AppError(QStringLiteral("%1: the table %2 cannot be read").arg(path, name));
        mdb_read_columns(table);
        SourceTable source;
        source.name = QString::fromUtf8(table->name);
        source.rowCount = table->num_rows;
        for (unsigned c = 0; c < table->num_cols; ++c) {
            MdbColumn* column = columnAt(table, c);
            source.columns.append({QString::fromUtf8(column->name), kindOf(column->col_type)});
        }
        mdb_free_tabledef(table);
        m_tables << source;
        m_handle->entries.push_back(entry);
    }
}

AccessFile::~AccessFile() = default;

QList<SourceTable> AccessFile::tables() const
{
    return m_tables;
}

QStringList AccessFile::leftOut() const
{
    return m_leftOut;
}

void AccessFile::readRows(int table, const std::function<void(const QVariantList& row)>& onRow)
{
    TableReader reader(m_handle->mdb, m_handle->entries.at(static_cast<size_t>(table)), m_path);
    reader.readAll(onRow);
}
