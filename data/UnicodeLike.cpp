#include "UnicodeLike.h"

#include "SqliteHandle.h"
#include "Utf8Text.h"

#include <QSqlDatabase>
#include <sqlite3.h>

namespace {

QString utf8Text(sqlite3_value* value)
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return utf8ToString(data, sqlite3_value_bytes(value));
}

// The pattern of a statement is the same for every row: it is folded once and kept with the
// statement by the store.
struct FoldedPattern {
    QString pattern;
    QString folded;
};

void dropPattern(void* pattern)
{
    delete static_cast<FoldedPattern*>(pattern);
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    QChar escape;
    if (argc == 3) {
        const QString escapeText = utf8Text(argv[2]);
        if (escapeText.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = escapeText.front();
    }
    auto* pattern = static_cast<FoldedPattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        pattern = new FoldedPattern;
        pattern->pattern = utf8Text(argv[0]);
        pattern->folded = pattern->pattern.toCaseFolded();
        sqlite3_set_auxdata(context, 0, pattern, dropPattern);
        // The store may drop it at once (a pattern that changes from row to row).
        pattern = static_cast<FoldedPattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) {
            const QString text = utf8Text(argv[0]);
            sqlite3_result_int(context, UnicodeLike::matches(text, utf8Text(argv[1]), escape));
            return;
        }
    }
    // The texts of a search are decoded into one buffer, row after row.
    static thread_local QString buffer;
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    sqlite3_result_int(
        context,
        UnicodeLike::matchesFolded(pattern->pattern, pattern->folded,
                                   utf8ToView(text, sqlite3_value_bytes(argv[1]), buffer), escape));
}

} // namespace

namespace UnicodeLike {

bool matches(QStringView pattern, QStringView text, QChar escape)
{
    const QString folded = pattern.toString().toCaseFolded();
    return matchesFolded(pattern, folded, text, escape);
}

bool matchesFolded(QStringView pattern, QStringView folded, QStringView text, QChar escape)
{
    // A character of the text matches one of the pattern when it is the same or folds to the
    // pattern's folded character; most characters are compared without folding.
    const auto same = [&](qsizetype p, QChar c) {
        return pattern[p] == c || folded[p] == c.toCaseFolded();
    };
    // Folding keeps the length for all but a few letters outside the alphabets this program
    // serves; for those, compare folded text against folded pattern letter by letter.
    if (folded.size() != pattern.size()) {
        const QString foldedText = text.toString().toCaseFolded();
        return matchesFolded(folded, folded, foldedText, escape);
    }
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
                if (same(p + 1, text[t])) {
                    p += 2;
                    ++t;
                    continue;
                }
            } else if (c == u'_' || same(p, text[t])) {
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
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(sqlite, "like", 2, flags, nullptr, likeFunction, nullptr,
                                      nullptr, nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(sqlite, "like", 3, flags, nullptr, likeFunction, nullptr,
                                      nullptr, nullptr) == SQLITE_OK;
}

} // namespace UnicodeLike
