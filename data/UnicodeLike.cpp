#include "UnicodeLike.h"

#include "SqliteHandle.h"

#include <QSqlDatabase>
#include <sqlite3.h>

namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    auto textOf = [](sqlite3_value* value) {
        const auto* data = static_cast<const char16_t*>(sqlite3_value_text16(value));
        const int bytes = sqlite3_value_bytes16(value);
        return QString::fromUtf16(data, bytes / 2);
    };
    QChar escape;
    if (argc == 3) {
        const QString escapeText = textOf(argv[2]);
        if (escapeText.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = escapeText.front();
    }
    sqlite3_result_int(context, UnicodeLike::matches(textOf(argv[0]), textOf(argv[1]), escape));
}

} // namespace

namespace UnicodeLike {

bool matches(QStringView pattern, QStringView text, QChar escape)
{
    qsizetype p = 0;
    qsizetype t = 0;
    // Where to resume after the last "%": the pattern position after it and the text position
    // it has swallowed up to.
    qsizetype starP = -1;
    qsizetype starT = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            const QChar c = pattern[p];
            if (c == u'%') {
                starP = ++p;
                starT = t;
                continue;
            }
            if (!escape.isNull() && c == escape && p + 1 < pattern.size()) {
                if (sameLetter(pattern[p + 1], text[t])) {
                    p += 2;
                    ++t;
                    continue;
                }
            } else if (c == u'_' || sameLetter(c, text[t])) {
                ++p;
                ++t;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < pattern.size() && pattern[p] == u'%')
        ++p;
    return p == pattern.size();
}

bool install(const QSqlDatabase& db)
{
    sqlite3* sqlite = sqliteHandle(db);
    if (!sqlite)
        return false;
    const int flags = SQLITE_UTF16 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(sqlite, "like", 2, flags, nullptr, likeFunction, nullptr,
                                      nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(sqlite, "like", 3, flags, nullptr, likeFunction, nullptr,
                                      nullptr, nullptr) == SQLITE_OK;
}

} // namespace UnicodeLike
