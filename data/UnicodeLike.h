#pragma once

#include <QStringView>
#include <vector>

class QSqlDatabase;

// SQLite's own LIKE folds ASCII letters only, so "дәріс" would not find "Дәріс". This replaces
// like(pattern, text[, escape]) on a connection with one that folds every letter's case,
// keeping "%" (any run of characters) and "_" (one character, a letter outside the Basic
// Multilingual Plane included) as wildcards, and SQLite's rules for the escape character: it
// makes the character after it plain, an escape of "%" or "_" takes that wildcard away, and a
// pattern that ends in the escape matches nothing.
namespace UnicodeLike {

// A pattern read once and matched against many texts. "%" cuts it into runs that must appear in
// the text in order: the first at the start, the last at the end, and each one between at its
// leftmost place after the one before (which finds a match whenever there is one). A run is
// sought with a prefix table, or bit-parallel when it holds "_", so the text is read once per
// run and no pattern makes the search go back over it: the work grows with the text's length,
// not with the product of the two lengths.
class Pattern {
public:
    explicit Pattern(QStringView pattern, char32_t escape = 0);
    ~Pattern();
    Pattern(Pattern&&) noexcept;
    Pattern& operator=(Pattern&&) noexcept;

    // work, when given, receives the steps the match took (letters of the text folded,
    // compared or shifted in, words of bit masks combined): a measure of cost that does not
    // depend on the machine, for tests that catch quadratic growth.
    bool matches(QStringView text, qint64* work = nullptr) const;

    char32_t escape() const { return m_escape; }

private:
    struct Run;
    bool find(const Run& run, const std::vector<char32_t>& text, qsizetype& from, qsizetype to,
              qint64& work) const;

    std::vector<Run> m_runs; // one more than the number of "%" wildcards
    char32_t m_escape = 0;
    qsizetype m_letters = 0; // the fewest letters a matching text has
    bool m_never = false;    // the pattern ends in the escape
};

bool matches(QStringView pattern, QStringView text, char32_t escape = 0);

// Registers the function on the connection; false when the driver is not SQLite.
bool install(const QSqlDatabase& db);

} // namespace UnicodeLike
