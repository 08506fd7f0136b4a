#pragma once

#include "Question.h"

#include <QString>
#include <QStringList>

// GIFT multiple-choice questions: an optional "::title::", the text, then "{ =right ~wrong ...}".
// Questions are separated by blank lines; lines beginning with "//" are comments. "\~ \= \# \{
// \} \:" and "\\" stand for the characters themselves and "\n" for a line break. Feedback after
// "#" is dropped. A format tag ("[html]", "[plain]", "[moodle]", "[markdown]") before the text or
// an answer is dropped; an HTML text, and an answer of an HTML question without a tag of its
// own, is stored as the plain text a student reads. Questions of other kinds (true/false, short
// answer, matching, numerical, missing word, essay, weighted answers) are refused with the reason.
namespace GiftFormat {

// Reads a decoded file. Never throws; every question that does not fit the bank is a refusal.
ReadResult read(const QString& text);

// The bank as a GIFT file, one question per line; a warning for each question an import
// would not give back exactly (blanks at either end of a text, an empty text, a right answer
// outside 1..5).
WrittenBank write(const QList<Question>& questions);

// A text with every GIFT special character escaped and line breaks written as "\n".
QString escaped(const QString& text);

} // namespace GiftFormat
