// The Unicode LIKE matcher against any pattern, text and escape: the answer is the one of a
// plain dynamic-programming matcher (and of SQLite's own LIKE where both fold alike, on ASCII),
// and the work stays within a bound linear in the text's length.

#include "FuzzSupport.h"
#include "UnicodeLike.h"

#include <sqlite3.h>
#include <vector>

namespace {

// The code points as the matcher reads them: a surrogate pair is one, a lone surrogate one too.
std::vector<char32_t> codePoints(QStringView text)
{
    std::vector<char32_t> out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

// LIKE as SQLite defines it, folding case as the matcher does, by dynamic programming over
// (pattern position, text position): slow, and plainly right.
bool reference(QStringView patternText, QStringView textText, char32_t escape)
{
    enum class Kind { Letter, One, Any };
    struct Token {
        Kind kind;
        char32_t letter;
    };
    std::vector<Token> tokens;
    const std::vector<char32_t> pattern = codePoints(patternText);
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char32_t c = pattern[i];
        if (escape != 0 && c == escape) {
            if (++i == pattern.size())
                return false;
            tokens.push_back({Kind::Letter, QChar::toCaseFolded(pattern[i])});
        } else if (c == u'%' && escape != u'%') {
            tokens.push_back({Kind::Any, 0});
        } else if (c == u'_' && escape != u'_') {
            tokens.push_back({Kind::One, 0});
        } else {
            tokens.push_back({Kind::Letter, QChar::toCaseFolded(c)});
        }
    }
    std::vector<char32_t> text = codePoints(textText);
    for (char32_t& c : text)
        c = QChar::toCaseFolded(c);
    const size_t n = text.size();
    // after[j]: the tokens after the current one match text[j..].
    std::vector<char> after(n + 1, 0);
    after[n] = 1;
    std::vector<char> here(n + 1, 0);
    for (size_t t = tokens.size(); t-- > 0;) {
        const Token& token = tokens[t];
        for (size_t j = n + 1; j-- > 0;) {
            switch (token.kind) {
            case Kind::Any:
                here[j] = after[j] || (j < n && here[j + 1]);
                break;
            case Kind::One:
                here[j] = j < n && after[j + 1];
                break;
            case Kind::Letter:
                here[j] = j < n && text[j] == token.letter && after[j + 1];
                break;
            }
        }
        std::swap(after, here);
    }
    return after[0];
}

bool isPlainAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() == 0 || c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// SQLite's built-in LIKE on a connection without the replacement.
int sqliteLike(const QString& pattern, const QString& text, char32_t escape)
{
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        return opened;
    }();
    static sqlite3_stmt* plain = [] {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "select ?2 like ?1", -1, &statement, nullptr);
        return statement;
    }();
    static sqlite3_stmt* escaped = [] {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "select ?2 like ?1 escape ?3", -1, &statement, nullptr);
        return statement;
    }();
    sqlite3_stmt* statement = escape != 0 ? escaped : plain;
    const QByteArray p = pattern.toUtf8();
    const QByteArray t = text.toUtf8();
    const char e = char(escape);
    sqlite3_bind_text(statement, 1, p.constData(), int(p.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 2, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    if (escape != 0)
        sqlite3_bind_text(statement, 3, &e, 1, SQLITE_TRANSIENT);
    const int step = sqlite3_step(statement);
    const int result = step == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_reset(statement);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const char32_t kEscapes[] = {0, u'!', u'\\', u'%', u'_', u'a', u'A', U'ә', U'😀'};
    FuzzedDataProvider data(bytes, size);
    const char32_t escape =
        kEscapes[data.ConsumeIntegralInRange<size_t>(0, std::size(kEscapes) - 1)];
    const QString pattern = Fuzz::consumeText(data, 256);
    const QString text = Fuzz::textFrom(data.ConsumeRemainingBytesAsString());

    const UnicodeLike::Pattern compiled(pattern, escape);
    qint64 work = 0;
    const bool matched = compiled.matches(text, &work);
    const QString detail = QStringLiteral("pattern \"%1\", text \"%2\", escape U+%3")
                               .arg(pattern, text)
                               .arg(uint(escape), 4, 16, QLatin1Char('0'));
    FUZZ_CHECK(matched == reference(pattern, text, escape), detail);
    FUZZ_CHECK(matched == UnicodeLike::matches(pattern, text, escape), detail);

    // Each letter of the text costs a few steps per 64 letters of the longest run with "_".
    const qint64 n = text.size();
    const qint64 m = pattern.size();
    FUZZ_CHECK(work <= 4 * (n + m + 1) * (1 + m / 64),
               detail + QStringLiteral(": %1 steps").arg(work));

    if (isPlainAscii(pattern) && isPlainAscii(text) && escape < 0x80) {
        const int expected = sqliteLike(pattern, text, escape);
        FUZZ_CHECK(expected == int(matched),
                   detail + QStringLiteral(": SQLite says %1").arg(expected));
    }
    return 0;
}
