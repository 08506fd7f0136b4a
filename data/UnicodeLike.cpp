#include "UnicodeLike.h"

#include "SqliteHandle.h"
#include "Utf8Text.h"

#include <QList>
#include <QSqlDatabase>
#include <sqlite3.h>

#include <memory>
#include <unordered_map>

namespace UnicodeLike {

namespace {

// What "_" turns into: no code point has this value.
constexpr char32_t kAnyLetter = 0xFFFFFFFF;

// The code points of a text, their case folded or not; a surrogate that stands unpaired is a
// code point of its own, so every text can be matched.
std::vector<char32_t> codePoints(QStringView text, bool fold)
{
    std::vector<char32_t> letters;
    letters.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        letters.push_back(fold ? QChar::toCaseFolded(c) : c);
    }
    return letters;
}

bool isSet(const std::vector<quint64>& bits, qsizetype position)
{
    return (bits[size_t(position >> 6)] >> (position & 63)) & 1;
}

} // namespace

// One run of the pattern between two "%" (or an end): folded letters and kAnyLetter.
struct Pattern::Run {
    std::vector<char32_t> letters;
    bool hasAny = false;

    // Without "_": the prefix table (the longest proper border of each prefix).
    std::vector<qsizetype> border;

    // With "_": bit j of the state says that the run's first j + 1 letters end at the text's
    // current letter. The letters that stand at many places of the run have a mask of their
    // own; the others keep a list of places, so the masks take as many bits as the run is long
    // and a letter of the text costs a few words whatever the run holds.
    qsizetype words = 0;
    std::vector<quint64> anyMask;
    std::unordered_map<char32_t, std::vector<quint64>> denseMasks;
    std::unordered_map<char32_t, std::vector<qsizetype>> sparsePlaces;

    qsizetype size() const { return qsizetype(letters.size()); }

    void prepare()
    {
        if (!hasAny) {
            border.assign(letters.size(), 0);
            for (size_t i = 1, k = 0; i < letters.size(); ++i) {
                while (k > 0 && letters[i] != letters[k])
                    k = size_t(border[k - 1]);
                if (letters[i] == letters[k])
                    ++k;
                border[i] = qsizetype(k);
            }
            return;
        }
        words = (size() + 63) / 64;
        anyMask.assign(size_t(words), 0);
        std::unordered_map<char32_t, std::vector<qsizetype>> places;
        for (qsizetype j = 0; j < size(); ++j) {
            if (letters[size_t(j)] == kAnyLetter)
                anyMask[size_t(j >> 6)] |= quint64(1) << (j & 63);
            else
                places[letters[size_t(j)]].push_back(j);
        }
        for (auto& [letter, at] : places) {
            if (qsizetype(at.size()) <= words) {
                sparsePlaces.emplace(letter, std::move(at));
                continue;
            }
            std::vector<quint64>& mask = denseMasks[letter];
            mask.assign(size_t(words), 0);
            for (const qsizetype j : at)
                mask[size_t(j >> 6)] |= quint64(1) << (j & 63);
        }
    }

    bool matchesAt(const std::vector<char32_t>& text, qsizetype at, qint64& work) const
    {
        work += size();
        for (qsizetype j = 0; j < size(); ++j) {
            const char32_t letter = letters[size_t(j)];
            if (letter != kAnyLetter && letter != text[size_t(at + j)])
                return false;
        }
        return true;
    }
};

Pattern::Pattern(QStringView pattern, char32_t escape) : m_escape(escape)
{
    // Like SQLite, an escape that is itself a wildcard makes that wildcard a plain letter.
    const bool percentIsWild = escape != u'%';
    const bool underscoreIsWild = escape != u'_';
    const std::vector<char32_t> raw = codePoints(pattern, false);
    const std::vector<char32_t> letters = codePoints(pattern, true);
    m_runs.emplace_back();
    for (size_t i = 0; i < raw.size(); ++i) {
        const char32_t c = raw[i];
        if (escape != 0 && c == escape) {
            if (++i == raw.size()) {
                m_never = true;
                break;
            }
            m_runs.back().letters.push_back(letters[i]);
        } else if (c == u'%' && percentIsWild) {
            m_runs.emplace_back();
        } else if (c == u'_' && underscoreIsWild) {
            m_runs.back().letters.push_back(kAnyLetter);
            m_runs.back().hasAny = true;
        } else {
            m_runs.back().letters.push_back(letters[i]);
        }
    }
    for (Run& run : m_runs) {
        run.prepare();
        m_letters += run.size();
    }
}

