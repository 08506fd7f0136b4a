#include "StoreStatement.h"

#include "AppError.h"
#include "FileStore.h"
#include "Utf8Text.h"

#include <sqlite3.h>

namespace {

QString errorText(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace

StoreStatement::StoreStatement(FileStore& store, const QString& text)
    : m_store(&store), m_db(store.handle())
{
    if (!m_db)
        throw AppError(QStringLiteral("The database connection is not open"));
    const QByteArray utf8 = text.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &m_statement, nullptr) !=
        SQLITE_OK) {
        const QString message = errorText(m_db);
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        throw AppError(message);
    }
    m_store->adopt(this);
}

StoreStatement::~StoreStatement()
{
    if (m_store)
        m_store->release(this);
    sqlite3_finalize(m_statement);
}

void StoreStatement::finalize()
{
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_store = nullptr;
}

int StoreStatement::parameterIndex(const QString& name) const
{
    return sqlite3_bind_parameter_index(m_statement, name.toUtf8().constData());
}

void StoreStatement::bind(const QString& name, const QVariant& value)
{
    bind(parameterIndex(name), value);
}

void StoreStatement::bind(int index, const QVariant& value)
{
    if (index <= 0)
        return;
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr:
        rc = sqlite3_bind_null(m_statement, index);
        break;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::SChar:
        rc = value.isNull() ? sqlite3_bind_null(m_statement, index)
                            : sqlite3_bind_int64(m_statement, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        rc = sqlite3_bind_double(m_statement, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(m_statement, index, bytes.constData(),
                                 sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        if (value.isNull() && value.typeId() != QMetaType::QString) {
            rc = sqlite3_bind_null(m_statement, index);
            break;
        }
        const QByteArray utf8 = value.typeId() == QMetaType::QString
                                    ? stringToUtf8(*static_cast<const QString*>(value.constData()))
                                    : value.toString().toUtf8();
        rc = sqlite3_bind_text64(m_statement, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                                 SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    }
    if (rc != SQLITE_OK)
        throw AppError(errorText(m_db));
}

bool StoreStatement::next()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw AppError(errorText(m_db));
}

int StoreStatement::execute()
{
    int rc = sqlite3_step(m_statement);
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(m_statement);
    sqlite3_reset(m_statement);
    if (rc != SQLITE_DONE)
        throw AppError(errorText(m_db));
    sqlite3_clear_bindings(m_statement);
    return sqlite3_changes(m_db);
}

qint64 StoreStatement::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int StoreStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

// Whole-number columns as the Qt driver types them: those declared INTEGER or INT.
bool StoreStatement::isIntegerColumn(int column) const
{
    const char* declared = sqlite3_column_decltype(m_statement, column);
    if (!declared)
        return sqlite3_column_type(m_statement, column) == SQLITE_INTEGER;
    const QByteArray type = QByteArray(declared).toLower();
    return type == "integer" || type == "int";
}

QStringList StoreStatement::columnNames() const
{
    QStringList names;
    for (int column = 0; column < columnCount(); ++column)
        names << QString::fromUtf8(sqlite3_column_name(m_statement, column));
    return names;
}

QVariant StoreStatement::value(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_statement, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return QVariant(utf8ToString(text, sqlite3_column_bytes(m_statement, column)));
    }
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QVariant(QByteArray(bytes, sqlite3_column_bytes(m_statement, column)));
    }
    default:
        return QVariant();
    }
}

QString StoreStatement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    if (!data)
        return QString(QLatin1String(""));
    return utf8ToString(data, sqlite3_column_bytes(m_statement, column));
}
