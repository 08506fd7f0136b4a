#pragma once

#include "Question.h"

#include <QString>
#include <QStringList>

// The Aiken format of learning platforms: the question text, then one line per option, a letter
// with ")" or "." and a space before the option's text, then "ANSWER: X". Blank lines between
// questions are optional. Here a question text may go on over several lines, and an option's
// text over the lines that follow it, as long as no such line reads as an option or an
// ANSWER line; the first line of a question is always its text, so a question may begin with
// an initial such as "А. Байтұрсынов".
namespace AikenFormat {

// Reads a decoded file. Never throws; every question that does not fit the bank is a refusal.
ReadResult read(const QString& text);

// The bank as an Aiken file; a warning for each text the format cannot hold as it is.
WrittenBank write(const QList<Question>& questions);

// Whether a line reads as an answer line or an option line (the reader's own rules, which the
// writer checks texts against).
bool isAnswerLine(QStringView line);
bool isOptionLine(QStringView line);

} // namespace AikenFormat