Pattern::~Pattern() = default;
Pattern::Pattern(Pattern&&) noexcept = default;
Pattern& Pattern::operator=(Pattern&&) noexcept = default;

bool Pattern::find(const Run& run, const std::vector<char32_t>& text, qsizetype& from, qsizetype to,
                   qint64& work) const
{
    const qsizetype length = run.size();
    if (length == 0)
        return true;
    if (!run.hasAny) {
        qsizetype k = 0;
        for (qsizetype i = from; i < to; ++i) {
            const char32_t c = text[size_t(i)];
            while (k > 0 && run.letters[size_t(k)] != c) {
                k = run.border[size_t(k - 1)];
                ++work;
            }
            ++work;
            if (run.letters[size_t(k)] == c && ++k == length) {
                from = i + 1;
                return true;
            }
        }
        return false;
    }
    const size_t words = size_t(run.words);
    std::vector<quint64> state(words, 0);
    std::vector<quint64> shifted(words, 0);
    for (qsizetype i = from; i < to; ++i) {
        quint64 carry = 1; // a match of the run may begin at every letter
        for (size_t w = 0; w < words; ++w) {
            const quint64 value = state[w];
            shifted[w] = (value << 1) | carry;
            carry = value >> 63;
        }
        work += run.words;
        const char32_t c = text[size_t(i)];
        const auto dense = run.denseMasks.find(c);
        if (dense != run.denseMasks.end()) {
            for (size_t w = 0; w < words; ++w)
                state[w] = shifted[w] & (run.anyMask[w] | dense->second[w]);
            work += run.words;
        } else {
            for (size_t w = 0; w < words; ++w)
                state[w] = shifted[w] & run.anyMask[w];
            if (const auto sparse = run.sparsePlaces.find(c); sparse != run.sparsePlaces.end()) {
                for (const qsizetype j : sparse->second) {
                    if (isSet(shifted, j))
                        state[size_t(j >> 6)] |= quint64(1) << (j & 63);
                }
                work += qsizetype(sparse->second.size());
            }
        }
        if (isSet(state, length - 1)) {
            from = i + 1;
            return true;
        }
    }
    return false;
}

bool Pattern::matches(QStringView text, qint64* work) const
{
    qint64 steps = text.size();
    const auto result = [&](bool matched) {
        if (work)
            *work = steps;
        return matched;
    };
    if (m_never)
        return result(false);
    const std::vector<char32_t> letters = codePoints(text, true);
    const qsizetype size = qsizetype(letters.size());
    if (m_letters > size)
        return result(false);
    const Run& first = m_runs.front();
    if (m_runs.size() == 1)
        return result(size == first.size() && first.matchesAt(letters, 0, steps));
    const Run& last = m_runs.back();
    if (!first.matchesAt(letters, 0, steps) || !last.matchesAt(letters, size - last.size(), steps))
        return result(false);
    qsizetype from = first.size();
    const qsizetype to = size - last.size();
    for (size_t r = 1; r + 1 < m_runs.size(); ++r) {
        if (!find(m_runs[r], letters, from, to, steps))
            return result(false);
    }
    return result(true);
}

bool matches(QStringView pattern, QStringView text, char32_t escape)
{
    return Pattern(pattern, escape).matches(text);
}

namespace {

// The store hands texts over as UTF-8, which is decoded here faster than the store would turn
// them into UTF-16.
QString textOf(sqlite3_value* value)
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return utf8ToString(data, sqlite3_value_bytes(value));
}

void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    char32_t escape = 0;
    if (argc == 3) {
        const QList<uint> escapeText = textOf(argv[2]).toUcs4();
        if (escapeText.size() != 1) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = escapeText.front();
    }
    const QString text = textOf(argv[1]);
    // SQLite keeps the compiled pattern while the pattern argument stays the same (a bound
    // parameter over all the rows of a search), so it is read once per search, not per row.
    if (const auto* cached = static_cast<const Pattern*>(sqlite3_get_auxdata(context, 0));
        cached && cached->escape() == escape) {
        sqlite3_result_int(context, cached->matches(text));
        return;
    }
    auto compiled = std::make_unique<Pattern>(textOf(argv[0]), escape);
    sqlite3_result_int(context, compiled->matches(text));
    // SQLite may free it at once; it is not used after this.
    sqlite3_set_auxdata(context, 0, compiled.release(),
                        [](void* pattern) { delete static_cast<Pattern*>(pattern); });
}

} // namespace

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
