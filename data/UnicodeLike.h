#pragma once

#include <QStringView>

class QSqlDatabase;

// SQLite's own LIKE folds ASCII letters only, so "дәріс" would not find "Дәріс". This replaces
// like(pattern, text[, escape]) on a connection with one that folds every letter's case,
// keeping "%" (any run of characters) and "_" (one character) as wildcards.
namespace UnicodeLike {

bool matches(QStringView pattern, QStringView text, QChar escape = QChar());
// The same with the pattern's case-folded form given (folded once for many texts).
bool matchesFolded(QStringView pattern, QStringView folded, QStringView text,
                   QChar escape = QChar());

// Registers the function on the connection; false when the driver is not SQLite.
bool install(const QSqlDatabase& db);

} // namespace UnicodeLike
